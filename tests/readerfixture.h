#pragma once

#include "importerprobe.h"
#include "testsupport.h"

#include <cvlog.h>
#include <cvmodel.h>
#include <cvsystem.h>

#include <QMetaType>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(CVPoint)

inline char* toString(const CVPoint& p)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3)").arg(p.x).arg(p.y).arg(p.z));
}

// A new model, an importer reading into it, and a scratch directory for the
// files under test.
struct ReaderFixture
{
    std::unique_ptr<CVModel> model{CVSystem::getSystem().createModel()};
    ParamicsImporter importer;
    ParamicsImporterProbe probe{importer};
    NetworkDir dir;

    ReaderFixture() { importer.setModel(model.get()); }

    // Writes one file and returns the directory to hand to a reader.
    QString with(const QString& name, const QByteArray& text) const
    {
        dir.write(name, text);
        return dir.path();
    }

    ParamicsNode* node(const QString& id) { return probe.nodes().value(id, nullptr); }
    ParamicsLink* link(const QString& name) { return probe.links().value(name, nullptr); }

    // The destinations of a link's turnings, in turning order.
    QStringList turningOrder(const QString& linkName)
    {
        QStringList order;
        if (ParamicsLink* l = link(linkName)) {
            for (const ParamicsTurning& t : l->turnings)
                order << t.destination;
        }
        return order;
    }
};

// A four-arm junction: node 10 at the origin and arms 11 (north), 12
// (east), 13 (south), 14 (west) 100 m away, linked both ways to it.
inline const QByteArray crossroadsNodes = "node 10 at 0 m, 0 m, 0 m junction\n"
                                          "node 11 at 0 m, 100 m, 0 m junction\n"
                                          "node 12 at 100 m, 0 m, 0 m junction\n"
                                          "node 13 at 0 m, -100 m, 0 m junction\n"
                                          "node 14 at -100 m, 0 m, 0 m junction\n";
inline const QByteArray crossroadsLinks = "link 11 10 category 1\nlink 10 11 category 1\n"
                                          "link 12 10 category 1\nlink 10 12 category 1\n"
                                          "link 13 10 category 1\nlink 10 13 category 1\n"
                                          "link 14 10 category 1\nlink 10 14 category 1\n";

// Lane ranges of a turning as "origin from-to/destination from-to".
inline QString laneRanges(const ParamicsTurning& t)
{
    return QStringLiteral("%1-%2/%3-%4")
        .arg(t.originFromLane)
        .arg(t.originToLane)
        .arg(t.destinationFromLane)
        .arg(t.destinationToLane);
}
