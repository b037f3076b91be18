#include "cvfilter.h"

#include "cvsystem.h"

CVFilter::CVFilter(CVGui* filterGui, CVModel* filterModel) : gui(filterGui), model(filterModel) {}

CVFilter::~CVFilter() = default;

bool CVFilter::importFromFile(const QString&, CVLayer*, const CVPoint&)
{
    return false;  // the base knows no file format
}

bool CVFilter::exportToFile(const QString&)
{
    return false;
}

bool CVFilter::startImport(const CVFilterDescription&, CVLayer* layer, const CVPoint& position)
{
    const QString file = CVSystem::getSystem().getLastUsedFile();
    return !file.isEmpty() && importFromFile(file, layer, position);
}

bool CVFilter::startExport(const CVFilterDescription&)
{
    const QString file = CVSystem::getSystem().getLastUsedFile();
    return !file.isEmpty() && exportToFile(file);
}
