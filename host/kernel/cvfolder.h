#pragma once

#include "cvobject.h"

#include <QSet>
#include <QVector>

// A folder of the model's tree: it files objects (control plans, centroid
// configurations, other folders) without owning them.
class CRVKERNEL_EXPORT CVFolder : public CVObject
{
public:
    CVFolder(CVModel* model, const CVType* type) : CVObject(model, type) {}

    void append(CVObject* object);
    bool contains(const CVObject* object) const { return memberSet.contains(object); }
    const QVector<CVObject*>& getMembers() const { return members; }
    // The sub-folder of that name, or null.
    CVFolder* findFolder(const QString& name) const;

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    QVector<CVObject*> members;
    // The same members, to find one without walking thousands (a folder
    // holds every public line of a network).
    QSet<const CVObject*> memberSet;
};
