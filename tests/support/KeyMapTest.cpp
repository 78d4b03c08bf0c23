// The key map keeps every pair it was given, however the pairs arrive, and a pair once held
// is not replaced.

#include "support/KeyMap.h"

#include <QMap>
#include <gtest/gtest.h>
#include <climits>
#include <random>

namespace {

struct TPairsCase {
    const char* Name;
    std::vector<std::pair<std::int32_t, std::int32_t>> Pairs;
};

// Every pair the cases give, in their order, with the answers a plain map gives.
void ExpectSameAsPlainMap(const TPairsCase& pairsCase) {
    SCOPED_TRACE(pairsCase.Name);
    TKeyMap map;
    QMap<std::int32_t, std::int32_t> expected;
    for (const auto& [source, dest] : pairsCase.Pairs) {
        const std::int32_t kept = expected.contains(source) ? expected.value(source) : dest;
        expected.insert(source, kept);
        EXPECT_EQ(map.Record(source, dest), kept) << source;
    }
    EXPECT_EQ(map.Count(), expected.size());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        std::int32_t dest = 0;
        ASSERT_TRUE(map.Lookup(it.key(), dest)) << it.key();
        EXPECT_EQ(dest, it.value()) << it.key();
        // The neighbours that were never given are not found.
        for (const std::int64_t near : {static_cast<std::int64_t>(it.key()) - 1, static_cast<std::int64_t>(it.key()) + 1})
            if (near >= INT_MIN && near <= INT_MAX && !expected.contains(static_cast<std::int32_t>(near)))
                EXPECT_FALSE(map.Lookup(static_cast<std::int32_t>(near), dest)) << near;
    }
}

}  // namespace

TEST(KeyMapTest, HoldsEveryPairHoweverThePairsArrive) {
    std::vector<std::pair<std::int32_t, std::int32_t>> shuffled;
    for (int i = 0; i < 3000; ++i) shuffled.push_back({i * 3 % 2000, 100000 + i});
    std::mt19937 random(7);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    std::vector<std::pair<std::int32_t, std::int32_t>> ascending, interleaved;
    for (int i = 1; i <= 1000; ++i) ascending.push_back({i, 500 + i});
    for (int i = 1; i <= 500; ++i) {
        interleaved.push_back({2 * i, 10 * i});          // continues nothing: a run each
        interleaved.push_back({2 * i - 1, 10 * i + 1});  // below the last run
    }
    const TPairsCase cases[] = {
        {"ascending keys numbered in order (one run)", ascending},
        {"every other key, the gaps filled afterwards", interleaved},
        {"shuffled, with keys given twice", shuffled},
        {"runs broken by the destination's numbering",
         {{1, 10}, {2, 11}, {3, 20}, {4, 21}, {10, 22}, {11, 23}, {5, 30}, {12, 24}}},
        {"the ends of the integers", {{INT_MAX - 1, INT_MAX - 1}, {INT_MAX, INT_MAX}, {INT_MIN, 5}, {INT_MIN + 1, 6}, {0, 0}}},
        {"a key given again keeps its first destination", {{7, 1}, {8, 2}, {7, 99}, {8, 3}, {9, 3}}},
    };
    for (const TPairsCase& pairsCase : cases) ExpectSameAsPlainMap(pairsCase);
}
