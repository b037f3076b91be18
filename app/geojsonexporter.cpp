#include "geojsonexporter.h"

#include "modelobjects.h"

#include <cvdpoint.h>
#include <cvcentroid.h>
#include <cvnode.h>
#include <cvobjectconnection.h>
#include <cvroadtype.h>
#include <cvsection.h>
#include <cvsectionobject.h>
#include <cvtext.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace {

QJsonArray coordinates(const CVPoint& p)
{
    return QJsonArray{p.x, p.y};
}

QJsonObject feature(const QJsonObject& geometry, QJsonObject properties, const CVObject& object, const QString& kind)
{
    properties.insert(QStringLiteral("kind"), kind);
    properties.insert(QStringLiteral("id"), double(object.getId()));
    properties.insert(QStringLiteral("name"), object.getName());
    if (!object.getExternalId().isEmpty())
        properties.insert(QStringLiteral("externalId"), object.getExternalId());
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("Feature")},
                       {QStringLiteral("id"), double(object.getId())},
                       {QStringLiteral("geometry"), geometry},
                       {QStringLiteral("properties"), properties}};
}

QJsonObject point(const CVPoint& p)
{
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("Point")}, {QStringLiteral("coordinates"), coordinates(p)}};
}

QJsonObject lineString(const CVPoints& points)
{
    QJsonArray line;
    for (const CVPoint& p : points)
        line.append(coordinates(p));
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("LineString")}, {QStringLiteral("coordinates"), line}};
}

void addSections(const CVModel& model, QJsonArray& features)
{
    for (const CVSection* section : modelObjects<CVSection>(model, QStringLiteral("CVSection"))) {
        const CVPoints line = section->drawingPoints();
        if (line.size() < 2)
            continue;  // a LineString needs two positions
        QJsonObject properties{
            {QStringLiteral("roadType"), section->getRoadType() ? section->getRoadType()->getName() : QString()},
            {QStringLiteral("speed"), section->getSpeed()},
            {QStringLiteral("lanes"), section->getNbLanes()},
            {QStringLiteral("fullLanes"), section->getNbFullLanes()},
            {QStringLiteral("laneWidth"), section->getLaneWidth()},
            {QStringLiteral("origin"), section->getOrigin() ? double(section->getOrigin()->getId()) : QJsonValue()},
            {QStringLiteral("destination"),
             section->getDestination() ? double(section->getDestination()->getId()) : QJsonValue()}};
        features.append(feature(lineString(line), properties, *section, QStringLiteral("section")));
    }
}

void addNodes(const CVModel& model, QJsonArray& features)
{
    for (const CVNode* node : modelObjects<CVNode>(model, QStringLiteral("CVNode"))) {
        const QJsonObject properties{{QStringLiteral("turnings"), int(node->getTurnings().size())},
                                     {QStringLiteral("yellowBox"), node->getYellowBox()}};
        features.append(feature(point(node->getPosition()), properties, *node, QStringLiteral("node")));
    }
}

// Centroids as points, and each of their connections as a line from the
// centroid to the end of the section where its trips enter or leave.
void addCentroids(const CVModel& model, QJsonArray& features)
{
    for (const CVCentroid* centroid : modelObjects<CVCentroid>(model, QStringLiteral("CVCentroid"))) {
        features.append(feature(point(centroid->getPosition()), QJsonObject(), *centroid, QStringLiteral("centroid")));
        for (const CVObjectConnection* connection : centroid->getConnections()) {
            const auto* section = dynamic_cast<const CVSection*>(connection->getConnectionObject());
            if (!section || section->getPoints().isEmpty())
                continue;
            const bool leaving = connection->getConnectionType() == CVCentroid::eFrom;
            const CVPoint end = leaving ? section->getPoints().first() : section->getPoints().last();
            const QJsonObject properties{{QStringLiteral("centroid"), double(centroid->getId())},
                                         {QStringLiteral("section"), double(section->getId())},
                                         {QStringLiteral("connectionType"), connection->getConnectionType()}};
            features.append(feature(lineString(CVPoints{centroid->getPosition(), end}), properties, *connection,
                                    QStringLiteral("centroidConnection")));
        }
    }
}

void addSectionObjects(const CVModel& model, const QString& typeName, const QString& kind, QJsonArray& features)
{
    for (const CVSectionObject* object : modelObjects<CVSectionObject>(model, typeName)) {
        const auto* section = dynamic_cast<const CVSection*>(object->getSection());
        if (!section)
            continue;  // placed nowhere: no position to show
        const QJsonObject properties{{QStringLiteral("section"), double(section->getId())},
                                     {QStringLiteral("position"), double(object->getPosition())},
                                     {QStringLiteral("length"), double(object->getLength())},
                                     {QStringLiteral("fromLane"), object->getFromLane()},
                                     {QStringLiteral("toLane"), object->getToLane()}};
        features.append(feature(point(section->getPoints().pointAtPos(object->getPosition())), properties, *object, kind));
    }
}

void addLabels(const CVModel& model, QJsonArray& features)
{
    for (const CVText* text : modelObjects<CVText>(model, QStringLiteral("CVText"))) {
        const QJsonObject properties{{QStringLiteral("text"), text->getText()},
                                     {QStringLiteral("angle"), text->getAngle()},
                                     {QStringLiteral("height"), text->getHeight()}};
        features.append(feature(point(text->getPosition()), properties, *text, QStringLiteral("label")));
    }
}

}  // namespace

QJsonObject GeoJsonExporter::featureCollection(const CVModel& model)
{
    QJsonArray features;
    addSections(model, features);
    addNodes(model, features);
    addCentroids(model, features);
    addSectionObjects(model, QStringLiteral("CVBusStop"), QStringLiteral("busStop"), features);
    addSectionObjects(model, QStringLiteral("CVDetector"), QStringLiteral("detector"), features);
    addSectionObjects(model, QStringLiteral("CVVMS"), QStringLiteral("sign"), features);
    addLabels(model, features);
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("FeatureCollection")}, {QStringLiteral("features"), features}};
}

bool GeoJsonExporter::write(const CVModel& model, const QString& path, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(QJsonDocument(featureCollection(model)).toJson(QJsonDocument::Compact));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
