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

// A new model and an importer reading into it, for the reading phase as a
// whole (the reader classes have their fixture in tests/reader/).
struct ReaderFixture
{
    std::unique_ptr<CVModel> model{CVSystem::getSystem().createModel()};
    ParamicsImporter importer;
    ParamicsImporterProbe probe{importer};

    ReaderFixture() { importer.setModel(model.get()); }

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

// Lane ranges of a turning as "origin from-to/destination from-to".
inline QString laneRanges(const ParamicsTurning& t)
{
    return QStringLiteral("%1-%2/%3-%4")
        .arg(t.originFromLane)
        .arg(t.originToLane)
        .arg(t.destinationFromLane)
        .arg(t.destinationToLane);
}
