#include "support/LocalHeap.h"

#include <climits>

void* TLocalHeap::Alloc(int size) {
    if (size <= 0) return nullptr;
    if (!Blocks.empty()) {
        TBlock& last = Blocks.back();
        if (last.Size - last.Used >= size) {
            char* memory = last.Data.get() + last.Used;
            last.Used += size;
            return memory;
        }
    }
    // The free tail of the last block is too small: it is left unused.
    TBlock& block = TakeBlock(size);
    block.Used = size;
    return block.Data.get();
}

TLocalHeap::TBlock& TLocalHeap::TakeBlock(int request) {
    int size = BlockSize;
    if (request > BlockSize) {
        const long long rounded =
            (static_cast<long long>(request) + LargeBlockGranularity - 1) / LargeBlockGranularity * LargeBlockGranularity;
        size = rounded > INT_MAX ? INT_MAX : static_cast<int>(rounded);
    }
    Blocks.reserve(Blocks.size() + 1);  // so that a failure below leaves the list unchanged
    TBlock block;
    block.Data.reset(new char[static_cast<std::size_t>(size)]());  // zero-filled
    block.Size = size;
    Blocks.push_back(std::move(block));
    return Blocks.back();
}

void TLocalHeap::Clear() {
    Blocks.clear();
    Blocks.shrink_to_fit();
}

std::size_t TLocalHeap::ReservedBytes() const {
    std::size_t total = 0;
    for (const TBlock& block : Blocks) total += static_cast<std::size_t>(block.Size);
    return total;
}
