#include "tools/model/uStatistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TStatisticsResult Compute(const std::vector<TWeightedValue> &Values)
{
    TStatisticsResult r;
    int row = 0;
    EXPECT_EQ(ComputeStatistics(Values, r, row), TStatisticsError::None);
    return r;
}

TEST(Statistics, WorkedExamples)
{
    const TStatisticsResult a = Compute({{1, 1}, {2, 1}, {3, 1}, {4, 1}});
    EXPECT_EQ(a.Count, 4);
    EXPECT_EQ(a.Sum, 10);
    EXPECT_EQ(a.Product, 24);
    EXPECT_EQ(a.Mean, 2.5L);
    EXPECT_EQ(a.ExpectedValue, 2.5L);
    EXPECT_EQ(a.Dispersion, 1.25L);
    EXPECT_NEAR(double(a.Deviation), 1.1180339887498949, 1e-15);
    EXPECT_EQ(a.Median, 2.5L);
    EXPECT_TRUE(a.ProductInRange);

    const TStatisticsResult b = Compute({{2, 3}, {4, 1}});
    EXPECT_EQ(b.Mean, 3);
    EXPECT_EQ(b.ExpectedValue, 2.5L);
    EXPECT_EQ(b.Dispersion, 0.75L);

    EXPECT_EQ(Compute({{3, 1}, {1, 1}, {2, 1}}).Median, 2);
    // The median takes no weights: the heavy 10 does not move it.
    EXPECT_EQ(Compute({{1, 1}, {2, 1}, {10, 100}}).Median, 2);
    EXPECT_EQ(Compute({{7, 0}, {1, 1}}).ExpectedValue, 1); // a zero weight is allowed
}

TEST(Statistics, DispersionOfEqualLargeValuesIsZero)
{
    for (double big : {1e10, 123456789.123, 1e300, -3.3e-5}) {
        const TStatisticsResult r = Compute(std::vector<TWeightedValue>(6, {big, 1}));
        EXPECT_EQ(r.Dispersion, 0) << big;
        EXPECT_EQ(r.Deviation, 0) << big;
        EXPECT_FALSE(std::isnan(r.Deviation));
    }
    // Far from zero and close together: the spread survives.
    const TStatisticsResult r = Compute({{1e9 + 1, 1}, {1e9 + 2, 1}, {1e9 + 3, 1}, {1e9 + 4, 1}});
    EXPECT_EQ(r.Dispersion, 1.25L);
}

TEST(Statistics, RefusedTables)
{
    TStatisticsResult r;
    r.Count = 99;
    int row = 7;
    EXPECT_EQ(ComputeStatistics({}, r, row), TStatisticsError::NoValues);
    EXPECT_EQ(row, -1);
    EXPECT_EQ(ComputeStatistics({{1, 1}, {2, -1}, {3, -2}}, r, row), TStatisticsError::NegativeWeight);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(ComputeStatistics({{1, 0}, {2, 0}}, r, row), TStatisticsError::ZeroTotalWeight);
    EXPECT_EQ(r.Count, 99); // unchanged
}

TEST(Statistics, AnOverflowingProductIsFlaggedAndTheRestStands)
{
    const double big = std::numeric_limits<double>::max();
    const TStatisticsResult r = Compute(std::vector<TWeightedValue>(20, {big, 1}));
    EXPECT_FALSE(r.ProductInRange);
    EXPECT_TRUE(std::isfinite(r.Sum));
    EXPECT_EQ(r.Mean, big);
    EXPECT_EQ(r.Dispersion, 0);
    // Many rows: no limit on their number.
    std::vector<TWeightedValue> many;
    for (int i = 1; i <= 2000; ++i)
        many.push_back({double(i), 1});
    const TStatisticsResult m = Compute(many);
    EXPECT_EQ(m.Count, 2000);
    EXPECT_EQ(m.Median, 1000.5L);
    EXPECT_NEAR(double(m.Dispersion), (2000.0 * 2000 - 1) / 12, 1e-9);
    EXPECT_FALSE(m.ProductInRange); // 2000! is beyond the range
}

} // namespace
