#include "export/sumo/sumoexporter.h"

#include "export/sumo/sumoconfigwriter.h"
#include "export/sumo/sumodemandwriter.h"
#include "export/sumo/sumomatrices.h"
#include "export/sumo/sumonetwork.h"
#include "export/sumo/sumonetworkwriter.h"

#include <QDir>
#include <QFileInfo>

QStringList SumoExporter::fileNames(const QString& prefix)
{
    QStringList names;
    for (const char* suffix : {".nod.xml", ".edg.xml", ".con.xml", ".tll.xml", ".taz.xml", ".add.xml", ".rou.xml",
                               ".netccfg", ".od2trips.cfg", ".sumocfg"})
        names.append(prefix + QLatin1String(suffix));
    return names;
}

bool SumoExporter::write(const CVModel& model, const QString& prefix, QString* error)
{
    const QFileInfo info(prefix);
    if (info.fileName().isEmpty() || info.isDir()) {
        if (error)
            *error = QStringLiteral("%1 is a folder; give a prefix for the file names, such as %2")
                         .arg(prefix, QDir(prefix).filePath(QStringLiteral("net")));
        return false;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
        return false;
    }
    const SumoNetwork network(model);
    const QStringList names = fileNames(prefix);
    // Detector counts go next to the additional file that names them.
    const QString detectorOutput = info.fileName() + QStringLiteral(".det.out.xml");
    return SumoNetworkWriter::writeNodes(network, names[0], error) &&
           SumoNetworkWriter::writeEdges(network, names[1], error) &&
           SumoNetworkWriter::writeConnections(network, names[2], error) &&
           SumoNetworkWriter::writeTrafficLights(network, names[3], error) &&
           SumoDemandWriter::writeDistricts(network, names[4], error) &&
           SumoMatrices::write(network, prefix, error) &&
           SumoDemandWriter::writeAdditionals(network, names[5], detectorOutput, error) &&
           SumoDemandWriter::writeRoutes(network, names[6], error) && SumoConfigWriter::writeNetconvert(prefix, error) &&
           SumoConfigWriter::writeOd2trips(network, prefix, error) && SumoConfigWriter::writeSumo(network, prefix, error);
}
