#pragma once

#include <cvlargeblocks.h>

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

// Memory for the records of a network. A city has tens of thousands of
// links and nodes, each record made once and kept until the import ends.
// Made one by one on the heap, every record lands on fresh pages, and a
// fresh page costs a page fault. The record pools and the tables of the
// named records therefore take their blocks from the host's large-block
// allocator, from the system (in huge pages where it has them) from this
// size on: one fault then maps what would otherwise take five hundred.
constexpr std::size_t ParamicsRecordBlock = std::size_t(256) << 10;

// The allocator of the containers of large tables (the names of the
// records, their hash table).
template <typename T>
using ParamicsRecordAllocator = CVLargeBlockAllocator<T, ParamicsRecordBlock>;

// Records of one type made side by side in a few large blocks, in the order
// they are made, and destroyed together, in the same order: they are read
// in that order and walked far apart from each other, and deleting them one
// by one would only hand each record's room back to the heap just before
// the whole is given up.
template <typename Record>
class ParamicsRecordPool
{
public:
    ParamicsRecordPool() = default;
    ParamicsRecordPool(const ParamicsRecordPool&) = delete;
    ParamicsRecordPool& operator=(const ParamicsRecordPool&) = delete;
    ~ParamicsRecordPool() { destroyAll(); }

    // The next block holds at least this many records.
    void reserve(std::size_t count)
    {
        if (count > free())
            nextBlockSize = std::max(nextBlockSize, count - free());
    }

    Record* make()
    {
        if (free() == 0)
            addBlock();
        Block& block = blocks.back();
        Record* record = new (block.records + block.used) Record();
        ++block.used;
        return record;
    }

    // Whether the record was made here (and so must not be deleted).
    bool owns(const Record* record) const
    {
        for (const Block& block : blocks) {
            if (record >= block.records && record < block.records + block.capacity)
                return true;
        }
        return false;
    }

    void destroyAll() noexcept
    {
        for (Block& block : blocks) {
            for (std::size_t i = 0; i < block.used; ++i)
                block.records[i].~Record();
            CVLargeBlocks::release(block.records, block.capacity * sizeof(Record), ParamicsRecordBlock);
        }
        blocks.clear();
    }

private:
    struct Block
    {
        Record* records;
        std::size_t capacity;
        std::size_t used;
    };

    std::size_t free() const { return blocks.empty() ? 0 : blocks.back().capacity - blocks.back().used; }
    void addBlock()
    {
        // Each block at least doubles the room, so a network of any size
        // takes a few blocks.
        const std::size_t capacity = std::max(nextBlockSize, blocks.empty() ? 0 : 2 * blocks.back().capacity);
        void* memory = CVLargeBlocks::allocate(capacity * sizeof(Record), ParamicsRecordBlock);
        blocks.push_back(Block{static_cast<Record*>(memory), capacity, 0});
        nextBlockSize = MinimumBlock;
    }

    static constexpr std::size_t MinimumBlock = 64;

    std::vector<Block> blocks;
    std::size_t nextBlockSize = MinimumBlock;
};
