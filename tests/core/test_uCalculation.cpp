// The road of one calculation from the typed text to the display text or
// the error, in every number set and numeral system.
#include "core/uCalculation.h"

#include "core/KomplexneCisla.h"
#include "core/uCommon.h"
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

struct Case
{
    const char *Input;
    int NumberSet = 0;     // 0 real, 1 complex, 2 modulo
    int NumeralSystem = 2; // 0 bin, 1 oct, 2 dec, 3 hex
    bool Fractions = false;
    const char *Variables = ""; // "a=2;b=3"
    const char *Display = "";   // expected on success
    const char *History = "";   // expected history line ("" = not checked)
    int Code = 0;               // expected error code
    int Start = 0, End = 0;     // expected faulty part
    const char *ErrorText = "";
};

class Road : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KProgramSettings::Instance()->SetDefaults();
        KProgramSettings::Instance()->SetDecimalSeparator(1);
        KProgramState::GetInstance(0)->SetDefaults();
        TVariableManager::Instance()->Clear();
        Constants.Clear();
        Constants.Add(QStringLiteral("$pi"), QStringLiteral("3.14159265358979"));
        Constants.Add(QStringLiteral("$ab"), QStringLiteral("2"));
        Constants.Add(QStringLiteral("$big"), QStringLiteral("1E30"));
        ConstantItems = &Constants;
        ImaginaryUnit = u'j';
        ImaginaryUnitFirst = true;
        ImaginaryUnitChar = u'j';
    }
    void TearDown() override
    {
        ConstantItems = nullptr;
        KProgramState::GetInstance(0)->SetDefaults();
        KProgramSettings::Instance()->SetDefaults();
        TVariableManager::Instance()->Clear();
    }
    TCalculationOutcome Run(const Case &c)
    {
        KProgramState *s = KProgramState::GetInstance(0);
        s->NumberSet = quint8(c.NumberSet);
        s->NumeralSystem = quint8(c.NumeralSystem);
        s->Fractions = c.Fractions;
        TVariableManager::Instance()->Clear();
        for (const QString &v : QString::fromUtf8(c.Variables).split(u';', Qt::SkipEmptyParts))
            TVariableManager::Instance()->SetValue(v.section(u'=', 0, 0), v.section(u'=', 1));
        return CalculateExpression(QString::fromUtf8(c.Input));
    }
    TConstantItemList Constants;
};

TEST_F(Road, TypedTextGivesDisplayTextOrError)
{
    const Case cases[] = {
        {.Input = "2+3", .Display = "5", .History = "2+3 = 5"},
        {.Input = "2+3*4", .Display = "14", .History = "2+3*4 = 14"},
        {.Input = "1234567.5", .Display = "1 234 567.5"},
        {.Input = "1/3", .Display = "0.333 333"},
        {.Input = "a*b", .Variables = "a=2;b=3", .Display = "6", .History = "a*b = 6 [a=2;b=3;]"},
        {.Input = "2*x", .Variables = "x=5", .Display = "10", .History = "2*x = 10 [x=5;]"},
        {.Input = "$pi*2", .Display = "6.283 185"},
        {.Input = "$big*2", .Display = "2E30"},
        {.Input = "$big*2", .NumberSet = 1, .Display = "2E30"},
        {.Input = "1/3+1/6", .Fractions = true, .Display = "1 / 2", .History = "1/3+1/6 = 1 / 2"},
        {.Input = "0.75", .Fractions = true, .Display = "3 / 4"},
        // decimals and powers stay exact; a variable beyond the 64-bit range
        // is no fault while the result fits
        {.Input = "9.48^4*5", .Fractions = true, .Display = "3 154 956 561 / 78 125"},
        {.Input = "x/10^20", .Fractions = true, .Variables = "x=3e25", .Display = "300 000"},
        {.Input = "x*2", .Variables = "x=1e300", .Display = "2E300"},
        // a modest value whose exact lowest terms leave the 64-bit range is
        // rounded as 80-bit parts were, never too high
        {.Input = "13.83^6*9", .Fractions = true, .Display = "629 760 750 675 727 / 10 000 000"},
        {.Input = "17.03^6*4", .Fractions = true, .Display = "121 971 367 250 169 / 1 250 000"},
        {.Input = "a-x*w1",
         .Fractions = true,
         .Variables = "a=-8.38e-21;x=1951;w1=-4.83e-8",
         .Display = "942 333 / 10 000 000 000"},
        {.Input = "exp(-18.274065)/7", .Fractions = true, .Display = "827 077 817 / 500 000 000 000 000 000"},
        // a real answer used again in fraction mode, and its fraction
        {.Input = "1.65415563428571E-9", .Fractions = true, .Display = "827 077 817 / 500 000 000 000 000 000"},
        {.Input = "827077817/500000000000000000",
         .Fractions = true,
         .Display = "827 077 817 / 500 000 000 000 000 000"},
        {.Input = "-1E-50", .Fractions = true, .Display = "0"},
        {.Input = "1+j2", .NumberSet = 1, .Display = "1+j2", .History = "1+j2 = (1+j2)"},
        {.Input = "(1+j)*(1-j)", .NumberSet = 1, .Display = "2"},
        {.Input = "3+4", .NumberSet = 2, .Display = "2"},
        // hexadecimal digits are no variables, also not in the history line
        {.Input = "ff+1", .NumeralSystem = 3, .Display = "1 00", .History = "ff+1 = 1 00"},
        {.Input = "x*a", .NumeralSystem = 3, .Variables = "x=2", .Display = "14", .History = "x*a = 14 [x=2;]"},
        {.Input = "101+1", .NumeralSystem = 0, .Display = "110"},
        // the power keys insert decimal "^2" and "2^" in every base
        {.Input = "11^2", .NumeralSystem = 0, .Display = "1001"},
        {.Input = "2^11", .NumeralSystem = 0, .Display = "1000"},
        // a constant's name is no number, even when its letters are
        // hexadecimal digits
        {.Input = "$ab*3", .NumeralSystem = 3, .Display = "6"},
        {.Input = "a+$ab", .NumeralSystem = 3, .Display = "C"},
        {.Input = "17", .NumeralSystem = 1, .Display = "17"},
        // errors: code, faulty part as typed, "#1" text
        {.Input = "2+*3", .Code = 5, .Start = 2, .End = 3},
        {.Input = "1/0", .Code = 25},
        {.Input = "3/0", .NumberSet = 2, .Code = 25},
        // range errors of the complex and modulo engines reach the guard
        {.Input = "70000+1", .NumberSet = 2, .Code = 29},
        {.Input = "2^70000", .NumberSet = 1, .Code = 29},
        {.Input = "a+1", .Code = 15},
        // a variable "e" is checked and substituted wherever it stands
        {.Input = "ln(e)", .Code = 15},
        {.Input = "sin(e)", .Code = 15},
        {.Input = "ln(e)", .Variables = "e=1", .Display = "0", .History = "ln(e) = 0 [e=1;]"},
        {.Input = "2*x+e", .Variables = "x=2;e=3", .Display = "7"},
        // an operator word between blanks stays apart from the names and
        // constants beside it, in every letter case
        {.Input = "5 mod x", .Variables = "x=3", .Display = "2", .History = "5 mod x = 2 [x=3;]"},
        {.Input = "x div 2", .Variables = "x=7", .Display = "3"},
        {.Input = "x or 4", .Variables = "x=3", .Display = "7"},
        {.Input = "x  MOD  y", .Variables = "x=7;y=4", .Display = "3"},
        {.Input = "$ab mod 2", .Display = "0"},
        {.Input = "7 mod $ab", .Display = "1"},
        {.Input = "x mod 4", .Fractions = true, .Variables = "x=7", .Display = "3"},
        {.Input = "7 mod abs(x)", .Variables = "x=-4", .Display = "3"},
        {.Input = "5 mod x", .Code = 15},
        {.Input = "$no mod 2", .Code = 19, .Start = 0, .End = 3, .ErrorText = "$no"},
        // elsewhere blanks still join, as in a pasted grouped number
        {.Input = "1 234+1", .Display = "1 235"},
        {.Input = "a+1", .Variables = "a=1+j", .Code = 17, .ErrorText = "a"},
        {.Input = "a+1", .Variables = "a=x1", .Code = 31, .ErrorText = "a"},
        {.Input = "$foo*2", .Code = 19, .Start = 0, .End = 4, .ErrorText = "$foo"},
        {.Input = "2 + $x", .Code = 19, .Start = 4, .End = 6, .ErrorText = "$x"},
        // every name is checked, also right after a known one
        {.Input = "$pi$x", .Code = 19, .Start = 3, .End = 5, .ErrorText = "$x"},
        // the span is that of the unknown name, not of an earlier longer one
        {.Input = "$ab+$a", .Code = 19, .Start = 4, .End = 6, .ErrorText = "$a"},
        // what escapes the engine: an invalid operation while formatting a
        // real result as a fraction
        {.Input = "sin(90)*1e30", .Fractions = true, .Code = 20},
        // an overflow is a value too high, whichever evaluator ran into it
        {.Input = "9^9^9", .Code = 20},
        {.Input = "9^9^9", .Fractions = true, .Code = 20},
        {.Input = "2000!", .Fractions = true, .Code = 20},
        // a hexadecimal number beyond 64 bits cannot be converted
        {.Input = "ffffffffffffffffff", .NumeralSystem = 3, .Code = 26},
    };
    for (const Case &c : cases) {
        const TCalculationOutcome out = Run(c);
        SCOPED_TRACE(c.Input);
        EXPECT_EQ(out.Error.ErrorCode, c.Code);
        if (c.Code == 0) {
            EXPECT_EQ(out.DisplayText, QString::fromUtf8(c.Display));
            if (*c.History) {
                EXPECT_EQ(out.HistoryLine, QString::fromUtf8(c.History));
            }
        } else {
            EXPECT_EQ(out.Error.ErrorStart, c.Start);
            EXPECT_EQ(out.Error.ErrorEnd, c.End);
            if (*c.ErrorText) {
                EXPECT_EQ(out.Error.ErrorText, QString::fromUtf8(c.ErrorText));
            }
            EXPECT_TRUE(out.DisplayText.isEmpty());
        }
    }
}

TEST_F(Road, OfSeveralFaultsThePassOrderTellsWhichIsShown)
{
    // Brackets go first, the last one first; then each kind of operator in
    // its turn (functions in their list order), each from its own end.
    const Case cases[] = {
        {.Input = "(1/0)+sqrt(-1)", .Code = 25},
        {.Input = "sqrt(-1)*ln(0)", .Code = 22, .ErrorText = "0"},
        {.Input = "ln(-1)+ln(0)", .Code = 22, .ErrorText = "-1"},
        {.Input = "10^5000+(-8)^0.5", .Code = 21},
        {.Input = "(-8)^0.5+10^5000", .Code = 20},
        {.Input = "2 nad 5+(-3)!", .Code = 24},
        {.Input = "2 nad 5+7.5 div 2", .Code = 28},
        {.Input = "7.5 div 2+7.5 mod 2", .Code = 27, .ErrorText = "div"},
        {.Input = "7.5 mod 2+7.5 div 2", .Code = 27, .ErrorText = "mod"},
        {.Input = "1.5 and 1+1.5 xor 1", .Code = 27, .ErrorText = "xor"},
        {.Input = "1/0+10^4000*10^4000", .Code = 25},
        {.Input = "10^4000*10^4000+1/0", .Code = 20},
        {.Input = "(1/0)+(2 nad 5)", .Code = 28},
        {.Input = "(2 nad 5)+(1/0)", .Code = 25},
        {.Input = "(1/0)+(2 nad 5)", .Fractions = true, .Code = 28},
        {.Input = "1/0+2.5!", .Fractions = true, .Code = 24},
        {.Input = "7.5 mod 2+7.5 div 2", .Fractions = true, .Code = 27, .ErrorText = "mod"},
        {.Input = "(1/0)+(2^0.5)", .NumberSet = 1, .Code = 20},
        {.Input = "(2^0.5)+(1/0)", .NumberSet = 1, .Code = 25},
        {.Input = "1/0+2^0.5", .NumberSet = 1, .Code = 20},
        {.Input = "(70000+1)+(4/0)", .NumberSet = 2, .Code = 25},
        {.Input = "(4/0)+(70000+1)", .NumberSet = 2, .Code = 29},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Input);
        const TCalculationOutcome out = Run(c);
        EXPECT_EQ(out.Error.ErrorCode, c.Code);
        EXPECT_EQ(out.Error.ErrorText, QString::fromUtf8(c.ErrorText));
        EXPECT_EQ(out.Error.ErrorStart, 0);
        EXPECT_EQ(out.Error.ErrorEnd, 0);
    }
}

TEST_F(Road, SuccessSetsAnswerAndFailureLeavesItAlone)
{
    KProgramState *s = KProgramState::GetInstance(0);
    TCalculationOutcome ok = Run({.Input = "2+3"});
    ASSERT_TRUE(ok.Ok());
    EXPECT_EQ(s->Ans, QStringLiteral("5"));
    EXPECT_EQ(s->LastExpression, QStringLiteral("2+3"));
    EXPECT_TRUE(s->JustCalculated);
    s->JustCalculated = false;
    TCalculationOutcome bad = Run({.Input = "1/0"});
    EXPECT_FALSE(bad.Ok());
    EXPECT_EQ(s->Ans, QStringLiteral("5"));
    EXPECT_EQ(s->LastExpression, QStringLiteral("2+3"));
    EXPECT_FALSE(s->JustCalculated);
    EXPECT_TRUE(bad.HistoryLine.isEmpty());
    // A complex answer is kept in brackets.
    Run({.Input = "1+j2", .NumberSet = 1});
    EXPECT_EQ(s->Ans, QStringLiteral("(1+j2)"));
}

TEST_F(Road, NewVariablesAreRegisteredEvenWhenTheyLackAValue)
{
    const TCalculationOutcome out = Run({.Input = "A+b1"});
    EXPECT_EQ(out.Error.ErrorCode, 15);
    EXPECT_TRUE(out.VariableValueMissing);
    TVariableManager *v = TVariableManager::Instance();
    EXPECT_TRUE(v->Exists(QStringLiteral("a")));
    EXPECT_TRUE(v->Exists(QStringLiteral("b1")));
    EXPECT_EQ(v->GetValue(QStringLiteral("a")), QString());
}

TEST_F(Road, LongInputsGiveTheirResults)
{
    // Thousands of names, occurrences and operations in one input, in every
    // number set: each answers with its value (the evaluators rewrite the
    // text step by step, and these steps reach far into it).
    TVariableManager *vars = TVariableManager::Instance();
    QString distinct = QStringLiteral("v0");
    vars->SetValue(QStringLiteral("v0"), QStringLiteral("0"));
    int sum = 0;
    for (int i = 1; i < 3000; ++i) {
        const QString name = u'v' + QString::number(i);
        vars->SetValue(name, QString::number(i % 7));
        distinct += u'+' + name;
        sum += i % 7;
    }
    const QString same = QStringLiteral("x") + QStringLiteral("+x").repeated(4999);
    vars->SetValue(QStringLiteral("x"), QStringLiteral("3"));
    const QString nested = QStringLiteral("abs(").repeated(2000) + QStringLiteral("-2") + QString(2000, u')');
    const QString mixed = QStringLiteral("1") + QStringLiteral("+2*3-4/2").repeated(2000);
    struct LongCase
    {
        const QString &input;
        int numberSet;
        bool fractions;
        QString display;
    };
    // clang-format off
    const LongCase cases[] = {
        {distinct, 0, false, QString::number(sum).insert(1, u' ')}, {distinct, 0, true, QString::number(sum).insert(1, u' ')},
        {same, 0, false, QStringLiteral("15 000")},  {same, 0, true, QStringLiteral("15 000")},
        {same, 1, false, QStringLiteral("15 000")},  {same, 2, false, QStringLiteral("62")},
        {nested, 0, false, QStringLiteral("2")},     {mixed, 0, true, QStringLiteral("8 001")},
        {mixed, 1, false, QStringLiteral("8 001")},  {mixed, 2, false, QStringLiteral("47")},
    };
    // clang-format on
    for (const LongCase &c : cases) {
        KProgramState *state = KProgramState::GetInstance(0);
        state->NumberSet = quint8(c.numberSet);
        state->Fractions = c.fractions;
        state->ModuloBase = 97;
        const TCalculationOutcome out = CalculateExpression(c.input);
        EXPECT_EQ(out.Error.ErrorCode, 0) << c.input.left(20).toStdString() << " in set " << c.numberSet;
        EXPECT_EQ(out.DisplayText, c.display) << c.input.left(20).toStdString() << " in set " << c.numberSet;
    }
}

TEST_F(Road, FractionModeWithAFunctionStillShowsAFraction)
{
    const TCalculationOutcome out = Run({.Input = "sin(30)/2", .Fractions = true});
    ASSERT_TRUE(out.Ok()) << int(out.Error.ErrorCode);
    EXPECT_EQ(out.DisplayText, QStringLiteral("1 / 4"));
}

TEST_F(Road, ScientificNotationAppliesToRealButNotToModuloResults)
{
    KProgramSettings::Instance()->ScientificNotation = true;
    EXPECT_EQ(Run({.Input = "1500"}).DisplayText, QStringLiteral("1.5E3"));
    EXPECT_EQ(Run({.Input = "3", .NumberSet = 2}).DisplayText, QStringLiteral("3"));
}

TEST_F(Road, WithoutConstantListEveryDollarNameIsUnknown)
{
    ConstantItems = nullptr;
    const TCalculationOutcome out = Run({.Input = "$pi"});
    EXPECT_EQ(out.Error.ErrorCode, 19);
    EXPECT_EQ(out.Error.ErrorText, QStringLiteral("$pi"));
}

TEST_F(Road, HandOverChecksEmptyTextSyntaxAndConvertsToDecimal)
{
    QString blank = QStringLiteral("   ");
    EXPECT_EQ(CheckHandOverExpression(blank, 34, false).Error.ErrorCode, 34);
    QString bad = QStringLiteral("2+");
    EXPECT_EQ(CheckHandOverExpression(bad, 33, false).Error.ErrorCode, 3);
    KProgramState::GetInstance(0)->NumeralSystem = 3;
    QString hex = QStringLiteral("x*ff");
    EXPECT_TRUE(CheckHandOverExpression(hex, 33, true).Ok());
    EXPECT_EQ(hex, QStringLiteral("x*255"));
    QString constant = QStringLiteral("$ab*ff");
    EXPECT_TRUE(CheckHandOverExpression(constant, 33, false).Ok());
    EXPECT_EQ(constant, QStringLiteral("$ab*255"));
    QString withVariable = QStringLiteral("x*y");
    const THandOverCheck check = CheckHandOverExpression(withVariable, 33, true);
    EXPECT_EQ(check.Error.ErrorCode, 15);
    EXPECT_TRUE(check.VariableValueMissing);
    EXPECT_TRUE(TVariableManager::Instance()->Exists(QStringLiteral("y")));
    EXPECT_FALSE(TVariableManager::Instance()->Exists(QStringLiteral("x")));
}

TEST(CleanResult, StripsTheTokenBrackets)
{
    const struct
    {
        const char *in, *out;
    } cases[] = {
        {"[14]", "14"}, {"[ -3 ]", "-3"}, {"", "0"}, {"[]", "0"}, {"[+3|4]", "+3|4"},
    };
    for (const auto &c : cases) {
        QString s = QString::fromUtf8(c.in);
        CleanResultText(s);
        EXPECT_EQ(s, QString::fromUtf8(c.out)) << c.in;
    }
}

} // namespace

TEST(PreviewText, TheTypedTextWithItsMultiplicationSignsOrAMark)
{
    DecimalSeparator = u'.';
    const struct
    {
        const char *Input, *Preview;
    } cases[] = {
        {"", "0"}, {"2(", "???"}, {"2x+3(1+x)", "2*x+3*(1+x)"}, {"2 x", "2*x"}, {"sin(2pi)", "sin(2*pi)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PreviewText(QString::fromUtf8(c.Input)), QString::fromUtf8(c.Preview)) << c.Input;
}
