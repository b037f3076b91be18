#pragma once

#include <QString>
#include <QStringList>

class CVModel;

// Writes a model as SUMO plain XML files named PREFIX.nod.xml,
// PREFIX.edg.xml, PREFIX.con.xml, PREFIX.tll.xml (for netconvert),
// PREFIX.taz.xml, PREFIX.add.xml and PREFIX.rou.xml (for sumo), the OD
// matrices PREFIX.od01.txt, PREFIX.od02.txt, ... (for od2trips; see
// sumomatrices.h), and the configurations PREFIX.netccfg,
// PREFIX.od2trips.cfg and PREFIX.sumocfg that run the three tools on them
// from the prefix's folder (see README.md). Missing folders are created.
// The set is written whole or not at all (see CVOutputFolder).
class SumoExporter
{
public:
    // The file names it writes for a prefix, in the order above, but for the
    // OD matrices, whose number depends on the model.
    static QStringList fileNames(const QString& prefix);
    // Why files cannot be named by this prefix (a folder, or a name the
    // configurations cannot list); empty when they can.
    static QString prefixRefusal(const QString& prefix);
    // False, with the reason in error, at the first file that cannot be
    // written; then none of the set is left.
    static bool write(const CVModel& model, const QString& prefix, QString* error);

private:
    static bool writeSet(const CVModel& model, const QString& prefix, QString* error);
};
