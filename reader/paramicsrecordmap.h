#pragma once

#include "reader/paramicsname.h"
#include "reader/paramicsrecordmemory.h"

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

// Records keyed by name (nodes by id, links by "from:to"), walked in name
// order. The order decides which record is built first and so the ids and
// order of the host objects, and must stay; but readers and builders add
// and look up names far more often than they walk the records. So the
// records are kept in the order they came, a hash table of their positions
// finds a name's record, and the name order is made by one sort when the
// records are first walked after an addition. Records are only added or
// replaced through this class, which keeps all three in step.
//
// Adding a name invalidates the iterators (replacing a record does not):
// a walk must not add names. Debug builds check it: an iterator used after
// a name was added asserts.
//
// Names are found from their characters in any form (ParamicsName): the
// words of a file without decoding them, a link's two node ids without
// joining them. The table holds each name's hash tag beside its position,
// so a look-up compares characters only with the name it is after.
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
        const QString& key() const
        {
            check();
            return (*slot)->name;
        }
        Record* value() const
        {
            check();
            return (*slot)->record;
        }
        Record* operator*() const { return value(); }
        const_iterator& operator++()
        {
            check();
            ++slot;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        const_iterator& operator--()
        {
            check();
            --slot;
            return *this;
        }
        const_iterator operator--(int)
        {
            const_iterator before = *this;
            --*this;
            return before;
        }
        bool operator==(const const_iterator& other) const
        {
            check();
            return slot == other.slot;
        }
        bool operator!=(const const_iterator& other) const { return !(*this == other); }

    private:
        friend class ParamicsNamedRecords;
#ifdef QT_NO_DEBUG
        const_iterator(const Entry* const* slot, const ParamicsNamedRecords*) : slot(slot) {}
        void check() const {}
#else
        const_iterator(const Entry* const* slot, const ParamicsNamedRecords* owner)
            : slot(slot), owner(owner), additions(owner->additions)
        {
        }
        void check() const
        {
            Q_ASSERT_X(!owner || owner->additions == additions, "ParamicsNamedRecords",
                       "a name was added while the records were being walked");
        }
        const ParamicsNamedRecords* owner = nullptr;
        std::uint64_t additions = 0;
#endif
        const Entry* const* slot = nullptr;
    };

    ParamicsNamedRecords() = default;
    ParamicsNamedRecords(const ParamicsNamedRecords& other)
        : entries(other.entries), table(other.table), seed(other.seed)
    {
        sorted = false;
    }
    ParamicsNamedRecords& operator=(const ParamicsNamedRecords& other)
    {
        entries = other.entries;
        table = other.table;
        seed = other.seed;
        byName.clear();
        sorted = false;
        ++additions;
        return *this;
    }

    Record* value(const ParamicsName& name, Record* fallback = nullptr) const
    {
        const Slot* found = find(name, name.hash(seed));
        return found->position ? entries[found->position - 1].record : fallback;
    }
    bool contains(const ParamicsName& name) const { return find(name, name.hash(seed))->position != 0; }
    Record* value(const QString& name, Record* fallback = nullptr) const { return value(ParamicsName(name), fallback); }
    bool contains(const QString& name) const { return contains(ParamicsName(name)); }
    // Stores the record under the name and returns the one stored there
    // before (null for a new name).
    Record* exchange(const ParamicsName& name, Record* record) { return exchange(name, nullptr, record); }
    // The same; a new name keeps this text (shared, not copied).
    Record* exchange(const QString& name, Record* record) { return exchange(ParamicsName(name), &name, record); }
    void insert(const QString& name, Record* record) { exchange(name, record); }
    void clear()
    {
        entries.clear();
        table.clear();
        byName.clear();
        sorted = true;
        ++additions;
    }
    // Makes room for the number of records a file announces or implies.
    void reserve(qsizetype count)
    {
        entries.reserve(std::size_t(count));
        if (4 * std::size_t(count) > 3 * table.size())
            growTable(std::size_t(count));
        pool.reserve(std::size_t(count) - std::min(std::size_t(count), entries.size()));
    }
    // A new record, made in the records' own memory: it belongs to them
    // whether or not it is stored under a name, is never deleted on its
    // own, and is destroyed with them.
    Record* make() { return pool.make(); }
    // Deletes every record: those made elsewhere and stored here one by
    // one, in the order their names came, and then those made here, in the
    // order they were made; and forgets the names.
    void deleteAll()
    {
        for (const Entry& entry : entries) {
            if (!pool.owns(entry.record))
                delete entry.record;
        }
        clear();
        pool.destroyAll();
    }
    // Whether deleting the record is the records' own business (it was
    // made here).
    bool ownsMemoryOf(const Record* record) const { return pool.owns(record); }

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
    const_iterator cbegin() const { return const_iterator(inNameOrder().data(), this); }
    const_iterator cend() const { return const_iterator(inNameOrder().data() + entries.size(), this); }

private:
    Record* exchange(const ParamicsName& name, const QString* text, Record* record)
    {
        if (4 * (entries.size() + 1) > 3 * table.size())
            growTable(entries.size() + 1);
        const std::uint64_t hash = name.hash(seed);
        Slot* slot = find(name, hash);
        if (slot->position)
            return std::exchange(entries[slot->position - 1].record, record);
        entries.push_back(Entry{text ? *text : name.toString(), record});
        *slot = Slot{std::uint32_t(hash), std::uint32_t(entries.size())};
        sorted = false;
        ++additions;
        return nullptr;
    }

    // A place of the hash table: the low half of its name's hash and its
    // entry's position counted from 1; position 0 marks a free place.
    struct Slot
    {
        std::uint32_t tag = 0;
        std::uint32_t position = 0;
    };

    // The place holding the name, or the free place where it would go
    // (the table always has one: it is kept at most three quarters full).
    const Slot* find(const ParamicsName& name, std::uint64_t hash) const
    {
        if (table.empty())
            return &noSlot;
        const std::size_t mask = table.size() - 1;
        const auto tag = std::uint32_t(hash);
        for (std::size_t i = std::size_t(hash >> 32) & mask;; i = (i + 1) & mask) {
            const Slot& slot = table[i];
            if (slot.position == 0 || (slot.tag == tag && name.equals(entries[slot.position - 1].name)))
                return &slot;
        }
    }
    Slot* find(const ParamicsName& name, std::uint64_t hash)
    {
        return const_cast<Slot*>(std::as_const(*this).find(name, hash));
    }

    // Makes the table big enough for count names at most three quarters
    // full, and puts every entry back in its place.
    void growTable(std::size_t count)
    {
        std::size_t capacity = table.empty() ? 16 : table.size();
        while (4 * count > 3 * capacity)
            capacity *= 2;
        if (capacity == table.size())
            return;
        if (table.empty())
            seed = std::uint64_t(QHashSeed::globalSeed());
        table = std::vector<Slot, ParamicsMemory::Allocator<Slot>>(capacity);
        const std::size_t mask = capacity - 1;
        for (std::size_t e = 0; e < entries.size(); ++e) {
            const std::uint64_t hash = ParamicsName(entries[e].name).hash(seed);
            std::size_t i = std::size_t(hash >> 32) & mask;
            while (table[i].position != 0)
                i = (i + 1) & mask;
            table[i] = Slot{std::uint32_t(hash), std::uint32_t(e + 1)};
        }
    }

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

    static inline const Slot noSlot{};

    std::vector<Entry, ParamicsMemory::Allocator<Entry>> entries;  // in the order the names were first added
    std::vector<Slot, ParamicsMemory::Allocator<Slot>> table;  // a power of two of places, or none before the first name
    ParamicsRecordPool<Record> pool;  // the records made here
    std::uint64_t seed = 0;
    std::uint64_t additions = 0;  // names added so far, for the debug check of walks
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
    Record* previous = map.exchange(key, record);
    if (previous && previous != record && !map.ownsMemoryOf(previous))
        delete previous;
}

}  // namespace ParamicsRecords
