#include "window/objectdescription.h"

#include "export/modelobjects.h"
#include "window/objectfinder.h"

#include <cvcatalog.h>
#include <cvcentroid.h>
#include <cvcontroljunction.h>
#include <cvcontrolphase.h>
#include <cvcontrolplan.h>
#include <cvcontrolplansignal.h>
#include <cvmodel.h>
#include <cvnode.h>
#include <cvobjectconnection.h>
#include <cvpublicline.h>
#include <cvroadtype.h>
#include <cvsection.h>
#include <cvsectionlane.h>
#include <cvsectionobject.h>
#include <cvtext.h>
#include <cvturning.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ObjectDescription {
namespace {

using Rows = QVector<Row>;

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString metres(double value)
{
    return number(value, 1) + QStringLiteral(" m");
}

QString position(const CVPoint& p)
{
    return QStringLiteral("%1, %2 m").arg(number(p.x, 1), number(p.y, 1));
}

Row linkTo(const QString& field, const CVObject* object)
{
    if (!object)
        return {field, QStringLiteral("—")};
    return {field, ObjectFinder::describe(*object), object->getId(), {}};
}

// A list of objects under a count, folded.
Row listOf(const QString& field, const QVector<const CVObject*>& objects)
{
    Row row{field, QString::number(objects.size()), 0, {}};
    for (int i = 0; i < objects.size(); ++i)
        row.children.append(linkTo(QString::number(i + 1), objects[i]));
    return row;
}

Rows section(const CVSection& s)
{
    Rows rows;
    rows.append({QStringLiteral("Road type"), s.getRoadType() ? s.getRoadType()->getName() : QStringLiteral("—")});
    rows.append({QStringLiteral("Speed"), number(s.getSpeed(), 0) + QStringLiteral(" km/h")});
    rows.append({QStringLiteral("Length"), metres(s.getPoints().length2D())});
    Row lanes{QStringLiteral("Lanes"), QStringLiteral("%1 (%2 full), %3 wide")
                                           .arg(s.getNbLanes()).arg(s.getNbFullLanes()).arg(metres(s.getLaneWidth())),
              0, {}};
    for (int i = 0; i < s.getLanes().size(); ++i) {
        const CVSectionLane& lane = s.getLanes()[i];
        lanes.children.append({QStringLiteral("Lane %1").arg(i + 1),
                               lane.isFullLane() ? QStringLiteral("full length")
                                                 : QStringLiteral("%1 to %2").arg(metres(lane.getInitialOffset()),
                                                                                 metres(lane.getFinalOffset()))});
    }
    rows.append(lanes);
    rows.append(linkTo(QStringLiteral("From"), s.getOrigin()));
    rows.append(linkTo(QStringLiteral("To"), s.getDestination()));
    return rows;
}

QString linkOf(const CVObject* section)
{
    return section ? ObjectFinder::describe(*section).remove(QStringLiteral("Link ")) : QStringLiteral("?");
}

// Each phase of the node's plan, when it runs, and the movements green in it.
Row phasesOf(const CVControlJunction& junction, const CVModel& model)
{
    Row phases{QStringLiteral("Phases"), QString::number(junction.getPhases().size()), 0, {}};
    const QVector<CVControlPhase*> all = junction.getPhases();
    for (int i = 0; i < all.size(); ++i) {
        const CVControlPhase* phase = all[i];
        Row row{QStringLiteral("Phase %1").arg(i + 1),
                QStringLiteral("%1 s from %2 s%3")
                    .arg(number(phase->getDuration(), 0), number(phase->getFrom(), 0),
                         phase->isInterphase() ? QStringLiteral(", intergreen") : QString()),
                0, {}};
        for (const CVControlPhase::Signal& signal : phase->getSignals()) {
            const auto* plan = dynamic_cast<const CVControlPlanSignal*>(model.getCatalog()->find(signal.id));
            for (unsigned int turningId : plan ? plan->getTurningIds() : QVector<unsigned int>()) {
                const auto* turning = dynamic_cast<const CVTurning*>(model.getCatalog()->find(turningId));
                if (!turning)
                    continue;
                row.children.append({QStringLiteral("green"),
                                     QStringLiteral("%1 → %2").arg(linkOf(turning->getOrigin()),
                                                                   linkOf(turning->getDestination())),
                                     turning->getId(),
                                     {}});
            }
        }
        phases.children.append(row);
    }
    return phases;
}

Rows node(const CVNode& n, const CVModel& model)
{
    Rows rows{{QStringLiteral("Position"), position(n.getPosition())},
              {QStringLiteral("Yellow box"), n.getYellowBox() ? QStringLiteral("yes") : QStringLiteral("no")}};
    const CVControlJunction* junction = nullptr;
    for (const CVControlPlan* plan : modelObjects<CVControlPlan>(model, QStringLiteral("CVControlPlan"))) {
        if ((junction = plan->getControlJunction(n.getId())))
            break;
    }
    rows.append({QStringLiteral("Control"),
                 junction ? QStringLiteral("signalised, cycle %1 s").arg(number(junction->getCycle(), 0))
                          : QStringLiteral("priority")});
    if (junction)
        rows.append(phasesOf(*junction, model));
    QVector<const CVObject*> turnings;
    for (const CVTurning* t : n.getTurnings())
        turnings.append(t);
    rows.append(listOf(QStringLiteral("Turnings"), turnings));
    return rows;
}

QString laneRange(int from, int to)
{
    return from == to ? QString::number(from + 1) : QStringLiteral("%1 to %2").arg(from + 1).arg(to + 1);
}

Rows turning(const CVTurning& t)
{
    return {linkTo(QStringLiteral("Node"), t.getNode()),
            linkTo(QStringLiteral("From"), t.getOrigin()),
            {QStringLiteral("From lanes"), laneRange(t.getOriginFromLane(), t.getOriginToLane())},
            linkTo(QStringLiteral("To"), t.getDestination()),
            {QStringLiteral("To lanes"), laneRange(t.getDestinationFromLane(), t.getDestinationToLane())},
            {QStringLiteral("Speed"), number(t.getSpeed(), 0) + QStringLiteral(" km/h")}};
}

Rows centroid(const CVCentroid& c)
{
    Rows rows{{QStringLiteral("Position"), position(c.getPosition())}};
    Row connections{QStringLiteral("Connections"), QString::number(c.getConnections().size()), 0, {}};
    for (const CVObjectConnection* connection : c.getConnections()) {
        const bool out = connection->getConnectionType() == CVCentroid::eFrom;
        Row row = linkTo(out ? QStringLiteral("trips leave by") : QStringLiteral("trips arrive by"),
                         connection->getConnectionObject());
        connections.children.append(row);
    }
    rows.append(connections);
    return rows;
}

Rows sectionObject(const CVSectionObject& o)
{
    return {linkTo(QStringLiteral("Section"), o.getSection()),
            {QStringLiteral("Position"), metres(o.getPosition())},
            {QStringLiteral("Length"), metres(o.getLength())},
            {QStringLiteral("Lanes"), laneRange(o.getFromLane(), o.getToLane())}};
}

Rows publicLine(const CVPublicLine& line, const CVModel& model)
{
    QVector<const CVObject*> sections, stops;
    for (unsigned int id : line.getSections())
        sections.append(model.getCatalog()->find(id));
    for (unsigned int id : line.getStops())
        stops.append(model.getCatalog()->find(id));
    return {listOf(QStringLiteral("Sections"), sections), listOf(QStringLiteral("Stops"), stops),
            {QStringLiteral("Timetables"), QString::number(line.getTimeTables().size())}};
}

Rows text(const CVText& t)
{
    return {{QStringLiteral("Text"), t.getText()},
            {QStringLiteral("Position"), position(t.getPosition())},
            {QStringLiteral("Angle"), number(t.getAngle(), 1) + QStringLiteral("°")},
            {QStringLiteral("Height"), metres(t.getHeight())}};
}

// Long lists are cut to this many characters.
constexpr int LongestValue = 120;

QString shown(const QJsonValue& value)
{
    QString text;
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined: return QStringLiteral("—");
    case QJsonValue::Bool: return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    case QJsonValue::Double: return QString::number(value.toDouble(), 'g', 10);
    case QJsonValue::String: return value.toString();
    case QJsonValue::Array: text = QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact)); break;
    case QJsonValue::Object: text = QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact)); break;
    }
    return text.size() > LongestValue ? text.left(LongestValue) + QStringLiteral("…") : text;
}

Rows fields(const CVObject& object)
{
    Rows rows;
    const QJsonObject json = object.fieldsJson();
    for (auto it = json.constBegin(); it != json.constEnd(); ++it)
        rows.append({it.key(), shown(it.value())});
    return rows;
}

}  // namespace

QVector<Row> describe(const CVObject& object, const CVModel& model)
{
    Rows rows{{QStringLiteral("Object"), ObjectFinder::describe(object)},
              {QStringLiteral("Name"), object.getName()}};
    if (!object.getExternalId().isEmpty())
        rows.append({QStringLiteral("External id"), object.getExternalId()});
    rows.append({QStringLiteral("Host id"), QString::number(object.getId())});
    if (const auto* s = dynamic_cast<const CVSection*>(&object))
        return rows + section(*s);
    if (const auto* n = dynamic_cast<const CVNode*>(&object))
        return rows + node(*n, model);
    if (const auto* t = dynamic_cast<const CVTurning*>(&object))
        return rows + turning(*t);
    if (const auto* c = dynamic_cast<const CVCentroid*>(&object))
        return rows + centroid(*c);
    if (const auto* o = dynamic_cast<const CVSectionObject*>(&object))
        return rows + sectionObject(*o);
    if (const auto* l = dynamic_cast<const CVPublicLine*>(&object))
        return rows + publicLine(*l, model);
    if (const auto* x = dynamic_cast<const CVText*>(&object))
        return rows + text(*x);
    rows.first().value = object.getTypeName();
    return rows + fields(object);
}

}  // namespace ObjectDescription
