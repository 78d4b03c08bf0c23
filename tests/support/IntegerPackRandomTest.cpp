// The integer pack against the standard library's ordered containers over long random runs.

#include "support/Exception.h"
#include "support/IntegerPack.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>
#include <vector>

namespace {

// Keys added are the even numbers of -Span..Span; queries range a little wider, so that
// about half of them ask for a key that is absent, inside and outside the held range.
constexpr int Span = 2000;
constexpr int QuerySpan = Span + 100;

// How many keys of the reference lie below each key, read from a count per key.
class TKeyCounts {
public:
    TKeyCounts() : Counts(2 * QuerySpan + 1, 0) {}
    void Add(int key) { ++Counts[Slot(key)]; }
    int Of(int key) const { return Counts[Slot(key)]; }
    int Below(int key) const {
        int total = 0;
        for (int slot = 0; slot < Slot(key); ++slot) total += Counts[slot];
        return total;
    }
    // The key at a position in ascending order, and how many equal keys precede it.
    std::pair<int, int> At(int position) const {
        for (int slot = 0;; ++slot) {
            if (position < Counts[slot]) return {slot - QuerySpan, position};
            position -= Counts[slot];
        }
    }

private:
    static int Slot(int key) { return key + QuerySpan; }
    std::vector<int> Counts;
};

// Every position's key and data against the reference, in order.
template <typename TMap>
::testing::AssertionResult SameOrder(const TIntegerPack& pack, const TMap& reference) {
    if (pack.Count() != static_cast<int>(reference.size()))
        return ::testing::AssertionFailure() << "Count " << pack.Count() << ", expected " << reference.size();
    int position = 0;
    for (const auto& [key, data] : reference) {
        if (pack.KeyAt(position) != key || pack.DataAt(position) != data)
            return ::testing::AssertionFailure() << "position " << position << " holds " << pack.KeyAt(position)
                                                 << "/" << pack.DataAt(position) << ", expected " << key << "/"
                                                 << data;
        ++position;
    }
    return ::testing::AssertionSuccess();
}

// An absent key answers the position of its next smaller or next larger neighbour.
::testing::AssertionResult NeighbourPosition(int answer, int below, int count) {
    const bool fits = count == 0     ? answer == 0
                      : below == 0   ? answer == -1
                      : below == count ? answer == count
                                     : answer == below - 1 || answer == below;
    if (fits) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "IndexOf answered " << answer << " with " << below << " of " << count
                                         << " keys below";
}

}  // namespace

TEST(IntegerPackRandomTest, MatchesAMultimapOverManyMixedOperations) {
    constexpr int Operations = 120000;
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> operation(0, 99), heldKey(-Span / 2, Span / 2), queryKey(-QuerySpan, QuerySpan),
        data(INT_MIN, INT_MAX);
    TIntegerPack pack(true);
    std::multimap<int, int> reference;  // inserts equal keys after the ones already held, as the pack does
    TKeyCounts counts;

    for (int step = 0; step < Operations; ++step) {
        const int choice = operation(random);
        const int count = static_cast<int>(reference.size());
        if (choice < 45) {
            const int key = 2 * heldKey(random);
            const int value = data(random);
            const bool allowDuplicates = choice < 25;
            if (allowDuplicates || counts.Of(key) == 0) {
                reference.emplace(key, value);
                counts.Add(key);
            }
            pack.Add(key, value, allowDuplicates);
            ASSERT_EQ(pack.Count(), static_cast<int>(reference.size())) << "step " << step;
        } else if (choice < 55) {
            const int key = queryKey(random);
            ASSERT_EQ(pack.Contains(key), counts.Of(key) > 0) << "step " << step << " key " << key;
        } else if (choice < 70) {
            const int key = queryKey(random);
            const int answer = pack.DataOf(key);
            if (counts.Of(key) == 0) {
                ASSERT_EQ(answer, 0) << "step " << step << " key " << key;
            } else {
                bool stored = false;
                for (auto [it, end] = reference.equal_range(key); it != end; ++it) stored |= it->second == answer;
                ASSERT_TRUE(stored) << "step " << step << " key " << key << " answered " << answer;
            }
        } else if (choice < 85) {
            const int key = queryKey(random);
            const int answer = pack.IndexOf(key);
            const int below = counts.Below(key);
            if (counts.Of(key) > 0) {
                ASSERT_TRUE(answer >= below && answer < below + counts.Of(key))
                    << "step " << step << " key " << key << " answered " << answer << ", " << below << " below";
            } else {
                ASSERT_TRUE(NeighbourPosition(answer, below, count)) << "step " << step << " key " << key;
            }
        } else {
            const int position = std::uniform_int_distribution<int>(-1, count)(random);
            if (position < 0 || position >= count) {
                ASSERT_THROW(pack.DataAt(position), Exception) << "step " << step;
            } else {
                const auto [key, equalBefore] = counts.At(position);
                const int expected = std::next(reference.lower_bound(key), equalBefore)->second;
                ASSERT_EQ(pack.DataAt(position), expected) << "step " << step << " position " << position;
            }
        }
        if (step % 30000 == 29999) {
            ASSERT_TRUE(SameOrder(pack, reference)) << "step " << step;
        }
    }
    EXPECT_GT(reference.size(), 30000u);
    EXPECT_TRUE(SameOrder(pack, reference));
    EXPECT_EQ(pack.ValidateTree(), QString());
}

TEST(IntegerPackRandomTest, MatchesAMapWhenUsedAsAKeyMap) {
    // As the copier uses it: ask Contains, add a missing key with duplicates allowed, read
    // the new entry back through IndexOf and DataAt; keys span the whole signed range.
    constexpr int Operations = 40000;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyKey(INT_MIN, INT_MAX), coin(0, 1);
    TIntegerPack pack(true);
    std::map<int, int> reference;
    std::vector<int> added;

    for (int step = 0; step < Operations; ++step) {
        const bool repeat = !added.empty() && coin(random) == 1;
        const int key = repeat ? added[std::uniform_int_distribution<size_t>(0, added.size() - 1)(random)] : anyKey(random);
        if (pack.Contains(key)) {
            ASSERT_EQ(reference.count(key), 1u) << "step " << step;
            ASSERT_EQ(pack.DataOf(key), reference[key]) << "step " << step;
        } else {
            ASSERT_EQ(reference.count(key), 0u) << "step " << step;
            const int destinationKey = step + 1;
            pack.Add(key, destinationKey, true);
            ASSERT_EQ(pack.DataAt(pack.IndexOf(key)), destinationKey) << "step " << step;
            reference[key] = destinationKey;
            added.push_back(key);
        }
    }
    ASSERT_TRUE(SameOrder(pack, reference));
    int position = 0;
    for (const auto& [key, value] : reference) {
        ASSERT_EQ(pack.IndexOf(key), position);
        if (key < INT_MAX && !reference.count(key + 1)) {
            ASSERT_TRUE(NeighbourPosition(pack.IndexOf(key + 1), position + 1, pack.Count())) << key;
        }
        ++position;
    }
    EXPECT_EQ(pack.ValidateTree(), QString());
}
