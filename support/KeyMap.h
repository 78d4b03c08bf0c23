#pragma once
// One table's key map for a run: each source key the run copied, with the key the destination
// gave that row. A table's rows are copied in key order and the destination numbers what it
// receives in order, so most pairs continue the pair before them by one on both sides: such
// pairs are kept as runs (three integers for a whole run), the others in an integer pack. A
// map of hundreds of thousands of rows so costs a few bytes a row, twelve at most for pairs
// that continue nothing, and more only for pairs that arrive below keys already held.

#include "support/IntegerPack.h"

#include <cstdint>
#include <vector>

class TKeyMap {
public:
    TKeyMap();

    // The destination key of a source key, when it is held.
    bool Lookup(std::int32_t sourceKey, std::int32_t& destKey) const;
    // Holds the pair unless the source key is held already; returns the destination key held
    // for the source key.
    std::int32_t Record(std::int32_t sourceKey, std::int32_t destKey);
    int Count() const { return Pairs; }

private:
    struct TRun {
        std::int32_t Source;  // the first source key
        std::int32_t Dest;    // its destination key; each later one is one more on both sides
        std::int32_t Length;
    };
    // The run that holds the source key, or nullptr.
    const TRun* RunOf(std::int32_t sourceKey) const;

    std::vector<TRun> Runs;  // ascending, disjoint
    TIntegerPack Others;     // pairs below the end of the runs
    int Pairs = 0;
};
