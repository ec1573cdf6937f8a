#include "core/Analyzator.h"

#include "core/uCommon.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/FloatMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class Functions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DecimalSeparator = u'.';
        KProgramState::GetInstance(0)->SetDefaults();
        TVariableManager::Instance()->Clear();
    }
    void TearDown() override
    {
        KProgramState::GetInstance(0)->SetDefaults();
        TVariableManager::Instance()->Clear();
        ExpressionValid = true;
        RealPreprocessed = false;
    }

    static void SetAngleMode(quint8 mode) { KProgramState::GetInstance(0)->AngleMode = mode; }

    // The value the evaluator shows for a typed text.
    static QString Shown(const QString &text, int *code = nullptr, TCalculationError *error = nullptr)
    {
        TCalculationError err;
        CheckRealSyntax(text, err, FunctionNames());
        QString value;
        if (err.ErrorCode == 0) {
            RealPreprocessed = false;
            EvaluateReal(text, err, FunctionNames(), value);
        }
        if (code)
            *code = err.ErrorCode;
        if (error)
            *error = err;
        value.remove(u'[');
        value.remove(u']');
        return value;
    }
};

struct Case
{
    quint8 angleMode;
    const char16_t *text;
    const char16_t *shown;
};

} // namespace

TEST_F(Functions, AngleUnits)
{
    const Case cases[] = {
        {0, u"sin30", u"0.5"},
        {0, u"cos(60)", u"0.5"},
        {0, u"tg(45)", u"1"},
        {0, u"tan(45)", u"1"},
        {0, u"cotg(45)", u"1"},
        {0, u"cotan(45)", u"1"},
        {0, u"sec(60)", u"2"},
        {0, u"csc(30)", u"2"},
        {0, u"arcsin(1)", u"90"},
        {0, u"arccos(0)", u"90"},
        {0, u"arccos(-1)", u"180"},
        {0, u"arctg(1)", u"45"},
        {0, u"arctan(1)", u"45"},
        {0, u"arccot(0)", u"90"},
        {0, u"arccotg(-1)", u"-45"},
        {1, u"cos(0)", u"1"},
        {1, u"arcsin(1)*2", u"3.14159265358979"},
        {2, u"sin(100)", u"1"},
        {2, u"arcsin(1)", u"100"},
        {0, u"sec(180)", u"-1"},
        {0, u"cos(90)", u"0"}, // below the function-result precision
        {0, u"arcsin(-0.5)", u"-30"},
        {0, u"arctan(0-1)", u"-45"},
        {1, u"sin(0)", u"0"},
        {1, u"arctan(1)*4", u"3.14159265358979"},
        {1, u"arccos(-1)", u"3.14159265358979"},
        {1, u"arccot(1)*4", u"3.14159265358979"},
        {1, u"arccotg(0)*2", u"3.14159265358979"},
        {1, u"sin(arcsin(0.5))", u"0.5"},
        {1, u"cos(arccos(0.5))", u"0.5"},
        {1, u"tg(arctg(2))", u"2"},
        {1, u"tan(arctan(2))", u"2"},
        {1, u"cotg(arccotg(2))", u"2"},
        {1, u"cotan(arccot(2))", u"2"},
        {1, u"sec(0)", u"1"},
        {1, u"csc(arcsin(0.5))", u"2"},
        {2, u"cos(200)", u"-1"},
        {2, u"tg(50)", u"1"},
        {2, u"tan(50)", u"1"},
        {2, u"cotg(50)", u"1"},
        {2, u"cotan(50)", u"1"},
        {2, u"sec(200)", u"-1"},
        {2, u"csc(100)", u"1"},
        {2, u"arccos(0)", u"100"},
        {2, u"arcsin(-1)", u"-100"},
        {2, u"arctg(1)", u"50"},
        {2, u"arctan(1)", u"50"},
        {2, u"arccot(1)", u"50"},
        {2, u"arccotg(-1)", u"-50"},
        {2, u"sinh(1)-sinh(1)+cosh(0)", u"1"}, // hyperbolic ones ignore the angle unit
        {1, u"sinh(1)", u"1.1752011936438"},
        {2, u"sinh(1)", u"1.1752011936438"},
    };
    for (const Case &c : cases) {
        SetAngleMode(c.angleMode);
        int code = -1;
        EXPECT_EQ(Shown(QString::fromUtf16(c.text), &code), QString::fromUtf16(c.shown))
            << QString::fromUtf16(c.text).toStdString() << " mode " << int(c.angleMode);
        EXPECT_EQ(code, 0);
    }
}

TEST_F(Functions, HyperbolicLogarithmicAndOthers)
{
    const Case cases[] = {
        {0, u"sinh(0)", u"0"},
        {0, u"cosh(0)", u"1"},
        {0, u"tanh(0)", u"0"},
        {0, u"tgh(1)-tanh(1)", u"0"},
        {0, u"coth(1)*tanh(1)", u"1"},
        {0, u"cotgh(1)*tgh(1)", u"1"},
        {0, u"arcsinh(sinh(2))", u"2"},
        {0, u"arccosh(cosh(2))", u"2"},
        {0, u"arctgh(tanh(0.5))", u"0.5"},
        {0, u"arctanh(0)", u"0"},
        {0, u"arccoth(coth(2))", u"2"},
        {0, u"arccotgh(2)-arctgh(0.5)", u"0"},
        {0, u"abs(-2.5)", u"2.5"},
        {0, u"sign(-3)", u"-1"},
        {0, u"sign(0)", u"0"},
        {0, u"sign(1e-4000)", u"0"}, // taken as a 64-bit value
        {0, u"exp(1)", u"2.71828182845905"},
        {0, u"ln(1)", u"0"},
        {0, u"log(1000)", u"3"},
        {0, u"sqrt(2)^2", u"2"},
        {0, u"sqr(-3)", u"9"},
        {0, u"rnd(2.5)", u"2"},
        {0, u"rnd(3.5)", u"4"},
        {0, u"rnd(-2.5)", u"-2"},
        {0, u"rnd(2.6)", u"3"},
        {0, u"deg(30.3045)", u"30.5125"},
        {0, u"dms(30.5125)", u"30.3045"},
        {0, u"deg(-30.3045)", u"-30.5125"},
        {0, u"dms(10)", u"10"},
        {0, u"rnd(-3.5)", u"-4"},
        {0, u"rnd(0.5)", u"0"},
        {0, u"sign(0.5)", u"1"},
        {0, u"sqrt(0)", u"0"},
        {0, u"arccosh(1)", u"0"},
        {0, u"exp(0)*ln(exp(1))", u"1"},
        {0, u"log(0.01)", u"-2"},
        {0, u"gamma(1)", u"0.999627513845015"}, // the approximation, not 1
    };
    for (const Case &c : cases) {
        int code = -1;
        EXPECT_EQ(Shown(QString::fromUtf16(c.text), &code), QString::fromUtf16(c.shown))
            << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(code, 0) << QString::fromUtf16(c.text).toStdString();
    }
}

TEST_F(Functions, DomainErrorsNameTheFunctionAndItsArgument)
{
    struct ErrorCase
    {
        const char16_t *text;
        int code;
        const char16_t *errorText;
        const char16_t *errorName;
    };
    const ErrorCase cases[] = {
        {u"arcsin(2)", 22, u"2", u"arcsin"},
        {u"arccos(-1.5)", 22, u"-1.5", u"arccos"},
        {u"ln(0)", 22, u"0", u"ln"},
        {u"log(-1)", 22, u"-1", u"log"},
        {u"sqrt(-1)", 22, u"-1", u"sqrt"},
        {u"cotg(0)", 22, u"0", u"cotg"},
        {u"csc(0)", 22, u"0", u"csc"},
        {u"coth(0)", 22, u"0", u"coth"},
        {u"arccosh(0)", 22, u"0", u"arccosh"},
        {u"arctgh(2)", 22, u"2", u"arctgh"},
        {u"arccoth(0.5)", 22, u"0.5", u"arccoth"},
        {u"gamma(0)", 22, u"0", u"gamma"},
        {u"gamma(-1.5)", 22, u"-1.5", u"gamma"},
        {u"log(0-1234567.891)", 22, u"-1 234 567.89", u"log"},
        {u"rnd(1e30)", 22, nullptr, u"rnd"}, // beyond the 64-bit range
        {u"exp(20000)", 23, u"exp", u""},
        {u"sinh(20000)", 23, u"sinh", u""},
        {u"cosh(0-20000)", 23, u"cosh", u""},
        {u"tanh(20000)", 23, u"tanh", u""},
        {u"sqr(1e3000)", 23, u"sqr", u""},
        {u"gamma(2000)", 23, u"gamma", u""},
        {u"arccos(2)", 22, u"2", u"arccos"},
        {u"arccosh(0.5)", 22, u"0.5", u"arccosh"},
        {u"arctgh(0-2)", 22, u"-2", u"arctgh"},
        {u"arctanh(2)", 22, u"2", u"arctanh"},
        {u"arccotgh(0)", 22, u"0", u"arccotgh"},
        {u"cotgh(0)", 22, u"0", u"cotgh"},
        {u"cotan(0)", 22, u"0", u"cotan"},
        {u"ln(0-0.001)", 22, u"-1E-3", u"ln"}, // too small for two places
        {u"sqrt(0-1234.5)", 22, u"-1 234.5", u"sqrt"},
        {u"log(0)", 22, u"0", u"log"},
        {u"gamma(0-3)", 22, u"-3", u"gamma"},
        {u"tgh(20000)", 23, u"tgh", u""},
        {u"cosh(20000)", 23, u"cosh", u""},
    };
    for (const ErrorCase &c : cases) {
        int code = -1;
        TCalculationError err;
        Shown(QString::fromUtf16(c.text), &code, &err);
        EXPECT_EQ(code, c.code) << QString::fromUtf16(c.text).toStdString();
        if (c.errorText) {
            EXPECT_EQ(err.ErrorText, QString::fromUtf16(c.errorText)) << QString::fromUtf16(c.text).toStdString();
        }
        EXPECT_EQ(err.ErrorName, QString::fromUtf16(c.errorName)) << QString::fromUtf16(c.text).toStdString();
    }
    // The same faults in the other angle units.
    for (quint8 mode : {quint8(1), quint8(2)}) {
        SetAngleMode(mode);
        for (const char16_t *text : {u"cotg(0)", u"csc(0)", u"arcsin(2)", u"arccos(0-2)"}) {
            int code = -1;
            Shown(QString::fromUtf16(text), &code);
            EXPECT_EQ(code, 22) << QString::fromUtf16(text).toStdString() << " mode " << int(mode);
        }
    }
}

TEST_F(Functions, InverseHyperbolicTangentsAreInfiniteAtOne)
{
    Extended r = 0;
    TCalculationError err;
    for (const char16_t *name : {u"arctgh", u"arctanh", u"arccotgh", u"arccoth"}) {
        ApplyFunction(QString::fromUtf16(name), r, err, 1);
        EXPECT_EQ(err.ErrorCode, 0);
        EXPECT_TRUE(std::isinf(r) && r > 0) << QString::fromUtf16(name).toStdString();
        ApplyFunction(QString::fromUtf16(name), r, err, -1 + 1e-17L);
        EXPECT_TRUE(std::isinf(r) && r < 0);
    }
    // A name outside the table leaves the result alone.
    r = 7;
    ApplyFunction(QStringLiteral("nosuch"), r, err, 1);
    EXPECT_EQ(r, 7);
    EXPECT_EQ(err.ErrorCode, 0);
}

TEST_F(Functions, LogyTakesItsBaseFromTheVariableY)
{
    TVariableManager::Instance()->SetValue(QStringLiteral("y"), QStringLiteral("2"));
    int code = -1;
    EXPECT_EQ(Shown(QStringLiteral("logy(8)"), &code), QStringLiteral("3"));
    EXPECT_EQ(code, 0);
    TVariableManager::Instance()->Clear();
    TVariableManager::Instance()->SetValue(QStringLiteral("y"), QStringLiteral("1"));
    TCalculationError err;
    Shown(QStringLiteral("logy(8)"), &code, &err);
    EXPECT_EQ(code, 22);
    EXPECT_EQ(err.ErrorName, QStringLiteral("logy"));
    TVariableManager::Instance()->Clear();
    TVariableManager::Instance()->SetValue(QStringLiteral("y"), QStringLiteral("abc"));
    EXPECT_THROW(Shown(QStringLiteral("logy(8)")), EConvertError);
    // A base or an argument of 0 or below has no logarithm.
    const struct
    {
        const char16_t *y, *text;
    } faults[] = {{u"0", u"logy(8)"}, {u"-2", u"logy(8)"}, {u"2", u"logy(0)"}, {u"2", u"logy(0-4)"}};
    for (const auto &f : faults) {
        TVariableManager::Instance()->Clear();
        TVariableManager::Instance()->SetValue(QStringLiteral("y"), QString::fromUtf16(f.y));
        Shown(QString::fromUtf16(f.text), &code, &err);
        EXPECT_EQ(code, 22) << QString::fromUtf16(f.text).toStdString()
                            << " y=" << QString::fromUtf16(f.y).toStdString();
    }
    TVariableManager::Instance()->Clear();
    TVariableManager::Instance()->SetValue(QStringLiteral("y"), QStringLiteral("10"));
    EXPECT_EQ(Shown(QStringLiteral("logy(0.001)"), &code), QStringLiteral("-3"));
}

TEST_F(Functions, GammaIsAnApproximation)
{
    const Extended g = Gamma(5);
    EXPECT_NE(g, 24);
    EXPECT_NEAR(double(g), 23.999995, 5e-6);
    int code = -1;
    const QString shown = Shown(QStringLiteral("gamma(5)"), &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("23.99999"))) << shown.toStdString();
}

TEST_F(Functions, PowerRules)
{
    EXPECT_EQ(Power(2, 10), 1024);
    EXPECT_EQ(Power(2, -2), 0.25L);
    EXPECT_EQ(Power(-2, 3), -8);
    EXPECT_EQ(Power(0, 0), 1);
    EXPECT_EQ(Power(-5, 0), 1);
    EXPECT_EQ(Power(0, 0.5L), 0);
    EXPECT_EQ(Power(0, -0.5L), 0); // a base of 0 with a non-whole exponent is 0
    EXPECT_NEAR(double(Power(2, 0.5L)), std::sqrt(2.0), 1e-15);
    EXPECT_THROW(Power(0, -1), EZeroDivide);
    EXPECT_THROW(Power(-8, 1.0L / 3), EInvalidOp);
    EXPECT_THROW(Power(10, 5000), EOverflow);
    EXPECT_THROW(Power(10, -5000), EOverflow); // the product itself is out of range
    EXPECT_THROW(Power(2, 1e10L), EOverflow);  // whole, but beyond the repeated-squaring range
    EXPECT_THROW(Power(-2, 1e10L), EInvalidOp);
}

TEST_F(Functions, SexagesimalConversions)
{
    EXPECT_NEAR(double(DmsToDegrees(30.3045L)), 30.5125, 1e-15);
    EXPECT_NEAR(double(DegreesToDms(30.5125L)), 30.3045, 1e-15);
    EXPECT_NEAR(double(DmsToDegrees(10.3L)), 10.5, 1e-15);
    EXPECT_NEAR(double(DegreesToDms(-10.5)), -10.3, 1e-15);
    SetAngleMode(2);
    EXPECT_NEAR(double(AngleToRadians(200)), M_PI, 1e-15);
    EXPECT_NEAR(double(RadiansToAngle(M_PI / 2)), 100, 1e-12);
}

TEST_F(Functions, OnlyTheTrigonometricFunctionsReadTheAngleUnit)
{
    // clang-format off
    const char16_t *texts[] = {
        u"sinh(1)",   u"cosh(1)",   u"tgh(1)",     u"tanh(1)",    u"cotgh(1)", u"coth(1)",
        u"arcsinh(1)", u"arccosh(2)", u"arctgh(0.5)", u"arctanh(0.5)", u"arccotgh(2)", u"arccoth(2)",
        u"abs(0-1)",  u"sign(0-1)", u"exp(1)",     u"ln(2)",      u"log(2)",   u"sqrt(2)",
        u"sqr(2)",    u"deg(1.3)",  u"dms(1.5)",   u"rnd(1.5)",   u"gamma(2)",
    };
    // clang-format on
    for (const char16_t *text : texts) {
        SetAngleMode(0);
        const QString inDegrees = Shown(QString::fromUtf16(text));
        EXPECT_FALSE(inDegrees.isEmpty()) << QString::fromUtf16(text).toStdString();
        for (quint8 mode : {quint8(1), quint8(2)}) {
            SetAngleMode(mode);
            EXPECT_EQ(Shown(QString::fromUtf16(text)), inDegrees) << QString::fromUtf16(text).toStdString();
        }
    }
    SetAngleMode(0);
    EXPECT_EQ(Shown(QStringLiteral("deg(1.3)")), QStringLiteral("1.5"));
    EXPECT_EQ(Shown(QStringLiteral("dms(1.5)")), QStringLiteral("1.3"));
}
