#pragma once
// A sorted set of signed 32-bit keys, each optionally carrying a 32-bit data value; the
// copier keeps one per table to map source keys to the keys the destination gave them.

#include "support/ValuePack.h"

#include <cstdint>

class TIntegerPack : public TValuePack {
public:
    explicit TIntegerPack(bool withData);
    ~TIntegerPack() override = default;

    // Inserts the key with its data (ignored without data). Without AllowDuplicates a key
    // already held is left as it is; with it the key is inserted regardless.
    void Add(std::int32_t key, std::int32_t data, bool allowDuplicates);
    bool Contains(std::int32_t key) const;
    // The data stored with the key; 0 when the key is absent or the pack has no data.
    std::int32_t DataOf(std::int32_t key) const;
    // The key's zero-based position in ascending order; for an absent key the position of
    // one of its neighbours, so ask Contains first.
    std::int32_t IndexOf(std::int32_t key) const;
    // The data of the key at a zero-based position; throws for a position outside
    // 0..Count-1 on a pack with data, and returns 0 on a pack without data.
    std::int32_t DataAt(std::int32_t index) const;
    // The key at a zero-based position; throws for a position outside 0..Count-1.
    std::int32_t KeyAt(std::int32_t index) const;

    bool WithData() const { return HasData; }

    int ValueSize() const override;
    int CompareValues(const void* a, const void* b) const override;
    void CopyValue(void* destination, const void* source) const override;

private:
    const bool HasData;
};
