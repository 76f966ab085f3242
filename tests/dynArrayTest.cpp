// The growable array and the bounded text helpers.
#include "libs/inc/cont/zu_dynArray.h"

#include <gtest/gtest.h>

#include "core/log.h"
#include "deathTest.h"

TEST(DynArray, GrowsByDoublingOrToNeedPlusEightNeverBelowEight)
{
    DynArray<int> a;
    a.push(1);
    EXPECT_EQ(a.capacity(), 9); // doubling 0 is not enough: 1 + 8
    for (int i = 0; i < 8; ++i)
        a.push(i);
    EXPECT_EQ(a.capacity(), 9);
    a.push(9);
    EXPECT_EQ(a.capacity(), 18);
    a.insert(0, nullptr, 100); // 110 needed: doubling (36) is not enough
    EXPECT_EQ(a.capacity(), 118);
    a.resize(119);
    EXPECT_EQ(a.capacity(), 236);

    DynArray<int> b;
    b.reserve(2);
    EXPECT_EQ(b.capacity(), 2);
    for (int i = 0; i < 3; ++i)
        b.push(i);
    EXPECT_EQ(b.capacity(), 8); // doubling gives 4, raised to the minimum
}

TEST(DynArray, InsertCopiesOrZeroesAndKeepsTheTail)
{
    DynArray<int> a;
    const int src[] = {1, 2, 3};
    a.insert(0, src, 3);
    a.resize(5);
    a[3] = 7;
    a.insert(1, nullptr, 2);
    const int expect[] = {1, 0, 0, 2, 3, 7, 0};
    ASSERT_EQ(a.size(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(a[i], expect[i]) << i;
}

TEST(DynArray, OrderedRemovalMovesTheTailDown)
{
    DynArray<int> a;
    for (int i = 0; i < 6; ++i)
        a.push(i);
    a.remove(1, 2);
    const int expect[] = {0, 3, 4, 5};
    ASSERT_EQ(a.size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(a[i], expect[i]);
}

TEST(DynArray, FastRemovalFillsTheGapWithTheLastElements)
{
    DynArray<int> a;
    for (int i = 0; i < 6; ++i)
        a.push(i);
    a.remove_fast(1, 2); // the last two elements move into the gap
    const int expect[] = {0, 4, 5, 3};
    ASSERT_EQ(a.size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(a[i], expect[i]);

    a.remove_fast(2, 2); // nothing after the gap: only shortened
    ASSERT_EQ(a.size(), 2);
    EXPECT_EQ(a[1], 4);

    DynArray<int> b; // a tail shorter than the gap moves as a whole
    for (int i = 0; i < 5; ++i)
        b.push(i);
    b.remove_fast(1, 3);
    ASSERT_EQ(b.size(), 2);
    EXPECT_EQ(b[1], 4);
}

TEST(DynArray, MoveLeavesTheSourceEmpty)
{
    DynArray<int> a;
    a.push(5);
    DynArray<int> b(std::move(a));
    EXPECT_EQ(a.size(), 0);
    EXPECT_EQ(a.data(), nullptr);
    EXPECT_EQ(b[0], 5);
}

TEST(DynArrayDeathTest, BoundsChecksNameTheHeaderAndTheExpression)
{
    DynArray<int> a;
    a.push(1);
    EXPECT_FATAL(a.remove(0, 2), "ERROR: zu_dynArray\\.h\\([0-9]+\\): failed ASSERT\\(at\\+n<=num\\)");
    EXPECT_FATAL(a.remove(2, 0), "failed ASSERT\\(at>=0 && at<=num\\)");
    EXPECT_FATAL(a.insert(0, nullptr, -1), "failed ASSERT\\(n>=0\\)");
    a.clear();
    EXPECT_FATAL(a.pop(), "zu_dynArray\\.h\\([0-9]+\\): failed ASSERT\\(num>0\\)");
}

TEST(TextDeathTest, CopyTextRefusesTextsThatDoNotFit)
{
    PathText path;
    std::string fits(PATH_MAX - 1, 'x');
    copy_text(path, fits.c_str());
    EXPECT_EQ(strlen(path.s), PATH_MAX - 1u);
    copy_text(path, nullptr);
    EXPECT_STREQ(path.s, "");

    std::string tooLong(PATH_MAX, 'x');
    EXPECT_FATAL(copy_text(path, tooLong.c_str()), "zu_utils\\.h\\([0-9]+\\): failed ASSERT\\(l<BS\\)");
    ShortText s;
    EXPECT_FATAL(copy_text(s, std::string(256, 'y').c_str()), "failed ASSERT\\(l<BS\\)");
}

TEST(TextDeathTest, FormatShortFillsTheCallersBuffer)
{
    ShortText s;
    EXPECT_STREQ(format_short(s, "%s %03d", "level", 7), "level 007");
    EXPECT_FATAL(format_short(s, "%300d", 1), "failed ASSERT");
}
