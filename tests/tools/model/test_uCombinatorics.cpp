#include "tools/model/uCombinatorics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using K = TCombinatoricsKind;

TEST(Combinatorics, WorkedExamples)
{
    const struct
    {
        K kind;
        int n, k;
        Extended expected;
    } cases[] = {
        {K::CombinatorialNumber, 5, 2, 10},         {K::CombinationWithoutRepetition, 5, 2, 10},
        {K::VariationWithoutRepetition, 5, 2, 20},  {K::VariationWithRepetition, 5, 2, 25},
        {K::CombinationWithRepetition, 5, 2, 15},   {K::PermutationWithoutRepetition, 5, 2, 120},
        {K::VariationWithRepetition, 3, 5, 243},    {K::CombinatorialNumber, 0, 0, 1},
        {K::PermutationWithoutRepetition, 0, 0, 1}, {K::VariationWithRepetition, 0, 0, 1},
        {K::VariationWithRepetition, 0, 3, 0},      {K::VariationWithoutRepetition, 7, 0, 1},
        {K::CombinationWithRepetition, 1, 9999, 1},
    };
    for (const auto &c : cases) {
        Extended r = -1;
        EXPECT_TRUE(CombinatoricsValue(c.kind, c.n, c.k, r)) << int(c.kind) << " " << c.n << " " << c.k;
        EXPECT_EQ(r, c.expected) << int(c.kind) << " " << c.n << " " << c.k;
    }
}

TEST(Combinatorics, ExactWhereFactorialsWouldRound)
{
    const struct
    {
        K kind;
        int n, k;
        Extended expected;
    } cases[] = {
        {K::CombinatorialNumber, 30, 15, 155117520},
        {K::CombinatorialNumber, 60, 30, 118264581564861424.0L},
        {K::CombinatorialNumber, 66, 33, 7219428434016265740.0L},
        {K::CombinatorialNumber, 2000, 1, 2000},
        {K::CombinatorialNumber, 9999, 9998, 9999},
        {K::CombinationWithRepetition, 9999, 2, 49995000},
        {K::VariationWithoutRepetition, 9999, 3, 9999.0L * 9998 * 9997},
        {K::VariationWithRepetition, 2, 63, 9223372036854775808.0L},
        {K::PermutationWithoutRepetition, 20, 0, 2432902008176640000.0L},
    };
    for (const auto &c : cases) {
        Extended r = -1;
        ASSERT_TRUE(CombinatoricsValue(c.kind, c.n, c.k, r)) << c.n << " " << c.k;
        EXPECT_EQ(r, c.expected) << c.n << " " << c.k;
    }
}

TEST(Combinatorics, BeyondTheIntegersStaysAccurate)
{
    Extended r = 0;
    // C(200, 100) = 9.0548514656103281165e58; 2^200; 100!.
    ASSERT_TRUE(CombinatoricsValue(K::CombinatorialNumber, 200, 100, r));
    EXPECT_NEAR(double(r / 9.0548514656103281165404e58L), 1.0, 1e-16);
    ASSERT_TRUE(CombinatoricsValue(K::VariationWithRepetition, 2, 200, r));
    EXPECT_EQ(r, std::ldexp(1.0L, 200));
    ASSERT_TRUE(CombinatoricsValue(K::PermutationWithoutRepetition, 100, 0, r));
    EXPECT_NEAR(double(r / 9.33262154439441526816992e157L), 1.0, 1e-16);
    ASSERT_TRUE(CombinatoricsValue(K::PermutationWithoutRepetition, 1754, 0, r)); // the largest finite
    EXPECT_TRUE(std::isfinite(r));
    ASSERT_TRUE(CombinatoricsValue(K::CombinatorialNumber, 9999, 4999, r)); // about 1e3008
    EXPECT_TRUE(std::isfinite(r));
}

TEST(Combinatorics, UndefinedOrTooLarge)
{
    const struct
    {
        K kind;
        int n, k;
    } cases[] = {
        {K::CombinatorialNumber, 3, 5}, // k > n
        {K::CombinationWithoutRepetition, 3, 5},
        {K::VariationWithoutRepetition, 3, 5},
        {K::CombinationWithRepetition, 0, 0},     // n + k - 1 = -1
        {K::CombinationWithRepetition, 0, 3},     // n - 1 = -1
        {K::CombinationWithRepetition, 65535, 2}, // n + k - 1 beyond a word
        {K::PermutationWithoutRepetition, 1755, 0},
        {K::VariationWithRepetition, 9999, 9999}, // an overflowing power
        {K::VariationWithRepetition, 10, 5000},
        {K::CombinatorialNumber, 65535, 32767},
        {K::CombinatorialNumber, -1, 0},
        {K::VariationWithRepetition, 2, 65536},
    };
    for (const auto &c : cases) {
        Extended r = 42;
        EXPECT_FALSE(CombinatoricsValue(c.kind, c.n, c.k, r)) << int(c.kind) << " " << c.n << " " << c.k;
        EXPECT_EQ(r, 42.0L);
    }
}

} // namespace
