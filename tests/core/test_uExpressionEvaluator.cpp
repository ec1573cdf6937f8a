#include "core/uExpressionEvaluator.h"

#include <gtest/gtest.h>

TEST(CloseBrackets, AppendsOneClosingBracketPerUnclosedOpening)
{
    const struct
    {
        const char *in, *out;
    } cases[] = {
        {"2*(3+(4", "2*(3+(4))"},
        {"sin(2", "sin(2)"},
        {"(1+2)", "(1+2)"},
        {")(", ")("},     // the balance counts, not the order
        {"(1))", "(1))"}, // more closing than opening: unchanged
        {"", ""},
        {"((((", "(((())))"},
    };
    TExpressionEvaluator e;
    for (const auto &c : cases) {
        QString s = QString::fromUtf8(c.in);
        e.CloseBrackets(s);
        EXPECT_EQ(s, QString::fromUtf8(c.out)) << c.in;
    }
}
