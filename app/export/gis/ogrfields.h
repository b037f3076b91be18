#pragma once

#include "export/gis/gislayers.h"

class OGRFeature;
class OGRLayer;

// GisLayers' fields and values as OGR's, for every writer of OGR layers.
namespace OgrFields {

// The layer's fields, in their order; booleans as integers of the boolean
// subtype. False when OGR refuses one.
bool create(OGRLayer* layer, const QVector<GisLayers::Field>& fields);
// A value that is not null, texts as they are.
void set(OGRFeature& feature, int index, const QVariant& value, GisLayers::FieldType type);

}  // namespace OgrFields
