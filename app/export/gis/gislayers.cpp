#include "export/gis/gislayers.h"

#include "export/modelobjects.h"

#include <cvcentroid.h>
#include <cvnode.h>
#include <cvobjectconnection.h>
#include <cvroadtype.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvtext.h>

namespace GisLayers {
namespace {

using T = FieldType;

Layer layer(const char* name, const char* kind, bool lines, QVector<Field> fields)
{
    Layer l;
    l.name = QLatin1String(name);
    l.kind = QLatin1String(kind);
    l.lines = lines;
    l.fields = {{QStringLiteral("id"), T::Integer64}, {QStringLiteral("name"), T::String}, {QStringLiteral("externalId"), T::String}};
    l.fields += fields;
    return l;
}

void add(Layer& layer, const CVObject& object, const CVPoints& geometry, const QVector<QVariant>& values)
{
    const QString externalId = object.getExternalId();
    Feature f;
    f.id = object.getId();
    f.geometry = geometry;
    f.values = {qint64(object.getId()), object.getName(), externalId.isEmpty() ? QVariant() : QVariant(externalId)};
    f.values += values;
    layer.features.append(f);
}

QVariant nodeId(const CVNode* node)
{
    return node ? QVariant(qint64(node->getId())) : QVariant();
}

Layer sections(const CVModel& model)
{
    Layer l = layer("sections", "section", true,
                    {{"roadType", T::String}, {"speed", T::Real}, {"lanes", T::Integer}, {"fullLanes", T::Integer},
                     {"laneWidth", T::Real}, {"fromNode", T::Integer64}, {"toNode", T::Integer64}});
    for (const CVSection* section : modelObjects<CVSection>(model, QStringLiteral("CVSection"))) {
        const CVPoints line = section->drawingPoints();
        if (line.size() < 2)
            continue;  // a line needs two positions
        add(l, *section, line,
            {section->getRoadType() ? QVariant(section->getRoadType()->getName()) : QVariant(), section->getSpeed(),
             section->getNbLanes(), section->getNbFullLanes(), section->getLaneWidth(), nodeId(section->getOrigin()),
             nodeId(section->getDestination())});
    }
    return l;
}

Layer nodes(const CVModel& model)
{
    Layer l = layer("nodes", "node", false, {{"turnings", T::Integer}, {"yellowBox", T::Boolean}});
    for (const CVNode* node : modelObjects<CVNode>(model, QStringLiteral("CVNode")))
        add(l, *node, {node->getPosition()}, {int(node->getTurnings().size()), node->getYellowBox()});
    return l;
}

Layer centroids(const CVModel& model)
{
    Layer l = layer("centroids", "centroid", false, {});
    for (const CVCentroid* centroid : modelObjects<CVCentroid>(model, QStringLiteral("CVCentroid")))
        add(l, *centroid, {centroid->getPosition()}, {});
    return l;
}

// A line from the centroid to the end of the section where its trips enter
// the network ("out": at the section's start) or leave it ("in": at its end).
Layer centroidConnections(const CVModel& model)
{
    Layer l = layer("centroid_connections", "centroidConnection", true,
                    {{"centroid", T::Integer64}, {"section", T::Integer64}, {"direction", T::String}});
    for (const CVCentroid* centroid : modelObjects<CVCentroid>(model, QStringLiteral("CVCentroid"))) {
        for (const CVObjectConnection* connection : centroid->getConnections()) {
            const auto* section = dynamic_cast<const CVSection*>(connection->getConnectionObject());
            if (!section || section->getPoints().isEmpty())
                continue;
            const bool leaving = connection->getConnectionType() == CVCentroid::eFrom;
            const CVPoint end = leaving ? section->getPoints().first() : section->getPoints().last();
            add(l, *connection, {centroid->getPosition(), end},
                {qint64(centroid->getId()), qint64(section->getId()), leaving ? QStringLiteral("out") : QStringLiteral("in")});
        }
    }
    return l;
}

// A point at the object's position along its section.
Layer sectionObjects(const CVModel& model, const char* type, const char* name, const char* kind)
{
    Layer l = layer(name, kind, false,
                    {{"section", T::Integer64}, {"position", T::Real}, {"length", T::Real}, {"fromLane", T::Integer},
                     {"toLane", T::Integer}});
    for (const CVSectionObject* object : modelObjects<CVSectionObject>(model, QLatin1String(type))) {
        const auto* section = dynamic_cast<const CVSection*>(object->getSection());
        if (!section || section->getPoints().isEmpty())
            continue;  // placed nowhere: no position to show
        add(l, *object, {section->getPoints().pointAtPos(object->getPosition())},
            {qint64(section->getId()), double(object->getPosition()), double(object->getLength()), object->getFromLane(),
             object->getToLane()});
    }
    return l;
}

Layer labels(const CVModel& model)
{
    Layer l = layer("labels", "label", false, {{"text", T::String}, {"angle", T::Real}, {"height", T::Real}});
    for (const CVText* text : modelObjects<CVText>(model, QStringLiteral("CVText")))
        add(l, *text, {text->getPosition()}, {text->getText(), double(text->getAngle()), double(text->getHeight())});
    return l;
}

}  // namespace

QVector<Layer> fromModel(const CVModel& model)
{
    return {sections(model),
            nodes(model),
            centroids(model),
            centroidConnections(model),
            sectionObjects(model, "CVBusStop", "bus_stops", "busStop"),
            sectionObjects(model, "CVDetector", "detectors", "detector"),
            sectionObjects(model, "CVVMS", "signs", "sign"),
            labels(model)};
}

}  // namespace GisLayers
