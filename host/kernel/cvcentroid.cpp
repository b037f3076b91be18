#include "cvcentroid.h"

#include "cvfieldwriter.h"
#include "cvmappainter.h"
#include "cvmapstyle.h"
#include "cvobjectconnection.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"
#include "cvsection.h"

#include <QHash>
#include <QJsonArray>
#include <QSet>

CV_REGISTER_TYPE(CVCentroid)

namespace {

// Where a connection line meets the object: a section's start for trips
// leaving into it, its end for trips arriving from it.
bool connectionEnd(const CVObjectConnection* connection, CVPoint& end)
{
    const auto* section = dynamic_cast<const CVSection*>(connection->getConnectionObject());
    if (!section || section->getPoints().isEmpty())
        return false;
    end = connection->getConnectionType() == CVCentroid::eFrom ? section->getPoints().first()
                                                                : section->getPoints().last();
    return true;
}

}  // namespace

// The bookkeeping of a centroid of many connections: which connections it
// lists, and how it is joined to each connected object.
struct CVCentroid::ManyConnections
{
    QSet<const CVObjectConnection*> connections;
    QHash<unsigned int, CVCentroidTypes> objectTypes;

    void add(const CVObjectConnection* connection)
    {
        connections.insert(connection);
        const CVObject* object = connection->getConnectionObject();
        if (!object)
            return;
        const auto type = CVCentroidTypes(connection->getConnectionType());
        const auto known = objectTypes.find(object->getId());
        if (known == objectTypes.end())
            objectTypes.insert(object->getId(), type);
        else if (known.value() != type)
            known.value() = eBoth;
    }
};

CVCentroid::CVCentroid(CVModel* model, const CVType* type) : CVDPoint(model, type) {}

CVCentroid::~CVCentroid() = default;

void CVCentroid::addConnection(CVObjectConnection* connection)
{
    if (!connection)
        return;
    if (many ? many->connections.contains(connection) : connections.contains(connection))
        return;
    connections.append(connection);
    if (many)
        many->add(connection);
    else if (connections.size() >= IndexedFrom)
        indexConnections();
    increaseTick();
}

void CVCentroid::indexConnections()
{
    many = std::make_unique<ManyConnections>();
    for (const CVObjectConnection* connection : std::as_const(connections))
        many->add(connection);
}

// The type of the first connection to the object, or eBoth once another
// connection to it has a different type.
CVCentroid::CVCentroidTypes CVCentroid::objectConnectionType(const CVObject* object) const
{
    if (!object)
        return eNoConnection;
    const unsigned int id = object->getId();
    if (many)
        return many->objectTypes.value(id, eNoConnection);
    bool found = false;
    CVCentroidTypes type = eNoConnection;
    for (const CVObjectConnection* connection : connections) {
        const CVObject* connected = connection->getConnectionObject();
        if (!connected || connected->getId() != id)
            continue;
        const auto connectionType = CVCentroidTypes(connection->getConnectionType());
        if (!found)
            type = connectionType;
        else if (type != connectionType)
            type = eBoth;
        found = true;
    }
    return type;
}

CVBBox CVCentroid::getBoundingBox() const
{
    CVBBox box;
    box.extend(getPosition());
    CVPoint end;
    for (const CVObjectConnection* connection : connections) {
        if (connectionEnd(connection, end))
            box.extend(end);
    }
    return box;
}

void CVCentroid::draw(CVMapPainter& painter) const
{
    const QColor colour = painter.isSelected(this) ? QColor(Qt::red) : CVMapStyle::centroid();
    CVPoint end;
    for (const CVObjectConnection* connection : connections) {
        if (!painter.hides(connection->getTypeName()) && connectionEnd(connection, end))
            painter.drawLine(CVPoints({getPosition(), end}), colour, 1.0, Qt::DashLine);
    }
    if (painter.hides(getTypeName()))
        return;
    painter.drawMarker(getPosition(), CVMapPainter::Marker::Ring, colour, 10.0);
    painter.drawLabel(getPosition(), getName(), colour);
}

void CVCentroid::writeFields(CVFieldWriter& json) const
{
    CVDPoint::writeFields(json);
    json.insert(QStringLiteral("consPercentages"), int(consPercentages));
    json.insert(QStringLiteral("useBestEntrance"), useBestEntrance);
    // The connections are objects of their own, which save what they join.
    QJsonArray list;
    for (const CVObjectConnection* connection : connections)
        list.append(qint64(connection->getId()));
    json.insert(QStringLiteral("connections"), list);
}

void CVCentroid::readFields(const CVSavedObject& json, CVReadContext& context)
{
    CVDPoint::readFields(json, context);
    consPercentages = CVCentroidPercentages(json.value(QStringLiteral("consPercentages")).toInt());
    useBestEntrance = json.value(QStringLiteral("useBestEntrance")).toBool();
    for (const QJsonValue id : json.value(QStringLiteral("connections")).toArray()) {
        if (auto* connection = context.objectAs<CVObjectConnection>(id))
            connections.append(connection);
    }
}

void CVCentroid::finishRead()
{
    // The connections have read their objects and types by now.
    const QVector<CVObjectConnection*> saved = connections;
    connections.clear();
    many.reset();
    for (CVObjectConnection* connection : saved)
        addConnection(connection);
}
