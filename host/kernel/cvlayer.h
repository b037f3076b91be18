#pragma once

#include "cvgeoobject.h"

#include <QVector>

// A drawing layer of the geographic model; it lists the objects shown in it.
class CRVKERNEL_EXPORT CVLayer : public CVObject
{
public:
    CVLayer(CVModel* model, const CVType* type) : CVObject(model, type) {}

    int getLevel() const { return level; }
    void setLevel(int newLevel) { level = newLevel; }
    const QString& getInternalName() const { return internalName; }
    void setInternalName(const QString& name) { internalName = name; }

    void addObject(CVObject* object);
    const QVector<CVObject*>& getObjects() const { return objects; }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    int level = 0;
    QString internalName;
    QVector<CVObject*> objects;
};
