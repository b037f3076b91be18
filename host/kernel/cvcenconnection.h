#pragma once

#include "cvobjectconnection.h"

// A centroid's connection to a section: type 0 when traffic leaves the
// centroid into the section, 1 when it arrives from the section.
class CRVKERNEL_EXPORT CVCenConnection : public CVObjectConnection
{
public:
    CVCenConnection(CVModel* model, const CVType* type) : CVObjectConnection(model, type) {}
};
