#include "cvcentroidconfiguration.h"

#include "cvcentroid.h"
#include "cvfieldwriter.h"
#include "cvmodel.h"
#include "cvodmatrix.h"
#include "cvreadcontext.h"
#include "cvregistry.h"
#include "cvsavedobject.h"

#include <QJsonArray>

CV_REGISTER_TYPE(CVCentroidConfiguration)

void CVCentroidConfiguration::activate()
{
    if (getModel())
        getModel()->setActiveCentroidConfiguration(this);
}

void CVCentroidConfiguration::addCentroid(CVObject* centroid)
{
    if (!centroid || centroidIdSet.contains(centroid->getId()))
        return;
    centroidIdSet.insert(centroid->getId());
    centroidIds.append(centroid->getId());
}

void CVCentroidConfiguration::addODMatrix(CVObject* matrix)
{
    if (matrix)
        matrixIds.append(matrix->getId());
}

void CVCentroidConfiguration::writeFields(CVFieldWriter& json) const
{
    QJsonArray ids;
    for (unsigned int id : centroidIds)
        ids.append(qint64(id));
    json.insert(QStringLiteral("centroids"), ids);
    QJsonArray matrices;
    for (unsigned int id : matrixIds)
        matrices.append(qint64(id));
    json.insert(QStringLiteral("odMatrices"), matrices);
}

void CVCentroidConfiguration::readFields(const CVSavedObject& json, CVReadContext& context)
{
    for (CVObject* centroid : context.objectListAs<CVCentroid>(json.value(QStringLiteral("centroids"))))
        addCentroid(centroid);
    for (CVObject* matrix : context.objectListAs<CVODMatrix>(json.value(QStringLiteral("odMatrices"))))
        addODMatrix(matrix);
}
