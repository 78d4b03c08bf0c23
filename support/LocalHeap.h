#pragma once
// A node arena: memory is carved from large zero-filled blocks and given back only all at
// once, so that a tree of many small nodes costs few allocations and frees in one step.

#include <cstddef>
#include <memory>
#include <vector>

class TLocalHeap {
public:
    static constexpr int BlockSize = 8192;
    // A request larger than a block gets a block of its own, rounded up to this.
    static constexpr int LargeBlockGranularity = 4096;

    TLocalHeap() = default;
    ~TLocalHeap() = default;
    TLocalHeap(const TLocalHeap&) = delete;
    TLocalHeap& operator=(const TLocalHeap&) = delete;
    TLocalHeap(TLocalHeap&&) noexcept = default;
    TLocalHeap& operator=(TLocalHeap&&) noexcept = default;

    // size bytes of zeroed memory, or nullptr for a size of zero or less. Throws
    // std::bad_alloc when the system has no memory left.
    void* Alloc(int size);
    // Frees every block at once; all memory handed out becomes invalid.
    void Clear();

    int BlockCount() const { return static_cast<int>(Blocks.size()); }
    // Total bytes of the blocks taken from the system.
    std::size_t ReservedBytes() const;

private:
    struct TBlock {
        std::unique_ptr<char[]> Data;
        int Size = 0;
        int Used = 0;
    };

    TBlock& TakeBlock(int request);

    std::vector<TBlock> Blocks;
};
