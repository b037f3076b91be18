// The importer's reading phase: each reader runs one reader class of
// reader/ over one file, on the importer's records and settings.

#include "importer/paramicsimporter.h"
#include "importer/paramicsasidereading.h"
#include "network/turningsignalbuilder.h"
#include "reader/annotationreader.h"
#include "reader/configurationreader.h"
#include "reader/demandreaders.h"
#include "reader/devicereaders.h"
#include "reader/linksreader.h"
#include "reader/nodereaders.h"
#include "reader/prioritiesreaders.h"
#include "reader/profilereaders.h"
#include "reader/transitreaders.h"
#include "reader/vehiclesreader.h"
#include "reader/zonereaders.h"

#include <QStringList>

#include <cvmodel.h>

namespace {

QString filePath(const QString& directory, const char* name)
{
    return directory + QLatin1Char('/') + QLatin1String(name);
}

}  // namespace

CVLog* ParamicsImporter::fileLog() const
{
    CVLog* aside = ParamicsAsideReading::currentLog();
    return aside ? aside : model->getLog();
}

void ParamicsImporter::readConfigurationSias(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "configuration"), *textEncoding);
    ConfigurationReader(in, stopDelay, toRedTime).read();
}

void ParamicsImporter::readZones(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "zones"), *textEncoding);
    ZonesReader(in, zones, zoneNumbers, zoneRenumbering, unitFactor).read();
}

void ParamicsImporter::readCategories(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "categories"), *textEncoding);
    CategoriesReader(in, categories).read();
}

void ParamicsImporter::readCentres(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "centres"), *textEncoding);
    CentresReader(in, centres, unitFactor).read();
}

void ParamicsImporter::readNodes(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "nodes"), *textEncoding);
    NodesReader(in, nodes, boundingBox, unitFactor, toRedTime).read();
}

void ParamicsImporter::readLinks(const QString& directory)
{
    readLinksFiles(directory);
    configureTurnings();
}

// links.0, links.1, ... up to the first file that cannot be opened.
void ParamicsImporter::readLinksFiles(const QString& directory)
{
    LinksReader reader(nodes, links, categories);
    for (int number = 0;; ++number) {
        // The directory is joined, not formatted: its name may hold "%1".
        ParamicsTokenStream in(fileLog(), directory + QStringLiteral("/links.%1").arg(number), *textEncoding);
        if (!in.isOpen())
            break;
        reader.read(in);
    }
}

// The turning records from the links, then their signal objects (the
// model's first objects after the reading's).
void ParamicsImporter::configureTurnings()
{
    TurningConfiguration(nodes, links, rightHandDrive).configure();
    TurningSignalBuilder(model, links).build();
}

void ParamicsImporter::readNextLanes(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "nextlanes"), *textEncoding);
    NextLanesReader(in, links).read();
}

void ParamicsImporter::readJunctions(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "junctions"), *textEncoding);
    JunctionsReader(in, links).read();
}

void ParamicsImporter::readPriorities(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "priorities"), *textEncoding);
    QuadstonePrioritiesReader(in, nodes, links).read();
}

void ParamicsImporter::readPrioritiesSias(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "priorities"), *textEncoding);
    SiasPrioritiesReader(in, nodes, links).read();
}

void ParamicsImporter::checkBarredTurnings()
{
    barTurningsBarredInEveryStage(nodes);
}

// One file "demands", or the numbered files demands.1 to demands.N; every
// file is opened, also after a matrix number above the count has ended
// the reading.
void ParamicsImporter::readDemands(const QString& directory)
{
    QStringList paths;
    if (nbDemandsFile == 1) {
        paths << filePath(directory, "demands");
    } else {
        for (int n = 1; n <= nbDemandsFile; ++n)
            paths << directory + QStringLiteral("/demands.%1").arg(n);
    }
    DemandsReader reader(demands, zoneRenumbering);
    for (const QString& path : std::as_const(paths)) {
        ParamicsTokenStream in(fileLog(), path, *textEncoding);
        reader.read(in);
    }
}

void ParamicsImporter::readProfilesQuadstone(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "profile"), *textEncoding);
    QuadstoneProfilesReader(in, profiles).read();
}

void ParamicsImporter::readProfilesSias(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "profile"), *textEncoding);
    SiasProfilesReader(in, profiles).read();
}

void ParamicsImporter::readMatrix(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "matrix"), *textEncoding);
    MatrixReader(in, matrixEntries, zoneRenumbering).read();
}

void ParamicsImporter::readBusStops(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "busstops"), *textEncoding);
    BusStopsReader(in, busStops).read();
}

void ParamicsImporter::readBusRoutes(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "busroutes"), *textEncoding);
    BusRoutesReader(in, busRoutes).read();
}

void ParamicsImporter::readVehicles(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "vehicles"), *textEncoding);
    VehiclesReader(in, vehicles).read();
}

void ParamicsImporter::readDetectors(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "detectors"), *textEncoding);
    DetectorsReader(in, detectors).read();
}

void ParamicsImporter::readBeacons(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "beacons"), *textEncoding);
    BeaconsReader(in, beacons).read();
}

void ParamicsImporter::readAnnotations(const QString& directory)
{
    ParamicsTokenStream in(fileLog(), filePath(directory, "annotation"), *textEncoding);
    AnnotationReader(in, annotations, unitFactor, version == QLatin1String("Sias")).read();
}
