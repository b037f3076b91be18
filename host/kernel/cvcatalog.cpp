#include "cvcatalog.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Ids below this always fit the table; above it, ids up to four times the
// number of objects do.
constexpr std::size_t TableFloor = std::size_t(1) << 16;

}  // namespace

CVCatalog::~CVCatalog()
{
    // The whole model goes: nothing is unregistered object by object. The
    // indexes are dropped whole and the objects deleted in id order, close
    // to the order they were allocated in, which keeps freeing them
    // cache-friendly.
    std::vector<std::pair<unsigned int, CVObject*>> far;
    far.reserve(std::size_t(farIds.size()));
    for (auto it = farIds.cbegin(); it != farIds.cend(); ++it)
        far.emplace_back(it.key(), it.value());
    byName.clear();
    byFoldedName.clear();
    byExternalId.clear();
    lowestByExternalId.clear();
    byType.clear();
    farIds.clear();
    std::sort(far.begin(), far.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (CVObject* object : byId)
        delete object;
    for (const auto& entry : far)
        delete entry.second;
}

void CVCatalog::reserve(qsizetype objects)
{
    if (objects > 0)
        byId.reserve(std::size_t(objects) + 1);
}

CVObject** CVCatalog::slot(unsigned int id)
{
    if (id < byId.size())
        return &byId[id];
    if (id < std::max(TableFloor, std::size_t(count) * 4)) {
        byId.resize(std::max(std::size_t(id) + 1, std::min(byId.size() * 2, std::max(TableFloor, std::size_t(count) * 4))),
                    nullptr);
        return &byId[id];
    }
    return nullptr;
}

void CVCatalog::add(CVObject* object)
{
    if (!object)
        return;
    const unsigned int id = object->getId();
    if (find(id))
        return;  // the id is taken
    if (CVObject** place = slot(id))
        *place = object;
    else
        farIds.insert(id, object);
    ++count;
    // Ids are handed out in ascending order, so a new object goes last
    // among those of its type: the hint saves the search down the tree.
    ObjectsById& ofType = byType[object->getType()];
    ofType.insert(ofType.cend(), id, object);
    if (!object->getName().isEmpty()) {
        byName.insert(object->getName(), object);
        byFoldedName.insert(object->getName().toCaseFolded(), object);
    }
    indexExternalId(object);
}

void CVCatalog::remove(CVObject* object)
{
    if (!object || find(object->getId()) != object)
        return;
    const unsigned int id = object->getId();
    if (id < byId.size() && byId[id] == object)
        byId[id] = nullptr;
    else
        farIds.remove(id);
    --count;
    byType[object->getType()].remove(id);
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
    QList<CVObject*> objects;
    objects.reserve(count);
    for (CVObject* object : byId) {
        if (object)
            objects.append(object);
    }
    if (!farIds.isEmpty()) {
        // The table has grown past some of them since they came.
        objects.append(farIds.values());
        std::sort(objects.begin(), objects.end(),
                  [](const CVObject* a, const CVObject* b) { return a->getId() < b->getId(); });
    }
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
    if (find(object->getId()) != object)
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
    if (find(object->getId()) != object)
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
