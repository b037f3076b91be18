#pragma once

#include <cvpoints.h>

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>

class CVModel;

// The model as GIS layers, one per kind of object, independent of the file
// format: what each feature is called, its geometry in the model's plane
// metres and its typed attribute values.
namespace GisLayers {

enum class FieldType { Integer, Integer64, Real, String, Boolean };

struct Field
{
    QString name;
    FieldType type;
};

struct Feature
{
    qint64 id = 0;
    CVPoints geometry;  // one point, or a line of two or more
    QVector<QVariant> values;  // one per field of the layer; null QVariant = no value
};

struct Layer
{
    QString name;  // layer name in a multi-layer file: "sections", ...
    QString kind;  // the feature's kind in a one-layer file: "section", ...
    bool lines = false;
    QVector<Field> fields;
    QVector<Feature> features;
};

// Sections, nodes, turnings, zones, centroid connections, bus lines, bus
// stops, detectors, signs and labels, in that order; a kind the model has
// none of gives no layer. Every feature has the fields id, name and
// externalId first. Lengths are metres to the millimetre, speeds km/h to a
// tenth, texts without the quote marks the files put round them.
QVector<Layer> fromModel(const CVModel& model);

class LinkNames;

// The layers of fromModel one at a time, in its order, so that a layer can
// be written (and freed) while the next is made. It reads the model only.
class LayerMaker
{
public:
    explicit LayerMaker(const CVModel& model);
    ~LayerMaker();
    LayerMaker(const LayerMaker&) = delete;
    LayerMaker& operator=(const LayerMaker&) = delete;

    // The next layer that has features; false once every layer is made.
    bool next(Layer& layer);

private:
    Layer make(int step);

    const CVModel& model;
    std::unique_ptr<LinkNames> links;
    int step = 0;
};

// The names of all layers fromModel can give, in its order.
QStringList layerNames();

}  // namespace GisLayers
