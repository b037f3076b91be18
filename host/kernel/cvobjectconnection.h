#pragma once

#include "cvobject.h"

// A link from one object to another network object, with a type that says
// how the two are joined. The model owns it; its owner lists it.
class CRVKERNEL_EXPORT CVObjectConnection : public CVObject
{
public:
    CVObjectConnection(CVModel* model, const CVType* type) : CVObject(model, type) {}

    CVObject* getConnectionObject() const { return connectionObject; }
    void setConnectionObject(CVObject* object) { connectionObject = object; }
    int getConnectionType() const { return connectionType; }
    void setConnectionType(int newType) { connectionType = newType; }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    CVObject* connectionObject = nullptr;
    int connectionType = 0;
};
