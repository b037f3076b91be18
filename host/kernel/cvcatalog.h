#pragma once

#include "cvobject.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QMultiHash>

#include <utility>
#include <vector>

// The objects of one type in ascending id, as the catalogue hands them out.
class CRVKERNEL_EXPORT CVObjectsById
{
public:
    using const_iterator = std::vector<CVObject*>::const_iterator;

    const_iterator begin() const { return objects.cbegin(); }
    const_iterator end() const { return objects.cend(); }
    qsizetype size() const { return qsizetype(objects.size()); }
    bool isEmpty() const { return objects.empty(); }
    CVObject* first() const { return objects.front(); }
    QList<CVObject*> values() const { return QList<CVObject*>(objects.cbegin(), objects.cend()); }
    QList<unsigned int> ids() const;

private:
    friend class CVCatalog;
    // Ids are handed out in ascending order, so objects are appended; one
    // read from a model file out of order leaves the list unsorted until
    // the catalogue hands it out next.
    void append(CVObject* object);
    void remove(const CVObject* object);
    void sortIfNeeded();

    std::vector<CVObject*> objects;
    bool sorted = true;
};

// The model's objects, owned and indexed. Every look-up is a hash or array
// look-up: an import asks the catalogue hundreds of thousands of times.
class CRVKERNEL_EXPORT CVCatalog
{
public:
    using ObjectsById = CVObjectsById;

    CVCatalog() = default;
    ~CVCatalog();
    CVCatalog(const CVCatalog&) = delete;
    CVCatalog& operator=(const CVCatalog&) = delete;

    // Room for ids up to about that many objects, before a bulk load.
    void reserve(int objectCount);
    // Takes ownership; the object must already have its id.
    void add(CVObject* object);
    // Removes and deletes the object.
    void remove(CVObject* object);

    CVObject* find(unsigned int id) const
    {
        CVObject* dense = id < byDenseId.size() ? byDenseId[id] : nullptr;
        return dense || bySparseId.isEmpty() ? dense : bySparseId.value(id, nullptr);
    }
    // The object of that name (of that type, when a type is given); the one
    // with the lowest id when several share the name. Without regard to
    // case, names match when they are equal letter by letter once each
    // letter is case-folded on its own (Unicode's simple folding): "STRAẞE"
    // finds "Straße" and "ΟΔΟΣ" finds "οδος", but "STRASSE" does not find
    // "Straße", as no letter becomes two.
    CVObject* find(const QString& name, const CVType* type = nullptr,
                   Qt::CaseSensitivity cs = Qt::CaseSensitive) const;
    // The model's objects of a type in ascending id, or null when there is none.
    const ObjectsById* getObjectsByType(const CVType* type) const;
    CVObject* findObjectByExternalId(const QString& externalId, const CVType* type = nullptr) const;
    int size(const CVType* type) const;
    int size() const { return objectCount; }
    // Every object in ascending id.
    QList<CVObject*> allObjects() const;
    // How many objects of each type the model holds, by type name, without
    // visiting the objects.
    QMap<QString, int> sizesByTypeName() const;

    // Index upkeep, called by CVObject.
    void objectRenamed(CVObject* object, const QString& oldName);
    void objectExternalIdChanged(CVObject* object, const QString& oldExternalId);

private:
    static CVObject* lowestId(const QList<CVObject*>& candidates, const CVType* type);
    bool holds(const CVObject* object) const { return object && find(object->getId()) == object; }
    bool fitsDenseIds(unsigned int id) const;
    void storeId(CVObject* object);
    void dropId(unsigned int id);
    void indexName(CVObject* object);
    void unindexName(CVObject* object, const QString& name);
    void indexExternalId(CVObject* object);
    void unindexExternalId(CVObject* object, const QString& externalId);

    // Ids are handed out from 1 without gaps, so the id table is an array
    // indexed by id. Ids far beyond the number of objects held (a model
    // file may hold any) go to a hash instead of stretching the array.
    std::vector<CVObject*> byDenseId;
    QHash<unsigned int, CVObject*> bySparseId;
    int objectCount = 0;
    mutable QHash<const CVType*, ObjectsById> byType;
    // The list of the type last added to, while no other list was made or
    // removed (which may move the lists).
    const CVType* lastAddedType = nullptr;
    ObjectsById* lastAddedTypeObjects = nullptr;
    // One index serves both kinds of name look-up: objects are filed under
    // a hash of their case-folded name, and a look-up keeps the candidates
    // whose name matches (exactly, or once folded). The index holds no
    // strings and, for a name held by one object, no node of its own: the
    // first object of a hash sits in byFoldedName, further ones in
    // moreByFoldedName. Names are mostly unique, so a model of hundreds of
    // thousands of objects is indexed (and freed) in a few large arrays.
    //
    // A name is filed on the first look-up by name after it was given: an
    // import names some hundred thousand objects one after the other and
    // looks a name up only now and then. Until then the object waits in
    // unfiledNames with its key, worked out while the name was fresh in
    // memory, and the names are filed together, into an index grown once.
    static size_t foldedNameKey(const QString& name);
    void fileNames() const;
    mutable QHash<size_t, CVObject*> byFoldedName;
    mutable QMultiHash<size_t, CVObject*> moreByFoldedName;
    mutable std::vector<std::pair<size_t, CVObject*>> unfiledNames;
    QMultiHash<QString, CVObject*> byExternalId;
    // The lowest-id object of each external id: a look-up of any type costs
    // one hash look-up however many objects share the id.
    QHash<QString, CVObject*> lowestByExternalId;
};
