#include "core/compact_vector.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace z2e {
namespace {

// Long enough to live on the heap, so that a lost move or a double free shows.
std::string text(int i)
{
    return "value number " + std::to_string(i) + " of a list that outgrows small strings";
}

TEST(CompactVector, GrowsErasesAndAssignsLikeAStandardVector)
{
    CompactVector<std::string> values;
    std::vector<std::string> expected;
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(values.begin(), values.end());
    for (int i = 0; i < 40; ++i) {
        values.push_back(text(i));
        expected.push_back(text(i));
    }
    EXPECT_EQ(values, expected);
    EXPECT_EQ(values.size(), 40u);
    EXPECT_EQ(values.front(), text(0));
    EXPECT_EQ(values.back(), text(39));

    values.erase(values.begin() + 3, values.begin() + 10);
    expected.erase(expected.begin() + 3, expected.begin() + 10);
    values.erase(values.begin());
    expected.erase(expected.begin());
    values.erase(values.end() - 1);
    expected.erase(expected.end() - 1);
    EXPECT_EQ(values, expected);

    values.assign(3, values[5]);
    EXPECT_EQ(values, std::vector<std::string>(3, expected[5]));
    values = {"a", "b"};
    EXPECT_EQ(values, (std::vector<std::string>{"a", "b"}));
    values = std::vector<std::string>{text(1)};
    EXPECT_EQ(values, std::vector<std::string>{text(1)});
    const std::size_t capacity = values.capacity();
    values.clear();
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(values.capacity(), capacity);
}

TEST(CompactVector, AnElementOfItselfCanBeAppendedWhileItGrows)
{
    // It is full at 1, 2, 4 and 8 elements.
    CompactVector<std::string> values{text(7)};
    for (int i = 0; i < 8; ++i)
        values.push_back(values.back());
    EXPECT_EQ(values, std::vector<std::string>(9, text(7)));
}

TEST(CompactVector, CopiesAreIndependentAndMovesEmptyTheSource)
{
    CompactVector<std::string> original{text(1), text(2)};
    CompactVector<std::string> copy = original;
    copy[0] = "changed";
    EXPECT_EQ(original[0], text(1));
    copy = original;
    EXPECT_EQ(copy, original);

    CompactVector<std::string> moved = std::move(original);
    EXPECT_TRUE(original.empty()); // NOLINT(bugprone-use-after-move): moving empties it
    EXPECT_EQ(moved, copy);
    copy = std::move(moved);
    EXPECT_EQ(copy.size(), 2u);
}

/// Counts the objects alive, moved-from ones included.
struct Tracked {
    static inline int alive = 0;
    std::unique_ptr<int> owned = std::make_unique<int>(1);
    Tracked() { ++alive; }
    Tracked(Tracked&& other) noexcept : owned(std::move(other.owned)) { ++alive; }
    Tracked& operator=(Tracked&& other) noexcept = default;
    ~Tracked() { --alive; }
};

TEST(CompactVector, EveryElementIsDestroyedExactlyOnce)
{
    {
        CompactVector<Tracked> owners;
        for (int i = 0; i < 9; ++i)
            owners.emplace_back();
        EXPECT_EQ(Tracked::alive, 9);
        owners.erase(owners.begin() + 2, owners.begin() + 5);
        EXPECT_EQ(Tracked::alive, 6);
        owners.reserve(100);
        EXPECT_EQ(Tracked::alive, 6);
        EXPECT_EQ(*owners[5].owned, 1);
    }
    EXPECT_EQ(Tracked::alive, 0);
}

} // namespace
} // namespace z2e
