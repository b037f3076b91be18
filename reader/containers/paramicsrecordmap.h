#pragma once

#include "reader/containers/paramicsname.h"
#include "reader/containers/paramicsrecordpool.h"

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
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
// joining them. Each place of the table holds a record and a key: for the
// usual names (digits and colons, up to 15) the name itself, packed, so
// that a look-up reads one place and then the record it is after; for
// other names a hash tag and the name's position, so that a look-up
// compares characters only with the name it is after.
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
            // A walk in name order visits entries and records scattered
            // over their memory; asking for the entry two distances ahead
            // and for the record one distance ahead (its entry asked for
            // before) hides most of the wait for them on networks larger
            // than the processor's cache.
            __builtin_prefetch(slot[2 * PrefetchDistance]);
            __builtin_prefetch(slot[PrefetchDistance]->record);
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
        : entries(other.entries), table(other.table), positions(other.positions), seed(other.seed)
    {
        sorted = false;
    }
    ParamicsNamedRecords& operator=(const ParamicsNamedRecords& other)
    {
        entries = other.entries;
        table = other.table;
        positions = other.positions;
        seed = other.seed;
        byName.clear();
        sorted = false;
        ++additions;
        return *this;
    }

    Record* value(const ParamicsName& name, Record* fallback = nullptr) const
    {
        const Slot* found = find(name, keyOf(name));
        return found->key != Free ? found->record : fallback;
    }
    bool contains(const ParamicsName& name) const { return find(name, keyOf(name))->key != Free; }
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
        positions.clear();
        byName.clear();
        sorted = true;
        ++additions;
    }
    // Makes room for the number of records a file announces or implies.
    // Only the first file's count sizes the table: readers reserve for
    // more files ahead, generously, and a table larger than the names need
    // costs fresh pages on every look-up's way; after the first names it
    // grows with the names that come.
    void reserve(qsizetype count)
    {
        entries.reserve(std::size_t(count));
        if (entries.empty() && 4 * std::size_t(count) > 3 * table.size())
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
    // The records in the order a walk meets them, for work shared between
    // threads: each takes its share by position.
    std::vector<Record*> recordsInNameOrder() const
    {
        const std::vector<const Entry*>& ordered = inNameOrder();
        std::vector<Record*> records;
        records.reserve(ordered.size());
        for (std::size_t i = 0; i < entries.size(); ++i)
            records.push_back(ordered[i]->record);
        return records;
    }
    // Puts the names in order now: a walk sorts them the first time after
    // a name was added, so threads that walk records nobody adds to any
    // more must find them sorted.
    void orderNames() const { inNameOrder(); }
    const_iterator begin() const { return cbegin(); }
    const_iterator end() const { return cend(); }
    const_iterator cbegin() const { return const_iterator(inNameOrder().data(), this); }
    const_iterator cend() const { return const_iterator(inNameOrder().data() + entries.size(), this); }

private:
    // A key that packs its name has the highest four bits clear; any other
    // key has them set, a 27-bit hash tag of its name in the next bits and
    // its entry's position (from 0) in the low half. A free place has a
    // key of all ones, which no name's key equals.
    static constexpr std::uint64_t Free = ~std::uint64_t(0);
    static constexpr std::uint64_t Unpacked = std::uint64_t(0xF) << 60;
    static constexpr std::uint64_t HighHalf = ~std::uint64_t(0) << 32;
    static_assert(ParamicsName::LongestPacked * 4 <= 60, "a packed name leaves the marker bits clear");

    // A place of the hash table.
    struct Slot
    {
        std::uint64_t key = Free;
        Record* record = nullptr;
    };

    static bool isPacked(std::uint64_t key) { return (key & Unpacked) != Unpacked; }

    // The name's key: its pack, or the marker and hash tag of an unpacked
    // key, whose position is still to come.
    std::uint64_t keyOf(const ParamicsName& name) const
    {
        const std::uint64_t packed = name.packed();
        if (packed != ParamicsName::NotPacked)
            return packed;
        return Unpacked | ((name.hash(seed) >> 37) << 32);
    }

    // Where the probing for a key starts: from the pack, or from the tag.
    std::size_t home(std::uint64_t key) const
    {
        std::uint64_t h = (isPacked(key) ? key : key & HighHalf) ^ seed;
        h *= 0x9e3779b97f4a7c15ull;
        h ^= h >> 32;
        h *= 0xd6e8feb86659fd93ull;
        h ^= h >> 32;
        return std::size_t(h) & (table.size() - 1);
    }

    Record* exchange(const ParamicsName& name, const QString* text, Record* record)
    {
        if (4 * (entries.size() + 1) > 3 * table.size())
            growTable(entries.size() + 1);
        const std::uint64_t key = keyOf(name);
        Slot* slot = find(name, key);
        const std::size_t place = std::size_t(slot - table.data());
        if (slot->key != Free) {
            entries[positions[place]].record = record;
            return std::exchange(slot->record, record);
        }
        Q_ASSERT(entries.size() < std::size_t(std::numeric_limits<std::uint32_t>::max()));
        *slot = Slot{isPacked(key) ? key : key | std::uint64_t(entries.size()), record};
        positions[place] = std::uint32_t(entries.size());
        entries.push_back(Entry{text ? *text : name.toString(), record});
        sorted = false;
        ++additions;
        return nullptr;
    }

    // The place holding the name, or the free place where it would go
    // (the table always has one: it is kept at most three quarters full).
    const Slot* find(const ParamicsName& name, std::uint64_t key) const
    {
        if (table.empty())
            return &noSlot;
        const std::size_t mask = table.size() - 1;
        if (isPacked(key)) {
            for (std::size_t i = home(key);; i = (i + 1) & mask) {
                const Slot& slot = table[i];
                if (slot.key == key || slot.key == Free)
                    return &slot;
            }
        }
        for (std::size_t i = home(key);; i = (i + 1) & mask) {
            const Slot& slot = table[i];
            if (slot.key == Free)
                return &slot;
            if ((slot.key & HighHalf) == key && name.equals(entries[std::uint32_t(slot.key)].name))
                return &slot;
        }
    }
    Slot* find(const ParamicsName& name, std::uint64_t key)
    {
        return const_cast<Slot*>(std::as_const(*this).find(name, key));
    }

    // Makes the table big enough for count names at most three quarters
    // full, and puts every place back from its key alone.
    void growTable(std::size_t count)
    {
        std::size_t capacity = table.empty() ? 16 : table.size();
        while (4 * count > 3 * capacity)
            capacity *= 2;
        if (capacity == table.size())
            return;
        if (table.empty())
            seed = std::uint64_t(QHashSeed::globalSeed());
        std::vector<Slot, ParamicsRecordAllocator<Slot>> oldTable(capacity);
        std::vector<std::uint32_t, ParamicsRecordAllocator<std::uint32_t>> oldPositions(capacity);
        oldTable.swap(table);
        oldPositions.swap(positions);
        const std::size_t mask = capacity - 1;
        for (std::size_t o = 0; o < oldTable.size(); ++o) {
            const Slot& slot = oldTable[o];
            if (slot.key == Free)
                continue;
            std::size_t i = home(slot.key);
            while (table[i].key != Free)
                i = (i + 1) & mask;
            table[i] = slot;
            positions[i] = oldPositions[o];
        }
    }

    // The entries in ascending name order (QString's order: UTF-16 code
    // units compared as numbers, a name before every longer name it
    // begins), sorted again only after a name was added.
    const std::vector<const Entry*>& inNameOrder() const
    {
        if (sorted)
            return byName;
        // Each name's first eight code units, packed four to a word with
        // the first in the highest bits, order two names whenever they
        // differ there (a shorter name's missing units count as zero, below
        // every unit, so that it comes before the longer names it begins);
        // only names that agree in them are compared as strings. Eight
        // units separate the links leaving a node even when node ids run
        // to five digits, so that regional networks compare few strings.
        struct Keyed
        {
            std::uint64_t high;
            std::uint64_t low;
            const Entry* entry;
        };
        const auto unitsFrom = [](const QString& name, qsizetype first) {
            std::uint64_t units = 0;
            const qsizetype length = name.size();
            for (qsizetype i = first; i < first + 4; ++i)
                units = (units << 16) | (i < length ? std::uint64_t(name.at(i).unicode()) : 0u);
            return units;
        };
        std::vector<Keyed> keyed;
        keyed.reserve(entries.size());
        for (const Entry& entry : entries)
            keyed.push_back(Keyed{unitsFrom(entry.name, 0), unitsFrom(entry.name, 4), &entry});
        std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
            if (a.high != b.high)
                return a.high < b.high;
            if (a.low != b.low)
                return a.low < b.low;
            return a.entry->name < b.entry->name;
        });
        byName.clear();
        byName.reserve(keyed.size() + 2 * PrefetchDistance + 1);
        for (const Keyed& k : keyed)
            byName.push_back(k.entry);
        byName.insert(byName.end(), 2 * PrefetchDistance + 1, &noEntry);
        sorted = true;
        return byName;
    }

    static inline const Slot noSlot{};
    // How many names ahead a walk asks for the records (and twice as many
    // for the entries); the names are followed by one place more than
    // twice that naming no record, so that the places ahead of the last
    // names, and of the end, can be read.
    static constexpr std::size_t PrefetchDistance = 6;
    static inline const Entry noEntry{QString(), nullptr};

    std::vector<Entry, ParamicsRecordAllocator<Entry>> entries;  // in the order the names were first added
    std::vector<Slot, ParamicsRecordAllocator<Slot>> table;  // a power of two of places, or none before the first name
    std::vector<std::uint32_t, ParamicsRecordAllocator<std::uint32_t>> positions;  // of each place's entry, from 0
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
