// Vehicle types: the built-in classes and the types of the vehicles file.

#include "traffic/vehiclebuilder.h"

#include "reader/containers/paramicsrecordmap.h"
#include "reader/paramicstrafficrecords.h"

#include <cvcommander.h>
#include <cvmodel.h>
#include <cvvehicle.h>

#include <QVariant>

#include <utility>

BaseVehicleBuilder::BaseVehicleBuilder(ParamicsBaseVehicleMap& baseVehicles) : baseVehicles(baseVehicles) {}

void BaseVehicleBuilder::build()
{
    struct ClassValues
    {
        const char* name;
        double length, width, maxSpeed, maxAccel, maxDecel;
    };
    // Speeds are whole metres per second written in km/h; a bus has no width.
    static const ClassValues classes[] = {
        {"car", 4.0, 1.6, 158.4, 2.5, 4.5},
        {"bus", 10.0, ParamicsBaseVehicle::NotGiven, 61.2, 0.9, 3.2},
        {"lgv", 6.0, 2.3, 126.0, 1.8, 3.9},
        {"ogv1", 8.0, 2.4, 104.4, 1.1, 3.2},
        {"ogv2", 11.0, 2.5, 118.8, 1.4, 3.7},
        {"minibus", 6.0, 2.5, 61.2, 1.1, 3.2},
        {"coach", 10.0, 2.5, 126.0, 1.2, 3.7},
    };
    for (const ClassValues& values : classes) {
        auto* base = new ParamicsBaseVehicle;
        base->className = QString::fromLatin1(values.name);
        base->length = values.length;
        base->width = values.width;
        base->maxSpeed = values.maxSpeed;
        base->maxAccel = values.maxAccel;
        base->maxDecel = values.maxDecel;
        ParamicsRecords::replace(baseVehicles, base->className, base);
    }
}

// Every vehicle type of the file whose class is a built-in one becomes a
// host vehicle type, by ascending matrix number and then in file order.
VehicleBuilder::VehicleBuilder(CVModel* model, const ParamicsBaseVehicleMap& baseVehicles,
                               const ParamicsVehicleMap& vehicles)
    : model(model), baseVehicles(baseVehicles), vehicles(vehicles)
{
}

void VehicleBuilder::build()
{
    if (!model)
        return;
    for (const QVector<ParamicsVehicle*>& types : std::as_const(vehicles)) {
        for (ParamicsVehicle* record : types) {
            if (!record)
                continue;
            const ParamicsBaseVehicle* base = baseVehicles.value(record->className, nullptr);
            if (base)
                record->vehicle = createVehicle(*record, *base);
        }
    }
}

// A vehicle type named after its type number and class, whose attributes
// all take the class's values: mean, minimum and maximum alike. A class
// without a width passes -1, which the host keeps as "no value".
CVVehicle* VehicleBuilder::createVehicle(const ParamicsVehicle& record, const ParamicsBaseVehicle& base)
{
    auto* command = new CVVehicleNewCmd;
    CVCommander* commander = model->getCommander();
    if (!commander) {
        delete command;
        return nullptr;
    }
    commander->addCommand(command);
    auto* vehicle = dynamic_cast<CVVehicle*>(command->createdObject());
    if (!vehicle)
        return nullptr;
    vehicle->setName(QStringLiteral("Paramics Vehicle %1 %2").arg(QString::number(record.type), record.className));

    const struct
    {
        const char* quantity;
        double value;
    } attributes[] = {
        {"length", base.length},     {"width", base.width},       {"maxSpeed", base.maxSpeed},
        {"maxAccel", base.maxAccel}, {"maxDecel", base.maxDecel},
    };
    for (const auto& attribute : attributes) {
        for (const char* statistic : {"Mean", "Min", "Max"}) {
            const QString column = QStringLiteral("CVVehicle::%1%2").arg(QLatin1String(attribute.quantity), QLatin1String(statistic));
            vehicle->setDataValue(model->getColumn(column), QVariant(attribute.value));
        }
    }
    vehicle->setStatus(CVObject::StatusImported);
    return vehicle;
}
