#pragma once

#include "cvobject.h"

// A road type; sections refer to one by name.
class CRVKERNEL_EXPORT CVRoadType : public CVObject
{
public:
    CVRoadType(CVModel* model, const CVType* type) : CVObject(model, type) {}
};
