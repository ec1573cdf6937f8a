#include "tools/model/uQuadraticSolver.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(QuadraticSolver, RealRoots)
{
    const struct
    {
        Extended a, b, c, d, x1, x2;
    } cases[] = {
        {1, -3, 2, 1, 1, 2},   {1, 2, 1, 0, -1, -1}, {1, 0, -4, 16, -2, 2},
        {-1, 0, 4, 16, 2, -2},                       // a < 0: x1 keeps the minus sign of the formula
        {2, -4, 0, 16, 0, 2},  {-2, 4, 0, 16, 2, 0}, // c / q = 0 / -4 would be -0
        {1, 0, 0, 0, 0, 0},    {-1, 0, 0, 0, 0, 0},  {3, -0.0L, 0, 0, 0, 0},
    };
    for (const auto &c : cases) {
        TQuadraticRoots r;
        ASSERT_TRUE(SolveQuadratic(c.a, c.b, c.c, r));
        EXPECT_FALSE(r.Complex);
        EXPECT_EQ(r.Discriminant, c.d);
        EXPECT_EQ(r.X1, c.x1) << double(c.a) << " " << double(c.b) << " " << double(c.c);
        EXPECT_EQ(r.X2, c.x2) << double(c.a) << " " << double(c.b) << " " << double(c.c);
        EXPECT_FALSE(r.X1 == 0 && std::signbit(r.X1)); // no -0
        EXPECT_FALSE(r.X2 == 0 && std::signbit(r.X2));
    }
}

TEST(QuadraticSolver, NoCancellationInTheSmallRoot)
{
    TQuadraticRoots r;
    ASSERT_TRUE(SolveQuadratic(1, 1e8L, 1, r));
    // The exact roots: -5e7 -+ sqrt(2.5e15 - 1).
    EXPECT_NEAR(double(r.X1 / -99999999.99999999L), 1.0, 1e-17);
    EXPECT_NEAR(double(r.X2 / -1.0000000000000000100000000000000002e-8L), 1.0, 1e-17);
    ASSERT_TRUE(SolveQuadratic(1, -1e8L, 1, r));
    EXPECT_NEAR(double(r.X1 / 1.00000000000000001e-8L), 1.0, 1e-17);
    EXPECT_NEAR(double(r.X2 / 99999999.99999999L), 1.0, 1e-17);
    // Coefficients at the ends of the double range stay finite.
    ASSERT_TRUE(SolveQuadratic(4.9e-324L, 1.7e308L, -1.7e308L, r));
    EXPECT_TRUE(std::isfinite(r.X1) && std::isfinite(r.X2));
}

TEST(QuadraticSolver, ComplexRootsAndNoQuadratic)
{
    TQuadraticRoots r;
    ASSERT_TRUE(SolveQuadratic(1, 0, 1, r));
    EXPECT_TRUE(r.Complex);
    EXPECT_EQ(r.Discriminant, -4);
    EXPECT_EQ(r.Re, 0);
    EXPECT_FALSE(std::signbit(r.Re)); // -0 / 2 would print as "-0"
    EXPECT_EQ(r.Im, 1);
    ASSERT_TRUE(SolveQuadratic(2, 2, 1, r));
    EXPECT_EQ(r.Re, -0.5L);
    EXPECT_EQ(r.Im, 0.5L);

    TQuadraticRoots kept;
    kept.X1 = 42;
    EXPECT_FALSE(SolveQuadratic(0, 1, 1, kept));
    EXPECT_EQ(kept.X1, 42);
}

} // namespace
