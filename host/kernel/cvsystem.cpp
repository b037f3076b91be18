#include "cvsystem.h"

#include "cvcatalog.h"
#include "cvfolder.h"
#include "cvmodel.h"
#include "cvregistry.h"
#include "cvtask.h"

CVSystem& CVSystem::getSystem()
{
    static CVSystem* system = new CVSystem;  // lives as long as the process
    return *system;
}

CVModel* CVSystem::createModel()
{
    auto* model = new CVModel;
    // What a new model of a real host comes with: the basic road types and
    // the car and bus vehicle types.
    const char* roadTypes[] = {"Freeway", "Urban Road", "Arterial"};
    for (const char* name : roadTypes)
        newObject(QStringLiteral("CVRoadType"), model)->setName(QString::fromLatin1(name));
    const char* vehicleTypes[] = {"car", "bus"};
    for (const char* name : vehicleTypes)
        newObject(QStringLiteral("CVVehicle"), model)->setName(QString::fromLatin1(name));
    return model;
}

CVObject* CVSystem::newObject(const QString& typeName, CVModel* model, int id, bool registerInCatalog)
{
    return newObject(CVRegistry::instance().type(typeName), model, id, registerInCatalog);
}

CVObject* CVSystem::newObject(const CVType* type, CVModel* model, int id, bool registerInCatalog)
{
    if (!type || !model)
        return nullptr;
    CVObject* object = type->create(model);
    object->setId(id < 0 ? model->getNewId() : unsigned(id));
    if (registerInCatalog)
        model->getCatalog()->add(object);
    emit objectCreated(object);
    return object;
}

CVFolder* CVSystem::createFolder(CVFolder* parent, const QString& name, bool, bool* created)
{
    if (created)
        *created = false;
    if (!parent)
        return nullptr;
    if (CVFolder* existing = parent->findFolder(name))
        return existing;
    auto* folder = static_cast<CVFolder*>(newObject(QStringLiteral("CVFolder"), parent->getModel()));
    folder->setName(name);
    parent->append(folder);
    if (created)
        *created = true;
    return folder;
}

CVTask* CVSystem::createTask(CVModel* model, QWidget*)
{
    auto* task = new CVTask(model, this);
    emit taskCreated(task);
    return task;
}

void CVSystem::addImportFilter(const CVFilterDescription& description)
{
    importFilters.append(description);
}
