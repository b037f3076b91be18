#include "cvcatalog.h"

#include <algorithm>
#include <utility>
#include <vector>

CVCatalog::~CVCatalog()
{
    // The whole model goes: nothing is unregistered object by object. The
    // objects are taken from the id table with their ids (sorting them then
    // reads no object), the indexes are dropped whole, and the objects are
    // deleted in id order, close to the order they were allocated in, which
    // keeps freeing them cache-friendly.
    std::vector<std::pair<unsigned int, CVObject*>> objects;
    objects.reserve(std::size_t(byId.size()));
    for (auto it = byId.cbegin(); it != byId.cend(); ++it)
        objects.emplace_back(it.key(), it.value());
    byName.clear();
    byFoldedName.clear();
    byExternalId.clear();
    lowestByExternalId.clear();
    byType.clear();
    byId.clear();
    std::sort(objects.begin(), objects.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : objects)
        delete entry.second;
}

void CVCatalog::add(CVObject* object)
{
    if (!object)
        return;
    const qsizetype before = byId.size();
    CVObject*& slot = byId[object->getId()];
    if (byId.size() == before)
        return;  // the id is taken
    slot = object;
    // Ids are handed out in ascending order, so a new object goes last
    // among those of its type: the hint saves the search down the tree.
    ObjectsById& ofType = byType[object->getType()];
    ofType.insert(ofType.cend(), object->getId(), object);
    if (!object->getName().isEmpty()) {
        byName.insert(object->getName(), object);
        byFoldedName.insert(object->getName().toCaseFolded(), object);
    }
    indexExternalId(object);
}

void CVCatalog::remove(CVObject* object)
{
    if (!object || byId.value(object->getId()) != object)
        return;
    byId.remove(object->getId());
    byType[object->getType()].remove(object->getId());
    byName.remove(object->getName(), object);
    byFoldedName.remove(object->getName().toCaseFolded(), object);
    unindexExternalId(object, object->getExternalId());
    delete object;
}

CVObject* CVCatalog::lowestId(const QList<CVObject*>& candidates, const CVType* type)
{
    CVObject* best = nullptr;
    for (CVObject* candidate : candidates) {
        if (type && candidate->getType() != type)
            continue;
        if (!best || candidate->getId() < best->getId())
            best = candidate;
    }
    return best;
}

CVObject* CVCatalog::find(const QString& name, const CVType* type, Qt::CaseSensitivity cs) const
{
    if (cs == Qt::CaseSensitive)
        return lowestId(byName.values(name), type);
    return lowestId(byFoldedName.values(name.toCaseFolded()), type);
}

const CVCatalog::ObjectsById* CVCatalog::getObjectsByType(const CVType* type) const
{
    auto it = byType.constFind(type);
    if (it == byType.cend() || it->isEmpty())
        return nullptr;
    return &it.value();
}

CVObject* CVCatalog::findObjectByExternalId(const QString& externalId, const CVType* type) const
{
    if (!type)
        return lowestByExternalId.value(externalId, nullptr);
    CVObject* lowest = lowestByExternalId.value(externalId, nullptr);
    if (!lowest || lowest->getType() == type)
        return lowest;
    return lowestId(byExternalId.values(externalId), type);
}

int CVCatalog::size(const CVType* type) const
{
    auto it = byType.constFind(type);
    return it == byType.cend() ? 0 : int(it->size());
}

QList<CVObject*> CVCatalog::allObjects() const
{
    QList<CVObject*> objects = byId.values();
    std::sort(objects.begin(), objects.end(),
              [](const CVObject* a, const CVObject* b) { return a->getId() < b->getId(); });
    return objects;
}

QMap<QString, int> CVCatalog::sizesByTypeName() const
{
    QMap<QString, int> sizes;
    for (auto it = byType.cbegin(); it != byType.cend(); ++it) {
        if (it.key() && !it->isEmpty())
            sizes[it.key()->getName()] += int(it->size());
    }
    return sizes;
}

void CVCatalog::objectRenamed(CVObject* object, const QString& oldName)
{
    if (byId.value(object->getId()) != object)
        return;
    byName.remove(oldName, object);
    byFoldedName.remove(oldName.toCaseFolded(), object);
    if (!object->getName().isEmpty()) {
        byName.insert(object->getName(), object);
        byFoldedName.insert(object->getName().toCaseFolded(), object);
    }
}

void CVCatalog::objectExternalIdChanged(CVObject* object, const QString& oldExternalId)
{
    if (byId.value(object->getId()) != object)
        return;
    unindexExternalId(object, oldExternalId);
    indexExternalId(object);
}

void CVCatalog::indexExternalId(CVObject* object)
{
    const QString& externalId = object->getExternalId();
    if (externalId.isEmpty())
        return;
    byExternalId.insert(externalId, object);
    CVObject*& lowest = lowestByExternalId[externalId];
    if (!lowest || object->getId() < lowest->getId())
        lowest = object;
}

void CVCatalog::unindexExternalId(CVObject* object, const QString& externalId)
{
    byExternalId.remove(externalId, object);
    const auto it = lowestByExternalId.find(externalId);
    if (it == lowestByExternalId.end() || it.value() != object)
        return;
    if (CVObject* next = lowestId(byExternalId.values(externalId), nullptr))
        it.value() = next;
    else
        lowestByExternalId.erase(it);
}
