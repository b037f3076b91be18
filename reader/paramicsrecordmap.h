#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>

// Records keyed by name (nodes by id, links by "from:to"), in name order.
// The order decides which record is built first and so the ids and order
// of the host objects, and must stay; but readers and builders look names
// up far more often than they walk the records, so a hash table beside the
// ordered map answers the look-ups without comparing strings. Records are
// only added or replaced through this class, which keeps both in step.
template <typename Record>
class ParamicsNamedRecords
{
public:
    using key_type = QString;
    using Ordered = QMap<QString, Record*>;
    using const_iterator = typename Ordered::const_iterator;

    Record* value(const QString& name, Record* fallback = nullptr) const { return index.value(name, fallback); }
    bool contains(const QString& name) const { return index.contains(name); }
    void insert(const QString& name, Record* record)
    {
        ordered.insert(name, record);
        index.insert(name, record);
    }
    void clear()
    {
        ordered.clear();
        index.clear();
    }
    // Makes room for the number of records a file announces or implies.
    void reserve(qsizetype count) { index.reserve(count); }

    qsizetype size() const { return ordered.size(); }
    bool isEmpty() const { return ordered.isEmpty(); }
    QList<QString> keys() const { return ordered.keys(); }
    const_iterator begin() const { return ordered.cbegin(); }
    const_iterator end() const { return ordered.cend(); }
    const_iterator cbegin() const { return ordered.cbegin(); }
    const_iterator cend() const { return ordered.cend(); }

private:
    Ordered ordered;
    QHash<QString, Record*> index;
};

namespace ParamicsRecords {

// Puts a record into its map; a different record stored under the same key
// before is deleted, since the map owns its records.
template <typename Map, typename Record>
void replace(Map& map, const typename Map::key_type& key, Record* record)
{
    auto it = map.find(key);
    if (it != map.end() && it.value() != record)
        delete it.value();
    map.insert(key, record);
}

template <typename Record>
void replace(ParamicsNamedRecords<Record>& map, const QString& key, Record* record)
{
    Record* previous = map.value(key);
    if (previous && previous != record)
        delete previous;
    map.insert(key, record);
}

}  // namespace ParamicsRecords
