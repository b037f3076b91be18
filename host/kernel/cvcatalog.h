#pragma once

#include "cvobject.h"

#include <QHash>
#include <QMap>
#include <QMultiHash>

// The model's objects, owned and indexed. Every look-up is a hash look-up:
// an import asks the catalogue hundreds of thousands of times.
class CRVKERNEL_EXPORT CVCatalog
{
public:
    using ObjectsById = QMap<unsigned int, CVObject*>;

    CVCatalog() = default;
    ~CVCatalog();
    CVCatalog(const CVCatalog&) = delete;
    CVCatalog& operator=(const CVCatalog&) = delete;

    // Takes ownership; the object must already have its id.
    void add(CVObject* object);
    // Makes room for that many objects in the id index at once, for a
    // reader that knows how many will come.
    void reserve(int objectCount) { byId.reserve(objectCount); }
    // Removes and deletes the object.
    void remove(CVObject* object);

    CVObject* find(unsigned int id) const { return byId.value(id, nullptr); }
    // The object of that name (of that type, when a type is given); the one
    // with the lowest id when several share the name.
    CVObject* find(const QString& name, const CVType* type = nullptr,
                   Qt::CaseSensitivity cs = Qt::CaseSensitive) const;
    // The model's objects of a type in ascending id, or null when there is none.
    const ObjectsById* getObjectsByType(const CVType* type) const;
    CVObject* findObjectByExternalId(const QString& externalId, const CVType* type = nullptr) const;
    int size(const CVType* type) const;
    int size() const { return int(byId.size()); }
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
    void indexExternalId(CVObject* object);
    void unindexExternalId(CVObject* object, const QString& externalId);

    QHash<unsigned int, CVObject*> byId;
    QHash<const CVType*, ObjectsById> byType;
    QMultiHash<QString, CVObject*> byName;
    QMultiHash<QString, CVObject*> byFoldedName;
    QMultiHash<QString, CVObject*> byExternalId;
    // The lowest-id object of each external id: a look-up of any type costs
    // one hash look-up however many objects share the id.
    QHash<QString, CVObject*> lowestByExternalId;
};
