#include "cvvehicle.h"

#include "cvregistry.h"

CV_REGISTER_TYPE(CVVehicle)
