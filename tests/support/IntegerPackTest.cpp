// The integer pack and its node arena: the documented answers, edge cases and notifications.

#include "support/Exception.h"
#include "support/IntegerPack.h"
#include "support/LocalHeap.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// The message DataAt raised, or an empty text when it returned.
QString ErrorOfDataAt(const TIntegerPack& pack, int index) {
    try {
        pack.DataAt(index);
    } catch (const Exception& error) {
        return error.message();
    }
    return QString();
}

const QString BadPosition = QStringLiteral("Недопустимый номер элемента в дереве");

}  // namespace

TEST(LocalHeapTest, CarvesRequestsFromBlocksAndFreesThemAtOnce) {
    TLocalHeap heap;
    EXPECT_EQ(heap.Alloc(0), nullptr);
    EXPECT_EQ(heap.Alloc(-8), nullptr);
    EXPECT_EQ(heap.BlockCount(), 0);

    auto* first = static_cast<char*>(heap.Alloc(100));
    auto* second = static_cast<char*>(heap.Alloc(28));
    EXPECT_EQ(second, first + 100);
    auto* rest = static_cast<char*>(heap.Alloc(8192 - 128));  // exactly what is left
    EXPECT_EQ(rest, second + 28);
    EXPECT_EQ(heap.BlockCount(), 1);
    EXPECT_EQ(heap.ReservedBytes(), 8192u);

    heap.Alloc(1);  // a new block
    EXPECT_EQ(heap.BlockCount(), 2);

    // A large request gets its own block, rounded up to 4096; its tail serves the next ones.
    auto* large = static_cast<unsigned char*>(heap.Alloc(9000));
    EXPECT_EQ(heap.ReservedBytes(), 8192u * 2 + 12288u);
    for (int i = 0; i < 9000; ++i) ASSERT_EQ(large[i], 0) << i;
    auto* tail = static_cast<unsigned char*>(heap.Alloc(12288 - 9000));
    EXPECT_EQ(tail, large + 9000);
    EXPECT_EQ(heap.BlockCount(), 3);
    heap.Alloc(8192);
    EXPECT_EQ(heap.ReservedBytes(), 8192u * 3 + 12288u);
    heap.Alloc(8193);
    EXPECT_EQ(heap.ReservedBytes(), 8192u * 3 + 12288u * 2);

    heap.Clear();
    EXPECT_EQ(heap.BlockCount(), 0);
    EXPECT_EQ(heap.ReservedBytes(), 0u);
    auto* again = static_cast<unsigned char*>(heap.Alloc(16));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again[15], 0);
}

TEST(IntegerPackTest, DuplicatesOnlyWhenAllowed) {
    TIntegerPack pack(true);
    pack.Add(5, 50, false);
    pack.Add(5, 99, false);
    EXPECT_EQ(pack.Count(), 1);
    EXPECT_EQ(pack.DataOf(5), 50);
    pack.Add(5, 51, true);
    EXPECT_EQ(pack.Count(), 2);
    // Equal keys keep the order they were added in.
    EXPECT_EQ(pack.DataAt(0), 50);
    EXPECT_EQ(pack.DataAt(1), 51);
    const int position = pack.IndexOf(5);
    EXPECT_TRUE(position == 0 || position == 1) << position;
    EXPECT_EQ(pack.ValidateTree(), QString());
}

TEST(IntegerPackTest, PositionsFollowAscendingKeys) {
    TIntegerPack pack(true);
    pack.Add(30, 300, false);
    pack.Add(10, 100, false);
    pack.Add(20, 200, false);
    EXPECT_EQ(pack.IndexOf(10), 0);
    EXPECT_EQ(pack.IndexOf(20), 1);
    EXPECT_EQ(pack.IndexOf(30), 2);
    EXPECT_EQ(pack.DataAt(1), 200);
    EXPECT_EQ(pack.KeyAt(2), 30);

    // Absent keys answer a neighbour's position.
    EXPECT_EQ(pack.IndexOf(5), -1);
    EXPECT_EQ(pack.IndexOf(35), 3);
    const int between = pack.IndexOf(25);
    EXPECT_TRUE(between == 1 || between == 2) << between;

    // The copier's way: add, then read the new entry back by its position.
    pack.Add(15, 150, true);
    EXPECT_EQ(pack.DataAt(pack.IndexOf(15)), 150);
    EXPECT_EQ(pack.DataAt(pack.IndexOf(30)), 300);
}

TEST(IntegerPackTest, IndexOfInEmptyAndSingleKeyPacks) {
    TIntegerPack pack(true);
    EXPECT_EQ(pack.IndexOf(7), 0);
    pack.Add(10, 1, false);
    EXPECT_EQ(pack.IndexOf(5), -1);
    EXPECT_EQ(pack.IndexOf(10), 0);
    EXPECT_EQ(pack.IndexOf(15), 1);
}

TEST(IntegerPackTest, DataOfAndDataAtAnswerZeroWhereThereIsNoData) {
    TIntegerPack withData(true);
    withData.Add(1, 11, false);
    EXPECT_EQ(withData.DataOf(2), 0);
    EXPECT_EQ(withData.DataOf(1), 11);

    TIntegerPack keysOnly(false);
    keysOnly.Add(1, 11, false);
    keysOnly.Add(2, 22, false);
    EXPECT_TRUE(keysOnly.Contains(1));
    EXPECT_EQ(keysOnly.DataOf(1), 0);
    EXPECT_EQ(keysOnly.DataAt(0), 0);
    EXPECT_EQ(keysOnly.DataAt(-1), 0);
    EXPECT_EQ(keysOnly.DataAt(100), 0);
    EXPECT_EQ(keysOnly.KeyAt(1), 2);
    EXPECT_EQ(keysOnly.ValueSize(), 4);
    EXPECT_EQ(withData.ValueSize(), 8);
}

TEST(IntegerPackTest, DataAtOutsideTheKeysRaisesAndChangesNothing) {
    TIntegerPack pack(true);
    EXPECT_EQ(ErrorOfDataAt(pack, 0), BadPosition);
    pack.Add(4, 40, false);
    pack.Add(8, 80, false);
    EXPECT_EQ(ErrorOfDataAt(pack, -1), BadPosition);
    EXPECT_EQ(ErrorOfDataAt(pack, 2), BadPosition);
    EXPECT_EQ(ErrorOfDataAt(pack, INT_MIN), BadPosition);
    EXPECT_EQ(ErrorOfDataAt(pack, 1), QString());
    EXPECT_EQ(pack.Count(), 2);
    EXPECT_EQ(pack.DataAt(1), 80);
}

TEST(IntegerPackTest, KeysSortAsSignedIntegers) {
    TIntegerPack pack(true);
    for (int key : {5, -3, INT_MAX, 0, INT_MIN, -1}) pack.Add(key, key / 2, false);
    const int expected[] = {INT_MIN, -3, -1, 0, 5, INT_MAX};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(pack.KeyAt(i), expected[i]);
        EXPECT_EQ(pack.IndexOf(expected[i]), i);
        EXPECT_EQ(pack.DataAt(i), expected[i] / 2);
    }
}

TEST(IntegerPackTest, ClearEmptiesAFilledPackForReuse) {
    TIntegerPack pack(true);
    int notifications = 0;
    pack.OnChange = [&](TValuePack*) { ++notifications; };
    pack.Clear();
    EXPECT_EQ(notifications, 0);

    for (int key = 0; key < 3000; ++key) pack.Add(key, -key, false);
    notifications = 0;
    pack.Clear();
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(pack.Count(), 0);
    EXPECT_FALSE(pack.Contains(10));
    EXPECT_EQ(pack.IndexOf(10), 0);
    EXPECT_EQ(pack.ValidateTree(), QString());

    pack.Add(10, 7, false);
    EXPECT_EQ(pack.Count(), 1);
    EXPECT_EQ(pack.DataOf(10), 7);
    EXPECT_EQ(pack.ValidateTree(), QString());
}

TEST(IntegerPackTest, NotifiesEveryChangeUnlessUpdating) {
    TIntegerPack pack(true);
    std::vector<TValuePack*> senders;
    pack.OnChange = [&](TValuePack* sender) { senders.push_back(sender); };
    pack.Add(1, 1, false);
    pack.Add(1, 1, false);  // refused: no change
    pack.Add(1, 2, true);
    EXPECT_EQ(senders, (std::vector<TValuePack*>{&pack, &pack}));

    senders.clear();
    pack.BeginUpdate();
    pack.BeginUpdate();
    pack.Add(2, 2, false);
    pack.Add(3, 3, false);
    pack.EndUpdate();
    EXPECT_TRUE(senders.empty());
    pack.EndUpdate();
    EXPECT_EQ(senders.size(), 1u);
    pack.BeginUpdate();
    pack.EndUpdate();  // nothing changed in between
    EXPECT_EQ(senders.size(), 1u);
}

TEST(IntegerPackTest, StaysBalancedUnderSortedInsertionAcrossPacks) {
    // Ascending and descending runs are the worst case of an unbalanced tree; two packs grown
    // side by side share the sentinel, which neither may disturb.
    TIntegerPack ascending(true), descending(false);
    for (int i = 0; i < 20000; ++i) {
        ascending.Add(i, i * 2, false);
        descending.Add(20000 - i, 0, false);
    }
    EXPECT_EQ(ascending.ValidateTree(), QString());
    EXPECT_EQ(descending.ValidateTree(), QString());
    for (int i = 0; i < 20000; i += 997) {
        EXPECT_EQ(ascending.IndexOf(i), i);
        EXPECT_EQ(ascending.DataAt(i), i * 2);
        EXPECT_EQ(descending.IndexOf(i + 1), i);
    }
}
