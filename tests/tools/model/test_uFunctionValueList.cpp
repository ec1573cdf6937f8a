// The samples of one curve: ascending, unique X, binary-search look-ups.
#include "tools/model/uFunctionValueList.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FunctionValueList, EmptyListReportsTheIntegerLimits)
{
    TFunctionValueList list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.FirstX(), -2147483648.0L);
    EXPECT_EQ(list.LastX(), 2147483647.0L);
    EXPECT_EQ(list.LowerBound(0), 0);
    EXPECT_FALSE(list.Contains(0));
}

TEST(FunctionValueList, KeepsSamplesInOrderWithoutDuplicates)
{
    TFunctionValueList list;
    // Appended, prepended, inserted in the middle, and repeats of each.
    for (Extended x : {2.0L, 5.0L, -1.0L, 3.5L, 0.0L, 5.0L, -1.0L, 3.5L})
        list.Add(true, x, x * 10);
    EXPECT_FALSE(list.Add(false, 2.0L, 99));
    EXPECT_FALSE(list.Add(true, std::nanl(""), 1));
    ASSERT_EQ(list.Count(), 5);
    const Extended expected[] = {-1, 0, 2, 3.5L, 5};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(list.At(i).X, expected[i]);
        EXPECT_EQ(list.At(i).Y, expected[i] * 10) << "a repeated X must not replace the stored sample";
        EXPECT_TRUE(list.At(i).Defined);
    }
    EXPECT_EQ(list.FirstX(), -1);
    EXPECT_EQ(list.LastX(), 5);
    EXPECT_TRUE(list.Contains(3.5L));
    EXPECT_FALSE(list.Contains(3.4L));
    EXPECT_EQ(list.LowerBound(1), 2);
    EXPECT_EQ(list.LowerBound(2), 2);
    EXPECT_EQ(list.LowerBound(6), 5);
}

TEST(FunctionValueList, KeepRangeDropsBothEnds)
{
    TFunctionValueList list;
    for (int i = -10; i <= 10; ++i)
        list.Add(true, i, 0);
    list.KeepRange(-3, 4);
    ASSERT_EQ(list.Count(), 8);
    EXPECT_EQ(list.FirstX(), -3);
    EXPECT_EQ(list.LastX(), 4);
    list.KeepRange(20, 30);
    EXPECT_TRUE(list.IsEmpty());
    list.Clear();
    EXPECT_TRUE(list.IsEmpty());
}
