#pragma once

// The trips of a model file's OD matrices: their rows scanned from the
// file's bytes, on the reader's thread or on a second one ahead of it.
// Internal to the kernel.

#include "cvlargeblocks.h"
#include "cvmappedmodelfile.h"
#include "cvodmatrix.h"

#include <QSet>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

namespace CVModelFileReading {

// Ids that trips refer to: a bit per id for the ids a model uses, a set for
// any beyond.
class IdSet
{
public:
    void insert(unsigned int id)
    {
        if (id >= BitLimit) {
            large.insert(id);
            return;
        }
        const std::size_t word = id >> 6;
        if (word >= bits.size())
            bits.resize(std::max(word + 1, bits.size() * 2), 0);
        bits[word] |= quint64(1) << (id & 63);
    }
    template <typename Visit>
    bool all(Visit visit) const
    {
        for (std::size_t word = 0; word < bits.size(); ++word) {
            for (quint64 w = bits[word]; w != 0; w &= w - 1) {
                if (!visit(unsigned((word << 6) + unsigned(__builtin_ctzll(w)))))
                    return false;
            }
        }
        for (unsigned int id : large) {
            if (!visit(id))
                return false;
        }
        return true;
    }

private:
    static constexpr unsigned int BitLimit = 1u << 26;
    std::vector<quint64> bits;
    QSet<unsigned int> large;
};

// The doubles of trip values read before, by their text: a matrix holds
// few distinct values while its values run into millions, and converting
// a long number's text costs more than finding it here. A slot keeps the
// last text met in it.
class TripValueTexts
{
public:
    // The double of a number's text of up to MaxLength characters, as
    // std::from_chars converts it; false when it does not convert whole.
    bool convert(const char* first, const char* last, double& value)
    {
        const std::size_t length = std::size_t(last - first);
        Entry& entry = entries[slotOf(first, length)];
        if (entry.length == length && std::memcmp(entry.text, first, length) == 0) {
            value = entry.value;
            return true;
        }
        const std::from_chars_result result = std::from_chars(first, last, value);
        if (result.ec != std::errc() || result.ptr != last)
            return false;
        entry.length = std::uint8_t(length);
        std::memcpy(entry.text, first, length);
        entry.value = value;
        return true;
    }
    static constexpr std::size_t MaxLength = 32;

private:
    static constexpr int SlotBits = 10;
    static std::size_t slotOf(const char* text, std::size_t length)
    {
        std::uint64_t head = 0;
        std::uint64_t tail = 0;
        std::memcpy(&head, text, std::min<std::size_t>(length, 8));
        if (length > 8)
            std::memcpy(&tail, text + length - 8, 8);
        const std::uint64_t mixed = (head * 0x9E3779B97F4A7C15ull) ^ (tail * 0xC2B2AE3D27D4EB4Full) ^ length;
        return std::size_t((mixed * 0x9E3779B97F4A7C15ull) >> (64 - SlotBits));
    }
    struct Entry
    {
        double value = 0.0;
        std::uint8_t length = 0;  // 0: empty
        char text[MaxLength];
    };
    std::vector<Entry> entries = std::vector<Entry>(std::size_t(1) << SlotBits);
};

// Reads the rows of an OD matrix's trips: [origin, [destinations], [trips]].
// The pairs of a matrix are collected first and handed to it at once, so
// its pair list is allocated once at its final size.
//
// Rows as the writer writes them (no spaces, ids as plain digits) are
// scanned straight from the file's bytes: they are most of a model file.
// Anything else, from a space to a malformed row, leaves them to the JSON
// reader's events, which read every form JSON allows and name what is
// wrong: both give the same doubles, as both convert with std::from_chars.
class TripRows
{
public:
    void start()
    {
        depth = 1;
        pairs.clear();
    }
    bool active() const { return depth > 0; }
    QString error;

    using Pairs = std::vector<CVODMatrix::Trip, CVLargeBlockAllocator<CVODMatrix::Trip>>;

    // The rows as the scan or another thread found them, origins in the
    // order of the rows.
    Pairs& scannedPairs() { return pairs; }

    // Scans the rows from just after the trips' opening bracket into the
    // pairs' keys and values, the origin of each row into origins. Returns
    // where the closing bracket stands, or null, with no keys or values
    // kept, when the rows are not in the writer's form.
    static const char* scan(const char* p, const char* end, CVODMatrix::Keys& keys, CVODMatrix::Values& values,
                            std::vector<unsigned int>& origins, TripValueTexts& texts)
    {
        const auto abandonScan = [&keys, &values]() -> const char* {
            keys.clear();
            values.clear();
            return nullptr;
        };
        const auto at = [end](const char* q) { return q < end ? *q : '\0'; };
        if (at(p) == ']')
            return p;
        for (;;) {
            unsigned int rowOrigin = 0;
            if (at(p) != '[' || !(p = scanId(p + 1, end, rowOrigin)) || at(p) != ',' || at(p + 1) != '[')
                return abandonScan();
            p = scanList(p + 2, end, [&](const char* q) {
                unsigned int destination = 0;
                if ((q = scanId(q, end, destination)))
                    keys.push_back(CVODMatrix::key(rowOrigin, destination));
                return q;
            });
            if (!p || at(p) != ',' || at(p + 1) != '[')
                return abandonScan();
            p = scanList(p + 2, end, [&](const char* q) {
                double value = 0.0;
                if (values.size() == keys.size() || !(q = scanNumber(q, end, value, texts)))
                    return static_cast<const char*>(nullptr);
                values.push_back(value);
                return q;
            });
            if (!p)
                return abandonScan();
            if (values.size() != keys.size() || at(p++) != ']')
                return abandonScan();
            origins.push_back(rowOrigin);
            const char next = at(p);
            if (next == ']')
                return p;
            if (next != ',')
                return abandonScan();
            ++p;
        }
    }

    bool startArray()
    {
        if (depth == 1) {
            part = 0;
            rowStart = pairs.size();
        } else if (depth == 2 && (part == 1 || part == 2)) {
            valueIndex = rowStart;
        } else {
            return fail();
        }
        ++depth;
        return true;
    }
    bool number(double value)
    {
        if (depth == 2 && part == 0 && isId(value)) {
            origin = unsigned(value);
            part = 1;
            return true;
        }
        if (depth == 3 && part == 1) {
            if (!isId(value))
                return fail();
            pairs.push_back(CVODMatrix::Trip{origin, unsigned(value), 0.0});
            return true;
        }
        if (depth == 3 && part == 2) {
            if (valueIndex >= pairs.size())
                return fail();
            pairs[valueIndex++].trips = value;
            return true;
        }
        return fail();
    }
    // finished is set when the trips' value is complete; the pairs then go
    // to the matrix through give(matrix, pairs).
    template <typename Give>
    bool endArray(CVODMatrix* matrix, IdSet& centroidIds, bool& finished, Give give)
    {
        finished = false;
        --depth;
        if (depth == 2) {
            ++part;
        } else if (depth == 1) {
            if (part != 3 || valueIndex != pairs.size())
                return fail();
            centroidIds.insert(origin);
        } else {
            finished = true;
            for (const CVODMatrix::Trip& pair : pairs)
                centroidIds.insert(pair.destination);
            give(matrix, pairs);
        }
        return true;
    }
    bool fail()
    {
        error = QStringLiteral("trips that are not rows of [origin, [destinations], [trips]]");
        depth = 0;
        return false;
    }

private:
    // Scans the items of a list whose opening bracket is just before p,
    // each with scanItem (where it ends, or null), up to and past the
    // closing bracket. Returns what follows it, or null.
    template <typename ScanItem>
    static const char* scanList(const char* p, const char* end, ScanItem scanItem)
    {
        if (p < end && *p == ']')
            return p + 1;
        for (;;) {
            if (!(p = scanItem(p)) || p >= end)
                return nullptr;
            const char next = *p++;
            if (next == ']')
                return p;
            if (next != ',')
                return nullptr;
        }
    }

    static bool isId(double value)
    {
        return value >= 1 && value <= std::numeric_limits<unsigned int>::max() && value == std::floor(value);
    }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    // An id as the writer writes it: 1 to 4294967295 in plain digits.
    static const char* scanId(const char* p, const char* end, unsigned int& id)
    {
        if (p == end || *p < '1' || *p > '9')
            return nullptr;
        quint64 value = 0;
        const char* const first = p;
        while (p != end && isDigit(*p) && p - first < 10)
            value = value * 10 + quint64(*p++ - '0');
        if (value > std::numeric_limits<unsigned int>::max() || (p != end && (isDigit(*p) || *p == '.' || *p == 'e' || *p == 'E')))
            return nullptr;
        id = unsigned(value);
        return p;
    }
    // A number of JSON's grammar, converted as RawNumber converts it; null
    // when it is not one, is out of a double's range, or is of a form left
    // to the JSON reader.
    static const char* scanNumber(const char* p, const char* end, double& value, TripValueTexts& values)
    {
        const char* const first = p;
        const auto at = [end](const char* q) { return q < end ? *q : '\0'; };
        if (at(p) == '-')
            ++p;
        if (at(p) == '0') {
            ++p;
        } else if (isDigit(at(p))) {
            while (isDigit(at(p)))
                ++p;
        } else {
            return nullptr;
        }
        if (at(p) == '.') {
            if (!isDigit(at(++p)))
                return nullptr;
            while (isDigit(at(p)))
                ++p;
        }
        // A negative exponent only, and no more than 32 characters: the JSON
        // reader takes every such number, while it refuses some longer ones
        // and some with a positive exponent as too big.
        if (at(p) == 'e' || at(p) == 'E') {
            if (at(++p) != '-' || !isDigit(at(++p)))
                return nullptr;
            while (isDigit(at(p)))
                ++p;
        }
        if (std::size_t(p - first) > TripValueTexts::MaxLength)
            return nullptr;
        return values.convert(first, p, value) ? p : nullptr;
    }
    int depth = 0;
    int part = 0;
    unsigned int origin = 0;
    std::size_t rowStart = 0;
    std::size_t valueIndex = 0;
    Pairs pairs;
};

// Rows of trips as the writer writes them, scanned from where their text
// begins: where their closing bracket stands (0 when they are not in that
// form), the origin of each row, and the pairs: as lists a matrix shares
// when their keys ascend and no trips are 0 (as the writer writes them),
// otherwise as the rows give them. freshBytes is the memory they took that
// no matrix scanned before holds.
struct ScannedTrips
{
    std::size_t begin = 0;
    std::size_t close = 0;
    std::vector<unsigned int> origins;
    CVODMatrix::SharedKeys keys;
    CVODMatrix::SharedTrips trips;
    TripRows::Pairs unsorted;
    std::size_t freshBytes = 0;
};

// The key and trip lists of the matrices scanned so far, each kept once: a
// demand cut into time slices and vehicle types gives many matrices with
// the same pairs, and some of them with the same trips too. A list met
// again is shared instead of copied, which is most of a model's memory
// for trips and of the fresh pages the system must clear for them.
class TripLists
{
public:
    // What a matrix takes for scanned keys and values (of the same size).
    void keep(const CVODMatrix::Keys& keys, const CVODMatrix::Values& values, ScannedTrips& scanned)
    {
        scanned.keys = knownOrNew(knownKeys, keys, scanned.freshBytes, &CVODMatrix::SharedKeys::of);
        if (scanned.keys)
            scanned.trips = knownOrNew(knownTrips, values, scanned.freshBytes, &CVODMatrix::SharedTrips::of);
        if (scanned.keys && scanned.trips)
            return;
        scanned.keys = CVODMatrix::SharedKeys();
        scanned.trips = CVODMatrix::SharedTrips();
        scanned.unsorted.reserve(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i)
            scanned.unsorted.push_back(CVODMatrix::Trip{unsigned(keys[i] >> 32), unsigned(keys[i] & 0xffffffffu), values[i]});
        scanned.freshBytes += scanned.unsorted.capacity() * sizeof(CVODMatrix::Trip);
    }

private:
    // A list is told from the others by a fingerprint of its size and of
    // this many elements spread over it; only lists of the same fingerprint
    // are compared in full, at most MaxCompared of them, so that many
    // lists alike at those places cost no more than that each. A list not
    // found among them is kept as a new one.
    static constexpr std::size_t Samples = 64;
    static constexpr std::size_t MaxCompared = 8;

    template <typename List>
    static quint64 fingerprint(const List& list)
    {
        static_assert(sizeof(typename List::value_type) == sizeof(quint64));
        quint64 hash = quint64(list.size()) * 0x9E3779B97F4A7C15ull;
        const std::size_t step = std::max<std::size_t>(1, list.size() / Samples);
        const auto mix = [&hash](const auto& element) {
            quint64 bits = 0;
            std::memcpy(&bits, &element, sizeof bits);
            hash = (hash ^ bits) * 0xC2B2AE3D27D4EB4Full;
        };
        for (std::size_t i = 0; i < list.size(); i += step)
            mix(list[i]);
        if (!list.empty())
            mix(list.back());
        return hash;
    }

    // The shared list equal to list, bit for bit, or a new one made of a
    // copy of it (null when the copy fails make's check).
    template <typename Shared, typename List, typename Make>
    static Shared knownOrNew(std::unordered_multimap<quint64, Shared>& known, const List& list, std::size_t& fresh,
                             Make make)
    {
        const quint64 print = fingerprint(list);
        const auto [first, last] = known.equal_range(print);
        std::size_t compared = 0;
        for (auto it = first; it != last && compared < MaxCompared; ++it, ++compared) {
            const List& candidate = listOf(it->second);
            if (candidate.size() == list.size()
                && (list.empty() || std::memcmp(candidate.data(), list.data(), list.size() * sizeof(quint64)) == 0))
                return it->second;
        }
        Shared made = make(List(list.cbegin(), list.cend()));
        if (made) {
            fresh += list.size() * sizeof(quint64);
            known.emplace(print, made);
        }
        return made;
    }
    static const CVODMatrix::Keys& listOf(const CVODMatrix::SharedKeys& shared) { return shared.keys(); }
    static const CVODMatrix::Values& listOf(const CVODMatrix::SharedTrips& shared) { return shared.trips(); }

    std::unordered_multimap<quint64, CVODMatrix::SharedKeys> knownKeys;
    std::unordered_multimap<quint64, CVODMatrix::SharedTrips> knownTrips;
};

// Scans the trips of a file's matrices on a second thread, from the start
// of the file on, while the JSON reader reads the objects before them. It
// looks for the text the writer puts before trips; where the reader meets
// trips at such a place it takes the rows scanned there, and it reads any
// others itself, as it would alone. What either finds comes from the same
// scan of the same bytes. The rows scanned ahead are held up to the size
// of the file in memory no earlier matrix holds, most of them the
// matrices' lists as they will keep them.
class TripsAhead
{
public:
    explicit TripsAhead(const MappedFile& file)
        : file(file), byteLimit(std::max<std::size_t>(file.size(), std::size_t(64) << 20))
    {
        try {
            helper = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            passed = file.size();  // no second thread: the reader scans every row itself
        }
    }
    ~TripsAhead() { stop(); }
    TripsAhead(const TripsAhead&) = delete;
    TripsAhead& operator=(const TripsAhead&) = delete;

    // The rows from offset begin (just after the opening bracket), into
    // scanned; false when none were scanned there or they are not in the
    // writer's form.
    bool take(std::size_t begin, ScannedTrips& scanned)
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            // Rows scanned before begin are where the reader found no trips.
            while (!ready.empty() && ready.front().begin < begin)
                drop();
            changed.notify_all();
            if (!ready.empty() && ready.front().begin == begin) {
                scanned = std::move(ready.front());
                drop();
                return scanned.close != 0;
            }
            if (!ready.empty() || passed > begin)
                return false;
            changed.wait(lock);
        }
    }

private:
    static constexpr std::size_t MaxReady = 1024;
    static constexpr char Marker[] = "\"trips\":[";

    void drop()
    {
        readyBytes -= ready.front().freshBytes;
        ready.pop_front();
    }

    void stop()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
            changed.notify_all();
        }
        if (helper.joinable())
            helper.join();
    }

    void run()
    {
        try {
            std::unique_lock<std::mutex> lock(mutex);
            while (!stopping && passed < file.size()) {
                if (readyBytes >= byteLimit || ready.size() >= MaxReady) {
                    changed.wait(lock);
                    continue;
                }
                lock.unlock();
                std::size_t next = 0;
                ScannedTrips scanned = scanNext(next);
                lock.lock();
                // Both at once: the reader takes passed as the word that
                // the rows before it are ready.
                if (scanned.begin > 0) {
                    readyBytes += scanned.freshBytes;
                    ready.push_back(std::move(scanned));
                }
                passed = next;
                changed.notify_all();
            }
        } catch (const std::bad_alloc&) {
            // The reader reads the rest itself, as it would alone.
            const std::lock_guard<std::mutex> lock(mutex);
            passed = file.size();
            changed.notify_all();
        }
    }

    // Scans the rows after the next marker from passed on (which only this
    // thread changes); begin is 0 when there is none. next is where the
    // following search starts.
    ScannedTrips scanNext(std::size_t& next)
    {
        ScannedTrips scanned;
        const std::size_t from = passed;
        const char* const data = file.data();
        const void* found = ::memmem(data + from, file.size() - from, Marker, sizeof Marker - 1);
        next = file.size();
        if (!found)
            return scanned;
        scanned.begin = std::size_t(static_cast<const char*>(found) - data) + sizeof Marker - 1;
        // Into the one scratch pair of lists: a matrix's rows then cost
        // fresh memory once, in their final place, and none where they are
        // lists met before.
        scratchKeys.clear();
        scratchValues.clear();
        const char* close = TripRows::scan(data + scanned.begin, data + file.size(), scratchKeys, scratchValues,
                                           scanned.origins, values);
        scanned.close = close ? std::size_t(close - data) : 0;
        next = close ? scanned.close : scanned.begin;
        if (!close) {
            scanned.origins.clear();
            return scanned;
        }
        lists.keep(scratchKeys, scratchValues, scanned);
        // Its text is not needed again unless the reader finds no trips
        // here, and then it is read from the file again.
        file.release(scanned.begin, scanned.close);
        return scanned;
    }

    const MappedFile& file;
    const std::size_t byteLimit;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<ScannedTrips> ready;
    std::size_t readyBytes = 0;
    // The helper thread's: number texts, the rows as scanned, and the lists
    // kept of them.
    TripValueTexts values;
    CVODMatrix::Keys scratchKeys;
    CVODMatrix::Values scratchValues;
    TripLists lists;
    std::size_t passed = 0;  // every marker before it is scanned
    bool stopping = false;
    std::thread helper;
};

}  // namespace CVModelFileReading
