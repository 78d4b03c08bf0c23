#include "support/IntegerPack.h"

#include <cstddef>
#include <cstring>

namespace {

// A value is the key, followed by the data in a pack with data. Node bytes are read and
// written through memcpy, as they are raw arena memory.
struct TKeyAndData {
    std::int32_t Key;
    std::int32_t Data;
};

std::int32_t ReadKey(const void* value) {
    std::int32_t key;
    std::memcpy(&key, value, sizeof key);
    return key;
}

std::int32_t ReadData(const TPackNode* node) {
    std::int32_t data;
    std::memcpy(&data, node->Value() + offsetof(TKeyAndData, Data), sizeof data);
    return data;
}

}  // namespace

TIntegerPack::TIntegerPack(bool withData) : HasData(withData) {}

int TIntegerPack::ValueSize() const {
    return HasData ? static_cast<int>(sizeof(TKeyAndData)) : static_cast<int>(sizeof(std::int32_t));
}

// Keys alone decide the order, as signed integers; the data takes no part.
int TIntegerPack::CompareValues(const void* a, const void* b) const {
    const std::int32_t first = ReadKey(a);
    const std::int32_t second = ReadKey(b);
    return first < second ? -1 : (first > second ? 1 : 0);
}

void TIntegerPack::CopyValue(void* destination, const void* source) const {
    std::memcpy(destination, source, static_cast<std::size_t>(ValueSize()));
}

void TIntegerPack::Add(std::int32_t key, std::int32_t data, bool allowDuplicates) {
    const TKeyAndData value{key, data};
    AddValue(&value, allowDuplicates);
}

bool TIntegerPack::Contains(std::int32_t key) const { return ContainsValue(&key); }

std::int32_t TIntegerPack::DataOf(std::int32_t key) const {
    if (!HasData) return 0;
    const TPackNode* node = FindNode(&key);
    return node ? ReadData(node) : 0;
}

std::int32_t TIntegerPack::IndexOf(std::int32_t key) const { return IndexOfValue(&key); }

std::int32_t TIntegerPack::DataAt(std::int32_t index) const {
    if (!HasData) return 0;
    return ReadData(NodeAt(index));
}

std::int32_t TIntegerPack::KeyAt(std::int32_t index) const { return ReadKey(NodeAt(index)->Value()); }
