#include "cvcenconnection.h"

#include "cvregistry.h"

CV_REGISTER_TYPE(CVCenConnection)
