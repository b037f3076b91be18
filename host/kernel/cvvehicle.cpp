#include "cvvehicle.h"

#include "cvfieldwriter.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

CV_REGISTER_TYPE(CVVehicle)

// The physical attributes of a vehicle type: mean, minimum and maximum of
// each quantity.
CV_REGISTER_COLUMN("CVVehicle::lengthMean")
CV_REGISTER_COLUMN("CVVehicle::lengthMin")
CV_REGISTER_COLUMN("CVVehicle::lengthMax")
CV_REGISTER_COLUMN("CVVehicle::widthMean")
CV_REGISTER_COLUMN("CVVehicle::widthMin")
CV_REGISTER_COLUMN("CVVehicle::widthMax")
CV_REGISTER_COLUMN("CVVehicle::maxSpeedMean")
CV_REGISTER_COLUMN("CVVehicle::maxSpeedMin")
CV_REGISTER_COLUMN("CVVehicle::maxSpeedMax")
CV_REGISTER_COLUMN("CVVehicle::maxAccelMean")
CV_REGISTER_COLUMN("CVVehicle::maxAccelMin")
CV_REGISTER_COLUMN("CVVehicle::maxAccelMax")
CV_REGISTER_COLUMN("CVVehicle::maxDecelMean")
CV_REGISTER_COLUMN("CVVehicle::maxDecelMin")
CV_REGISTER_COLUMN("CVVehicle::maxDecelMax")

void CVVehicle::writeFields(CVFieldWriter& json) const
{
    // Attribute columns are the vehicle's attributes; -1 stands for a value
    // the vehicle class does not give.
    QJsonObject attributes = dataValuesJson();
    for (auto it = attributes.begin(); it != attributes.end(); ++it) {
        if (it.value().isDouble() && it.value().toDouble() == -1.0)
            it.value() = QJsonValue(QJsonValue::Null);
    }
    json.insert(QStringLiteral("attributes"), attributes);
}

void CVVehicle::readFields(const CVSavedObject& json, CVReadContext& context)
{
    QJsonObject attributes = json.value(QStringLiteral("attributes")).toObject();
    for (auto it = attributes.begin(); it != attributes.end(); ++it) {
        if (it.value().isNull())
            it.value() = -1.0;
    }
    readDataValues(attributes, context);
}
