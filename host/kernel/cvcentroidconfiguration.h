#pragma once

#include "cvobject.h"

#include <QSet>
#include <QVector>

// A set of centroids that demand refers to. A model may hold several; one
// is active.
class CRVKERNEL_EXPORT CVCentroidConfiguration : public CVObject
{
public:
    CVCentroidConfiguration(CVModel* model, const CVType* type) : CVObject(model, type) {}

    // Finishes a newly filed configuration: it becomes the model's active one.
    virtual void activate();

    void addCentroid(CVObject* centroid);
    const QVector<unsigned int>& getCentroidIds() const { return centroidIds; }
    // The configuration takes the OD matrix into its demand.
    void addODMatrix(CVObject* matrix);
    const QVector<unsigned int>& getODMatrixIds() const { return matrixIds; }

    void writeFields(CVFieldWriter& json) const override;
    void readFields(const CVSavedObject& json, CVReadContext& context) override;

private:
    QVector<unsigned int> centroidIds;
    QSet<unsigned int> centroidIdSet;
    QVector<unsigned int> matrixIds;
};
