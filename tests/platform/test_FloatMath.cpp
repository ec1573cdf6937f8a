#include "platform/FloatMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr Extended Inf = std::numeric_limits<Extended>::infinity();
constexpr Extended NaN = std::numeric_limits<Extended>::quiet_NaN();
constexpr Extended Max = std::numeric_limits<Extended>::max();

// Which exception a computation raised.
enum Fault {
    None,
    Invalid,
    ZeroDivide,
    Overflow,
    IntOverflow,
    DivByZero,
    Range
};

template <typename F>
Fault FaultOf(F f)
{
    try {
        f();
    } catch (const EInvalidOp &) {
        return Invalid;
    } catch (const EZeroDivide &) {
        return ZeroDivide;
    } catch (const EOverflow &) {
        return Overflow;
    } catch (const EIntOverflow &) {
        return IntOverflow;
    } catch (const EDivByZero &) {
        return DivByZero;
    } catch (const ERangeError &) {
        return Range;
    }
    return None;
}

} // namespace

TEST(FloatMath, RoundIsHalfToEvenAndTrapsOutsideInt64)
{
    struct Case
    {
        Extended x;
        qint64 round, trunc;
    };
    const Case cases[] = {
        {0.5L, 0, 0},
        {1.5L, 2, 1},
        {2.5L, 2, 2},
        {3.5L, 4, 3},
        {-2.5L, -2, -2},
        {-3.5L, -4, -3},
        {2.4999L, 2, 2},
        {2.6L, 3, 2},
        {-2.9L, -3, -2},
        {-9223372036854775808.0L, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::min()},
        {9223372036854775807.0L, std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::max()},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Round(c.x), c.round) << double(c.x);
        EXPECT_EQ(Trunc(c.x), c.trunc) << double(c.x);
    }
    for (const Extended x : {9223372036854775808.0L, -9223372036854775809.0L, 1e19L, Inf, -Inf, NaN}) {
        EXPECT_EQ(FaultOf([&] { Round(x); }), Invalid) << double(x);
        EXPECT_EQ(FaultOf([&] { Trunc(x); }), Invalid) << double(x);
    }
    // Just below 2^63 - 0.5 rounds down into range; -2^63 - 0.5 is even-rounded to -2^63.
    EXPECT_EQ(Round(-9223372036854775808.5L), std::numeric_limits<qint64>::min());
    EXPECT_EQ(Int(-2.5L), -2.0L);
    EXPECT_EQ(Frac(-2.5L), -0.5L);
    EXPECT_EQ(Frac(1e30L), 0.0L);
    EXPECT_EQ(FaultOf([] { Frac(Inf); }), Invalid);
}

TEST(FloatMath, CheckedOperationsTrapLikeTheX87)
{
    struct Case
    {
        char op;
        Extended a, b;
        Fault fault;
    };
    // clang-format off
    const Case cases[] = {
        {'+', Max, Max, Overflow},   {'-', -Max, Max, Overflow}, {'*', 1e3000L, 1e3000L, Overflow},
        {'/', 1e3000L, 1e-3000L, Overflow}, {'-', Inf, Inf, Invalid}, {'*', 0, Inf, Invalid},
        {'/', 0, 0, Invalid},        {'/', Inf, Inf, Invalid},   {'/', 1, 0, ZeroDivide},
        {'/', -1, 0, ZeroDivide},    {'/', 1e-4900L, 0, ZeroDivide},
        // Quiet cases: underflow is masked, infinities and NaN pass through.
        {'/', 1e-4000L, 1e4000L, None}, {'*', 1e-3000L, 1e-3000L, None}, {'+', Inf, 1, None},
        {'/', Inf, 0, None},         {'+', NaN, 1, None},        {'/', 1, 3, None},
    };
    // clang-format on
    for (const auto &c : cases) {
        const Fault f = FaultOf([&] {
            switch (c.op) {
            case '+':
                FAdd(c.a, c.b);
                break;
            case '-':
                FSub(c.a, c.b);
                break;
            case '*':
                FMul(c.a, c.b);
                break;
            default:
                FDiv(c.a, c.b);
                break;
            }
        });
        EXPECT_EQ(f, c.fault) << c.op << " " << double(c.a) << " " << double(c.b);
    }
    EXPECT_EQ(FMul(1e-3000L, 1e-3000L), 0.0L);
    EXPECT_EQ(FDiv(1, 4), 0.25L);
    EXPECT_EQ(FaultOf([] { CheckFloat(NaN); }), Invalid);
    EXPECT_EQ(FaultOf([] { CheckFloat(-Inf); }), Overflow);
    EXPECT_EQ(CheckFloat(2.5L), 2.5L);
}

TEST(FloatMath, PowerFollowsThePlatformRules)
{
    struct Case
    {
        Extended base, exponent;
        Fault fault;
        Extended result;
    };
    const Case cases[] = {
        {2, 10, None, 1024},      {2, -2, None, 0.25L},       {-2, 3, None, -8},
        {0, 0, None, 1},          {NaN, 0, None, 1},          {0, 2, None, 0},
        {0, -2, ZeroDivide, 0},                        // 1 / 0^2
        {0, 0.5L, None, 0},       {0, -0.5L, None, 0}, // a zero base with a non-whole exponent gives 0
        {4, 0.5L, None, 2},       {-8, 1.0L / 3, Invalid, 0}, {10, 5000, Overflow, 0},
        {10, -5000, Overflow, 0}, // the product overflows before it is inverted
        {10, 1e10L, Overflow, 0}, // beyond 2147483647: exp(x ln b)
        {0.5L, 20000, None, 0},   // underflow is masked
    };
    for (const auto &c : cases) {
        Extended r = -1;
        EXPECT_EQ(FaultOf([&] { r = FPower(c.base, c.exponent); }), c.fault)
            << double(c.base) << "^" << double(c.exponent);
        if (c.fault == None) {
            EXPECT_NEAR(double(r), double(c.result), 1e-15) << double(c.base) << "^" << double(c.exponent);
        }
    }
    // The whole-number branch is exact in 80 bits.
    EXPECT_EQ(FPower(3, 40), 12157665459056928801.0L);
    EXPECT_EQ(FIntPower(2, -16383), std::ldexp(1.0L, -16383));
}

TEST(FloatMath, LibraryFunctionsRaiseFromTheStatusFlags)
{
    EXPECT_EQ(FaultOf([] { FExp(20000); }), Overflow);
    EXPECT_EQ(FExp(-20000), 0.0L);
    EXPECT_EQ(FaultOf([] { FLn(0); }), ZeroDivide);
    EXPECT_EQ(FaultOf([] { FLn(-1); }), Invalid);
    EXPECT_EQ(FaultOf([] { FLog10(-1); }), Invalid);
    EXPECT_EQ(FaultOf([] { FSqrt(-1); }), Invalid);
    EXPECT_EQ(FaultOf([] { FSin(Inf); }), Invalid);
    EXPECT_EQ(FaultOf([] { FTan(Inf); }), Invalid);
    EXPECT_LT(std::fabs(FSqrt(2) * FSqrt(2) - 2), 1e-18L);
    EXPECT_NEAR(double(FArcTan2(1, 1)), double(0.785398163397448309615660845819875721L), 1e-18);
    EXPECT_LT(std::fabs(FLog10(1000) - 3), 1e-18L);

    volatile Extended big = 1e4000L;
    EXPECT_EQ(FaultOf([&] { FloatChecked([&] { return big * big; }); }), Overflow);
    EXPECT_EQ(FaultOf([&] { FloatChecked([&] { return big / big; }); }), None);
    // A flag left over from earlier code does not leak into the next check.
    volatile Extended zero = 0;
    volatile Extended junk = 1 / zero;
    (void)junk;
    EXPECT_EQ(FaultOf([&] { FloatChecked([&] { return big + 1; }); }), None);

    // Results that are records, or nothing at all, are checked the same way.
    struct Pair
    {
        Extended re, im;
    };
    EXPECT_EQ(FaultOf([&] { FloatChecked([&] { return Pair{big, big * big}; }); }), Overflow);
    EXPECT_EQ(FloatChecked([&] { return Pair{big, 1}; }).im, 1.0L);
    volatile Extended sink = 0;
    EXPECT_EQ(FaultOf([&] { FloatChecked([&] { sink = zero / zero; }); }), Invalid);
}

TEST(IntegerMath, TrapsOverflowDivisionByZeroAndRange)
{
    constexpr qint64 lo = std::numeric_limits<qint64>::min();
    constexpr qint64 hi = std::numeric_limits<qint64>::max();
    EXPECT_EQ(FaultOf([] { IAdd(hi, 1); }), IntOverflow);
    EXPECT_EQ(FaultOf([] { ISub(lo, 1); }), IntOverflow);
    EXPECT_EQ(FaultOf([] { IMul(hi / 2 + 1, 2); }), IntOverflow);
    EXPECT_EQ(FaultOf([] { IDiv(lo, -1); }), IntOverflow);
    EXPECT_EQ(FaultOf([] { INeg(lo); }), IntOverflow);
    EXPECT_EQ(FaultOf([] { IDiv(1, 0); }), DivByZero);
    EXPECT_EQ(FaultOf([] { IMod(1, 0); }), DivByZero);
    EXPECT_EQ(FaultOf([] { IAdd32(2147483647, 1); }), IntOverflow);
    EXPECT_EQ(FaultOf([] { IMul32(65536, 32768); }), IntOverflow);
    EXPECT_EQ(IDiv(-7, 2), -3);
    EXPECT_EQ(IMod(-7, 2), -1);
    EXPECT_EQ(IMod(7, -2), 1);
    EXPECT_EQ(IMod(lo, -1), 0);
    EXPECT_EQ(IMul(-3, 4), -12);

    struct Case
    {
        qint64 v;
        Fault i8, u8, i16, u16, i32;
    };
    const Case cases[] = {
        {-129, Range, Range, None, Range, None},    {-128, None, Range, None, Range, None},
        {255, Range, None, None, None, None},       {256, Range, Range, None, None, None},
        {-32769, Range, Range, Range, Range, None}, {65535, Range, Range, Range, None, None},
        {65536, Range, Range, Range, Range, None},  {2147483648LL, Range, Range, Range, Range, Range},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FaultOf([&] { RangeToInt8(c.v); }), c.i8) << c.v;
        EXPECT_EQ(FaultOf([&] { RangeToUInt8(c.v); }), c.u8) << c.v;
        EXPECT_EQ(FaultOf([&] { RangeToInt16(c.v); }), c.i16) << c.v;
        EXPECT_EQ(FaultOf([&] { RangeToUInt16(c.v); }), c.u16) << c.v;
        EXPECT_EQ(FaultOf([&] { RangeToInt32(c.v); }), c.i32) << c.v;
    }
    EXPECT_EQ(RangeToUInt16(65535), 65535);
}
