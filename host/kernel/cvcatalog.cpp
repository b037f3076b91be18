#include "cvcatalog.h"

#include <algorithm>
#include <utility>

namespace {

bool ascendingId(const CVObject* a, const CVObject* b)
{
    return a->getId() < b->getId();
}

// How far past the number of objects held an id may lie and still get a
// slot in the id array: room for the gaps that deleted objects leave.
constexpr unsigned int DenseIdSlack = 4096;

}  // namespace

QList<unsigned int> CVObjectsById::ids() const
{
    QList<unsigned int> result;
    result.reserve(size());
    for (const CVObject* object : objects)
        result.append(object->getId());
    return result;
}

void CVObjectsById::append(CVObject* object)
{
    if (!objects.empty() && object->getId() < objects.back()->getId())
        sorted = false;
    objects.push_back(object);
}

void CVObjectsById::remove(const CVObject* object)
{
    auto it = sorted ? std::lower_bound(objects.begin(), objects.end(), object, ascendingId)
                     : std::find(objects.begin(), objects.end(), object);
    if (it != objects.end() && *it == object)
        objects.erase(it);
}

void CVObjectsById::sortIfNeeded()
{
    if (sorted)
        return;
    std::sort(objects.begin(), objects.end(), ascendingId);
    sorted = true;
}

CVCatalog::~CVCatalog()
{
    // The whole model goes: nothing is unregistered object by object. The
    // indexes are dropped whole and the objects deleted in id order, close
    // to the order they were allocated in, which keeps freeing them
    // cache-friendly. When every id is dense (any imported model), the
    // dense index is that order already: it is taken over as it stands
    // rather than copied, since a copy of a large model's index would be
    // megabytes of fresh pages touched only to be thrown away.
    const QList<CVObject*> mixedIds = bySparseId.isEmpty() ? QList<CVObject*>() : allObjects();
    const std::vector<CVObject*> denseIds = std::exchange(byDenseId, {});
    byFoldedName.clear();
    moreByFoldedName.clear();
    unfiledNames = {};
    byExternalId.clear();
    lowestByExternalId.clear();
    byType.clear();
    lastAddedType = nullptr;
    bySparseId.clear();
    if (mixedIds.isEmpty()) {
        // The walk waits on memory: the objects a few places ahead are
        // fetched while the current one is deleted.
        const std::size_t count = denseIds.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (i + 8 < count && denseIds[i + 8])
                __builtin_prefetch(denseIds[i + 8], 1);
            delete denseIds[i];
        }
    } else {
        for (CVObject* object : mixedIds)
            delete object;
    }
}

void CVCatalog::reserve(int count)
{
    if (count > 0)
        byDenseId.reserve(std::size_t(count) + 1);
}

bool CVCatalog::fitsDenseIds(unsigned int id) const
{
    return id < byDenseId.size() || id <= 2 * unsigned(objectCount) + DenseIdSlack;
}

void CVCatalog::storeId(CVObject* object)
{
    const unsigned int id = object->getId();
    if (!fitsDenseIds(id)) {
        bySparseId.insert(id, object);
        return;
    }
    // Ids mostly come one after the other: the next id is appended.
    if (id == byDenseId.size()) {
        byDenseId.push_back(object);
        return;
    }
    if (id > byDenseId.size())
        byDenseId.resize(std::size_t(id) + 1, nullptr);
    byDenseId[id] = object;
}

void CVCatalog::dropId(unsigned int id)
{
    if (id < byDenseId.size() && byDenseId[id])
        byDenseId[id] = nullptr;
    else
        bySparseId.remove(id);
}

void CVCatalog::add(CVObject* object)
{
    if (!object || find(object->getId()))
        return;  // the id is taken
    storeId(object);
    ++objectCount;
    // Objects come in long runs of one type: its list is looked up when
    // the type changes.
    if (object->getType() != lastAddedType) {
        lastAddedType = object->getType();
        lastAddedTypeObjects = &byType[lastAddedType];
    }
    lastAddedTypeObjects->append(object);
    indexName(object);
    indexExternalId(object);
}

void CVCatalog::remove(CVObject* object)
{
    if (!holds(object))
        return;
    dropId(object->getId());
    --objectCount;
    byType[object->getType()].remove(object);
    lastAddedType = nullptr;  // the look-up above may have moved the lists
    unindexName(object, object->getName());
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

size_t CVCatalog::foldedNameKey(const QString& name)
{
    // Most names are short and ASCII, where folding lowers A to Z and
    // nothing else: they are folded into a buffer here, which hashes as
    // the folded string does, without making that string.
    constexpr qsizetype Room = 64;
    if (name.size() <= Room) {
        char16_t folded[Room];
        const QChar* chars = name.constData();
        qsizetype i = 0;
        for (; i < name.size(); ++i) {
            const char16_t c = chars[i].unicode();
            if (c >= 0x80)
                break;
            folded[i] = c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
        }
        if (i == name.size())
            return qHash(QStringView(folded, i));
    }
    // toCaseFolded() shares the name's data when folding changes nothing,
    // and a folded copy is dropped right away.
    return qHash(name.toCaseFolded());
}

CVObject* CVCatalog::find(const QString& name, const CVType* type, Qt::CaseSensitivity cs) const
{
    if (name.isEmpty())
        return nullptr;  // nameless objects are not indexed
    fileNames();
    const size_t key = foldedNameKey(name);
    CVObject* first = byFoldedName.value(key, nullptr);
    if (!first)
        return nullptr;  // further objects of a hash exist only beside a first one
    // The candidates share the hash of the folded name. The type and the id
    // are checked before the name, and the name is compared in place, so a
    // name that many objects share costs no copy per object.
    CVObject* best = nullptr;
    const auto consider = [&](CVObject* candidate) {
        if ((type && candidate->getType() != type) || (best && best->getId() < candidate->getId()))
            return;
        if (candidate->getName().compare(name, cs) == 0)
            best = candidate;
    };
    consider(first);
    for (auto [it, end] = moreByFoldedName.equal_range(key); it != end; ++it)
        consider(it.value());
    return best;
}

const CVCatalog::ObjectsById* CVCatalog::getObjectsByType(const CVType* type) const
{
    auto it = byType.find(type);
    if (it == byType.end() || it->isEmpty())
        return nullptr;
    it->sortIfNeeded();
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
    objects.reserve(objectCount);
    for (CVObject* object : byDenseId) {
        if (object)
            objects.append(object);
    }
    if (!bySparseId.isEmpty()) {
        objects.append(bySparseId.values());
        std::sort(objects.begin(), objects.end(), ascendingId);
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
    if (!holds(object))
        return;
    unindexName(object, oldName);
    indexName(object);
}

void CVCatalog::objectExternalIdChanged(CVObject* object, const QString& oldExternalId)
{
    if (!holds(object))
        return;
    unindexExternalId(object, oldExternalId);
    indexExternalId(object);
}

void CVCatalog::indexName(CVObject* object)
{
    if (object->getName().isEmpty())
        return;
    unfiledNames.emplace_back(foldedNameKey(object->getName()), object);
}

void CVCatalog::fileNames() const
{
    if (unfiledNames.empty())
        return;
    byFoldedName.reserve(byFoldedName.size() + qsizetype(unfiledNames.size()));
    for (const auto& [key, object] : unfiledNames) {
        CVObject*& first = byFoldedName[key];
        if (!first)
            first = object;
        else
            moreByFoldedName.insert(key, object);
    }
    unfiledNames = {};
}

void CVCatalog::unindexName(CVObject* object, const QString& name)
{
    if (name.isEmpty())
        return;
    fileNames();  // the object may still be waiting
    const size_t key = foldedNameKey(name);
    const auto it = byFoldedName.find(key);
    if (it == byFoldedName.end())
        return;
    if (it.value() != object) {
        moreByFoldedName.remove(key, object);
        return;
    }
    // The first of the hash goes: one of the others takes its place.
    const auto next = moreByFoldedName.find(key);
    if (next == moreByFoldedName.end()) {
        byFoldedName.erase(it);
        return;
    }
    it.value() = next.value();
    moreByFoldedName.erase(next);
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
