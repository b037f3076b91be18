// Vehicle types: the built-in classes and the types of the vehicles file.

#include "importer/paramicsimporter.h"

void ParamicsImporter::addBaseVehicles()
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
        replaceRecord(baseVehicles, base->className, base);
    }
}

void ParamicsImporter::createVehicles()
{
}
