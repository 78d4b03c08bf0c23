#include "support/KeyMap.h"

#include <algorithm>

TKeyMap::TKeyMap() : Others(true) {}

const TKeyMap::TRun* TKeyMap::RunOf(std::int32_t sourceKey) const {
    // The last run that starts at or below the key.
    auto after = std::upper_bound(Runs.begin(), Runs.end(), sourceKey,
                                  [](std::int32_t key, const TRun& run) { return key < run.Source; });
    if (after == Runs.begin()) return nullptr;
    const TRun& run = *(after - 1);
    return static_cast<std::int64_t>(sourceKey) - run.Source < run.Length ? &run : nullptr;
}

bool TKeyMap::Lookup(std::int32_t sourceKey, std::int32_t& destKey) const {
    if (const TRun* run = RunOf(sourceKey)) {
        destKey = run->Dest + (sourceKey - run->Source);
        return true;
    }
    if (!Others.Contains(sourceKey)) return false;
    destKey = Others.DataOf(sourceKey);
    return true;
}

std::int32_t TKeyMap::Record(std::int32_t sourceKey, std::int32_t destKey) {
    std::int32_t held = 0;
    if (Lookup(sourceKey, held)) return held;
    ++Pairs;
    // Above every run: the pair continues the last run or starts one.
    if (Runs.empty() || static_cast<std::int64_t>(sourceKey) >= static_cast<std::int64_t>(Runs.back().Source) + Runs.back().Length) {
        TRun* last = Runs.empty() ? nullptr : &Runs.back();
        if (last && static_cast<std::int64_t>(last->Source) + last->Length == sourceKey &&
            static_cast<std::int64_t>(last->Dest) + last->Length == destKey)
            ++last->Length;
        else
            Runs.push_back({sourceKey, destKey, 1});
        return destKey;
    }
    Others.Add(sourceKey, destKey, false);
    return destKey;
}
