#include "export/gis/ogrfields.h"

#include <ogrsf_frmts.h>

namespace {

using GisLayers::FieldType;

OGRFieldType ogrType(FieldType type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Boolean: return OFTInteger;
    case FieldType::Integer64: return OFTInteger64;
    case FieldType::Real: return OFTReal;
    case FieldType::String: break;
    }
    return OFTString;
}

}  // namespace

bool OgrFields::create(OGRLayer* layer, const QVector<GisLayers::Field>& fields)
{
    for (const GisLayers::Field& field : fields) {
        OGRFieldDefn definition(field.name.toUtf8().constData(), ogrType(field.type));
        if (field.type == FieldType::Boolean)
            definition.SetSubType(OFSTBoolean);
        if (layer->CreateField(&definition) != OGRERR_NONE)
            return false;
    }
    return true;
}

void OgrFields::set(OGRFeature& feature, int index, const QVariant& value, FieldType type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Boolean: feature.SetField(index, value.toInt()); break;
    case FieldType::Integer64: feature.SetField(index, GIntBig(value.toLongLong())); break;
    case FieldType::Real: feature.SetField(index, value.toDouble()); break;
    case FieldType::String: feature.SetField(index, value.toString().toUtf8().constData()); break;
    }
}
