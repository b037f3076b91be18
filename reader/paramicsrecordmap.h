#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

// Records keyed by name (nodes by id, links by "from:to"), walked in name
// order. The order decides which record is built first and so the ids and
// order of the host objects, and must stay; but readers and builders add
// and look up names far more often than they walk the records. So the
// records are kept in the order they came, a hash table finds a name's
// record without comparing strings, and the name order is made by one sort
// when the records are first walked after an addition. Records are only
// added or replaced through this class, which keeps all three in step.
// Adding a name invalidates the iterators; replacing a record does not.
template <typename Record>
class ParamicsNamedRecords
{
    struct Entry
    {
        QString name;
        Record* record;
    };

public:
    using key_type = QString;

    class const_iterator
    {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = Record*;
        using difference_type = std::ptrdiff_t;
        using pointer = Record* const*;
        using reference = Record* const&;

        const_iterator() = default;
        const QString& key() const { return (*slot)->name; }
        Record* value() const { return (*slot)->record; }
        Record* operator*() const { return (*slot)->record; }
        const_iterator& operator++()
        {
            ++slot;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(slot++); }
        const_iterator& operator--()
        {
            --slot;
            return *this;
        }
        const_iterator operator--(int) { return const_iterator(slot--); }
        bool operator==(const const_iterator& other) const { return slot == other.slot; }
        bool operator!=(const const_iterator& other) const { return slot != other.slot; }

    private:
        friend class ParamicsNamedRecords;
        explicit const_iterator(const Entry* const* slot) : slot(slot) {}
        const Entry* const* slot = nullptr;
    };

    ParamicsNamedRecords() = default;
    ParamicsNamedRecords(const ParamicsNamedRecords& other) : entries(other.entries), index(other.index) { sorted = false; }
    ParamicsNamedRecords& operator=(const ParamicsNamedRecords& other)
    {
        entries = other.entries;
        index = other.index;
        byName.clear();
        sorted = false;
        return *this;
    }

    Record* value(const QString& name, Record* fallback = nullptr) const
    {
        const auto found = index.constFind(name);
        return found == index.cend() ? fallback : entries[std::size_t(*found)].record;
    }
    bool contains(const QString& name) const { return index.contains(name); }
    void insert(const QString& name, Record* record)
    {
        const auto found = index.constFind(name);
        if (found != index.cend()) {
            entries[std::size_t(*found)].record = record;
            return;
        }
        index.insert(name, qsizetype(entries.size()));
        entries.push_back(Entry{name, record});
        sorted = false;
    }
    void clear()
    {
        entries.clear();
        index.clear();
        byName.clear();
        sorted = true;
    }
    // Makes room for the number of records a file announces or implies.
    void reserve(qsizetype count)
    {
        index.reserve(count);
        entries.reserve(std::size_t(count));
    }

    qsizetype size() const { return qsizetype(entries.size()); }
    bool isEmpty() const { return entries.empty(); }
    QList<QString> keys() const
    {
        QList<QString> names;
        names.reserve(size());
        for (auto it = cbegin(); it != cend(); ++it)
            names.append(it.key());
        return names;
    }
    const_iterator begin() const { return cbegin(); }
    const_iterator end() const { return cend(); }
    const_iterator cbegin() const { return const_iterator(inNameOrder().data()); }
    const_iterator cend() const { return const_iterator(inNameOrder().data() + entries.size()); }

private:
    // The entries in ascending name order (QString's order: UTF-16 code
    // units compared as numbers, a name before every longer name it
    // begins), sorted again only after a name was added.
    const std::vector<const Entry*>& inNameOrder() const
    {
        if (sorted)
            return byName;
        // Each name's first four code units, packed with the first in the
        // highest bits, order two names whenever they differ there; only
        // names that agree in them are compared as strings.
        struct Keyed
        {
            std::uint64_t prefix;
            const Entry* entry;
        };
        std::vector<Keyed> keyed;
        keyed.reserve(entries.size());
        for (const Entry& entry : entries) {
            std::uint64_t prefix = 0;
            const qsizetype length = entry.name.size();
            for (qsizetype i = 0; i < 4; ++i)
                prefix = (prefix << 16) | (i < length ? std::uint64_t(entry.name.at(i).unicode()) : 0u);
            keyed.push_back(Keyed{prefix, &entry});
        }
        std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
            if (a.prefix != b.prefix)
                return a.prefix < b.prefix;
            return a.entry->name < b.entry->name;
        });
        byName.clear();
        byName.reserve(keyed.size());
        for (const Keyed& k : keyed)
            byName.push_back(k.entry);
        sorted = true;
        return byName;
    }

    std::vector<Entry> entries;        // in the order the names were first added
    QHash<QString, qsizetype> index;   // name -> its entry
    mutable std::vector<const Entry*> byName;
    mutable bool sorted = true;
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
