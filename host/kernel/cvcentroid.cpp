#include "cvcentroid.h"

#include "cvfieldwriter.h"
#include "cvmappainter.h"
#include "cvmapstyle.h"
#include "cvobjectconnection.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"
#include "cvsection.h"

#include <QJsonArray>

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

void CVCentroid::addConnection(CVObjectConnection* connection)
{
    if (!connection)
        return;
    if (connections.size() < IndexedFrom) {
        if (connections.contains(connection))
            return;
    } else {
        if (connectionIndex.isEmpty()) {
            for (const CVObjectConnection* known : std::as_const(connections))
                connectionIndex.insert(known);
        }
        if (connectionIndex.contains(connection))
            return;
        connectionIndex.insert(connection);
    }
    connections.append(connection);
    if (const CVObject* object = connection->getConnectionObject()) {
        const auto type = CVCentroidTypes(connection->getConnectionType());
        if (const qsizetype known = typePosition(object->getId()); known >= 0) {
            if (objectTypes.at(known).type != type)
                objectTypes[known].type = eBoth;
        } else {
            objectTypes.append(ObjectType{object->getId(), type});
            if (!objectTypeIndex.isEmpty() || objectTypes.size() > IndexedFrom) {
                for (qsizetype i = objectTypeIndex.size(); i < objectTypes.size(); ++i)
                    objectTypeIndex.insert(objectTypes.at(i).objectId, i);
            }
        }
    }
    increaseTick();
}

qsizetype CVCentroid::typePosition(unsigned int objectId) const
{
    if (!objectTypeIndex.isEmpty())
        return objectTypeIndex.value(objectId, -1);
    for (qsizetype i = 0; i < objectTypes.size(); ++i) {
        if (objectTypes.at(i).objectId == objectId)
            return i;
    }
    return -1;
}

CVCentroid::CVCentroidTypes CVCentroid::objectConnectionType(const CVObject* object) const
{
    const qsizetype position = object ? typePosition(object->getId()) : -1;
    return position >= 0 ? objectTypes.at(position).type : eNoConnection;
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
        if (connectionEnd(connection, end))
            painter.drawLine(CVPoints({getPosition(), end}), colour, 1.0, Qt::DashLine);
    }
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
    objectTypes.clear();
    objectTypeIndex.clear();
    connectionIndex.clear();
    for (CVObjectConnection* connection : saved)
        addConnection(connection);
}
