#include "cvroadtype.h"

#include "cvregistry.h"

CV_REGISTER_TYPE(CVRoadType)
