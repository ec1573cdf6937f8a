#include "core/Analyzator.h"

#include "core/uCommon.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char16_t *text;
    int code;
    int start, end; // the faulty part in the typed text
    bool valid;     // ExpressionValid afterwards
};

class Syntax : public ::testing::Test
{
protected:
    void SetUp() override { DecimalSeparator = u'.'; }
    void TearDown() override
    {
        DecimalSeparator = u'.';
        ExpressionValid = true;
    }

    static void Expect(std::initializer_list<Case> cases)
    {
        for (const Case &c : cases) {
            const QString text = QString::fromUtf16(c.text);
            TCalculationError err;
            CheckRealSyntax(text, err, FunctionNames());
            EXPECT_EQ(err.ErrorCode, c.code) << text.toStdString();
            EXPECT_EQ(err.ErrorStart, c.start) << text.toStdString();
            EXPECT_EQ(err.ErrorEnd, c.end) << text.toStdString();
            EXPECT_EQ(ExpressionValid, c.valid) << text.toStdString();
        }
    }
};

} // namespace

TEST_F(Syntax, CleanTexts)
{
    Expect({
        {u"2+3*4", 0, 0, 0, true},
        {u".5", 0, 0, 0, true}, // a leading separator is never examined
        {u"3!+2", 0, 0, 0, true},
        {u"5%*2", 0, 0, 0, true},
        {u"a.f", 0, 0, 0, true}, // hexadecimal digits around the separator
        {u"2e-3", 0, 0, 0, true},
        {u"sin30", 0, 0, 0, true},
        {u"sinx", 0, 0, 0, true},
        {u"SIN(30)", 0, 0, 0, true}, // letter case does not matter
        {u"$pi*2", 0, 0, 0, true},
        {u"5 nad 2", 0, 0, 0, true},
        {u"sin(30)", 0, 0, 0, true},
        {u"2\b3", 0, 0, 0, true}, // the backspace character is let through
        {u"-2", 0, 0, 0, true},
        {u"(-1)", 0, 0, 0, true},
        {u"2.5.1", 0, 0, 0, true}, // a second separator between digits is not a syntax fault
    });
}

TEST_F(Syntax, EmptyTextHasNoCodeButStaysInvalid)
{
    Expect({{u"", 0, 0, 0, false}, {u"   ", 0, 0, 0, false}});
}

TEST_F(Syntax, EachRuleWithItsSpan)
{
    Expect({
        {u"*2", 2, 0, 1, false},        {u"2*", 3, 1, 2, false},
        {u"2.", 4, 1, 2, false},        {u"2+*3", 5, 2, 3, false},
        {u"2^-1", 5, 2, 3, false},      {u"2.+3", 6, 2, 3, false},
        {u"(2+)", 7, 3, 4, false},      {u"2+.5", 7, 2, 3, false},
        {u"(*2)", 8, 1, 2, false},      {u"2+()", 9, 2, 4, false},
        {u"2#3", 16, 1, 2, false},      {u"#3", 16, 0, 1, false},
        {u"2+3\t", 16, 3, 4, false},    {u"$", 18, 0, 1, false},
        {u"2*$+1", 18, 2, 3, false}, // the "$" itself
        {u"$$a", 18, 0, 1, false},      {u"(.5)", 30, 1, 2, false},
        {u"x.5", 30, 1, 2, false},      {u"3!!", 5, 2, 3, false}, // the second "!"
        {u"5%%", 5, 2, 3, false},       {u"sin+1", 12, 0, 3, false},
        {u"2*cos", 12, 2, 5, false}, // the end of the text counts
        {u"arcsinh)", 12, 0, 7, false},
    });
}

TEST_F(Syntax, BracketFaultsStillCheckTheNames)
{
    Expect({
        {u"(2+3", 11, 0, 1, true},
        {u"1+2)", 10, 3, 4, true},
        {u"(2+3)*sin", 12, 6, 9, false},
        {u"sin(2", 11, 3, 4, true},
        {u"(2+cos", 12, 3, 6, false}, // the name fault replaces the bracket fault
    });
}

TEST_F(Syntax, SpansReferToTheTypedText)
{
    Expect({
        {u"2 +* 3", 5, 3, 4, false},
        {u"1 + 2 )", 10, 6, 7, true},
        {u"( 1 + 2", 11, 0, 1, true},
        {u"  2 * sin ", 12, 6, 9, false},
        {u"1 + 2 *", 3, 6, 7, false},
        {u"  *2", 2, 2, 3, false},
        {u"2 * ", 3, 2, 3, false},
        {u"2 + ( )", 9, 4, 7, false}, // both brackets, the blank between them too
        {u"2 * $ + 1", 18, 4, 5, false},
        {u"( . 5)", 30, 2, 3, false},
        {u"2 * co s", 12, 4, 8, false}, // a name broken by a blank is still a name
        {u"2 #", 16, 2, 3, false},
    });
}

TEST_F(Syntax, NameSpansCountTheTextBeforeAnyNameWasRemoved)
{
    // "arcsin" is removed first; the "sin" after it keeps its own place.
    Expect({{u"arcsin(1)+sin", 12, 10, 13, false}, {u"cotan(1)*tan", 12, 9, 12, false}});
}

TEST_F(Syntax, TheSeparatorFollowsTheSetting)
{
    DecimalSeparator = u',';
    Expect({
        {u"2,5+1", 0, 0, 0, true},
        {u"2,", 4, 1, 2, false},
        {u"2,+1", 6, 2, 3, false},
        {u"(,5)", 30, 1, 2, false},
        {u"2.", 0, 0, 0, true}, // "." is an ordinary character now
    });
}
