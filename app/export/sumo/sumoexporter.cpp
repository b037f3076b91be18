#include "export/sumo/sumoexporter.h"

#include "export/sumo/sumoconfigwriter.h"
#include "export/sumo/sumodemandwriter.h"
#include "export/sumo/sumomatrices.h"
#include "export/sumo/sumonetwork.h"
#include "export/sumo/sumonetworkwriter.h"

#include <cvoutputfile.h>

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

QString SumoExporter::prefixRefusal(const QString& prefix)
{
    const QFileInfo info(prefix);
    if (info.fileName().isEmpty() || info.isDir())
        return QStringLiteral("%1 is a folder; give a prefix for the file names, such as %2")
            .arg(prefix, QDir(prefix).filePath(QStringLiteral("net")));
    // The configurations list their files separated by commas or spaces.
    for (const QChar c : info.fileName()) {
        if (c == QLatin1Char(',') || c == QLatin1Char(';') || c.isSpace() || c.category() == QChar::Other_Control)
            return QStringLiteral("the SUMO prefix '%1' cannot be named in the configurations, which separate file "
                                  "names by commas and spaces; choose a prefix without commas, semicolons, spaces or "
                                  "control characters")
                .arg(info.fileName());
    }
    return QString();
}

bool SumoExporter::write(const CVModel& model, const QString& prefix, QString* error)
{
    return write(model, prefix, SumoOverrides(), nullptr, error);
}

bool SumoExporter::write(const CVModel& model, const QString& prefix, const SumoOverrides& overrides, QStringList* notes,
                         QString* error)
{
    const QString refusal = prefixRefusal(prefix);
    if (!refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return false;
    }
    // All files or none: the set is written in a hidden folder beside it and
    // moved into place once every file is complete.
    const QFileInfo info(prefix);
    CVOutputFolder folder(info.absolutePath());
    if (!folder.open()) {
        if (error)
            *error = folder.errorString();
        return false;
    }
    const SumoNetwork network(model, overrides);
    QStringList written;
    if (!writeSet(network, folder.stagedPath(info.fileName()), &written, error)) {
        // The reason names the staged file; the user knows the file by its place.
        if (error)
            error->replace(folder.stagedPath(QStringLiteral("x")).chopped(1), folder.folder() + QLatin1Char('/'));
        return false;
    }
    if (!folder.commit()) {
        if (error)
            *error = folder.errorString();
        return false;
    }
    if (notes)
        *notes += written;
    return true;
}

bool SumoExporter::writeSet(const SumoNetwork& network, const QString& prefix, QStringList* notes, QString* error)
{
    const QStringList names = fileNames(prefix);
    // Detector counts go next to the additional file that names them.
    const QString detectorOutput = QFileInfo(prefix).fileName() + QStringLiteral(".det.out.xml");
    // The OD matrices, most of the set's bytes, are written on a second
    // thread while this one writes the network.
    SumoMatrices::Writer matrices(network, prefix);
    return SumoNetworkWriter::writeNodes(network, names[0], error) &&
           SumoNetworkWriter::writeEdges(network, names[1], error) &&
           SumoNetworkWriter::writeConnections(network, names[2], error) &&
           SumoNetworkWriter::writeTrafficLights(network, names[3], error) &&
           SumoDemandWriter::writeDistricts(network, names[4], error) &&
           matrices.finish(notes, error) &&
           SumoDemandWriter::writeAdditionals(network, names[5], detectorOutput, error) &&
           SumoDemandWriter::writeRoutes(network, names[6], error) &&
           SumoConfigWriter::writeNetconvert(network, prefix, error) &&
           SumoConfigWriter::writeOd2trips(network, prefix, error) && SumoConfigWriter::writeSumo(network, prefix, error);
}
