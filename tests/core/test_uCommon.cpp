#include "core/uCommon.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

// Readable failure messages for texts.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << '{' << l.join(QStringLiteral(", ")).toStdString() << '}';
}

#include <cmath>
#include <latch>
#include <thread>
#include <vector>

namespace {

// Restores everything the routines read from outside: the live number set,
// the variables, the constants, the imaginary unit and the separator.
class Common : public ::testing::Test
{
protected:
    void TearDown() override
    {
        KProgramState::GetInstance(0)->SetDefaults();
        TVariableManager::Instance()->Clear();
        ConstantItems = nullptr;
        ImaginaryUnitChar = QChar(u'j');
        DecimalSeparator = savedSeparator;
    }
    static void numberSet(quint8 set) { KProgramState::GetInstance(0)->NumberSet = set; }
    static void variables(std::initializer_list<const char *> lines)
    {
        TVariableManager::Instance()->Clear();
        for (const char *l : lines)
            TVariableManager::Instance()->Variables.Add(QString::fromUtf8(l));
    }
    QChar savedSeparator = DecimalSeparator;
};

using Rewrite = void (*)(QString &);

struct TextCase
{
    const char *in;
    const char *out;
};

void expectRewrites(Rewrite f, std::initializer_list<TextCase> cases)
{
    for (const TextCase &c : cases) {
        QString s = QString::fromUtf8(c.in);
        f(s);
        EXPECT_EQ(s, QString::fromUtf8(c.out)) << "input: " << c.in;
    }
}

const TCharSet RealWordSet(u"+,-.0123456789");
const TCharSet RealRunSet = TCharSet::Digits() + TCharSet::Letters();

} // namespace

// Must stay the first test of this file: it is the first use of the list.
TEST(CommonFirstUse, FunctionNamesBuiltOnceWhenThreadsAskTogether)
{
    constexpr int threads = 8;
    std::latch start(threads);
    std::vector<int> counts(threads, -1);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            start.arrive_and_wait();
            counts[t] = FunctionNames().Count();
        });
    for (std::thread &t : pool)
        t.join();
    for (int t = 0; t < threads; ++t)
        EXPECT_EQ(counts[t], 38) << "thread " << t;
    EXPECT_EQ(FunctionNames().Count(), 38);
    EXPECT_EQ(FunctionNames().IndexOf("exp"), 37);
}

TEST_F(Common, ErrorRecordStartsEmpty)
{
    const TCalculationError err;
    EXPECT_EQ(err.ErrorCode, 0);
    EXPECT_EQ(err.ErrorStart, 0);
    EXPECT_EQ(err.ErrorEnd, 0);
    EXPECT_TRUE(err.ErrorText.isEmpty());
    EXPECT_TRUE(err.ErrorName.isEmpty());
}

TEST_F(Common, FunctionNamesPutEveryNameBeforeTheNamesInsideIt)
{
    const TStringList &names = FunctionNames();
    ASSERT_EQ(names.Count(), 38);
    EXPECT_EQ(names.Strings(0), QStringLiteral("arccoth"));
    EXPECT_EQ(names.Strings(37), QStringLiteral("exp"));
    EXPECT_EQ(names.IndexOf("COTAN"), 10);
    EXPECT_EQ(names.IndexOf("logy"), 26);
    for (int i = 0; i < names.Count(); ++i)
        for (int j = 0; j < names.Count(); ++j)
            if (i != j && names.Strings(i).contains(names.Strings(j))) {
                EXPECT_LT(i, j) << names.Strings(i).toStdString() << " holds " << names.Strings(j).toStdString();
            }
    BuildFunctionNameList();
    EXPECT_EQ(FunctionNames().Count(), 38);

    QStringList words;
    for (QStringView w : OperatorWords)
        words << w.toString();
    EXPECT_EQ(words, (QStringList{"div", "mod", "nad", "xor", "and", "or"}));
    EXPECT_EQ(ImaginaryUnitChar, QChar(u'j'));
}

TEST_F(Common, CheckBracketsReportsTheFirstFault)
{
    const struct
    {
        const char *stripped, *typed;
        int code, start, end;
    } cases[] = {
        {"(1+2", "(1+2", 11, 0, 1},    {"1+2)", "1+2)", 10, 3, 4},    {"())(", "())(", 10, 2, 3},
        {"(1)(2", "(1)(2", 11, 3, 4},  {"((1)", "((1)", 11, 0, 1},    {")(", ")(", 10, 0, 1},
        {"(1+2", "( 1 + 2", 11, 0, 1}, {"1+2)", "1 + 2 )", 10, 6, 7}, {"2*(3+(4)", "  2 * ( 3+(4)", 11, 6, 7},
    };
    for (const auto &c : cases) {
        TCalculationError err;
        CheckBrackets(QString::fromLatin1(c.stripped), c.typed, err);
        EXPECT_EQ(err.ErrorCode, c.code) << c.typed;
        EXPECT_EQ(err.ErrorStart, c.start) << c.typed;
        EXPECT_EQ(err.ErrorEnd, c.end) << c.typed;
    }

    TCalculationError kept;
    kept.ErrorCode = 12;
    kept.ErrorStart = 4;
    kept.ErrorEnd = 7;
    CheckBrackets(QStringLiteral("sin((1)+2)"), QStringLiteral("sin ((1)+2)"), kept);
    EXPECT_EQ(kept.ErrorCode, 12);
    EXPECT_EQ(kept.ErrorStart, 4);
    EXPECT_EQ(kept.ErrorEnd, 7);
}

TEST_F(Common, AdjustErrorPositionsSkipsBlanksOnly)
{
    const struct
    {
        const char *typed;
        int start, end, mappedStart, mappedEnd;
    } cases[] = {
        {"sin 30 + x", 5, 6, 7, 8}, // "+" of "sin30+x"
        {"  abc", 0, 3, 2, 5},      // the whole name, after leading blanks
        {"a\tb", 1, 2, 1, 2},       // only character 32 counts as a blank
        {"1 2", 0, 0, 0, 0},        // no faulty part stays none
    };
    for (const auto &c : cases) {
        TCalculationError err;
        err.ErrorStart = c.start;
        err.ErrorEnd = c.end;
        AdjustErrorPositions(c.typed, err);
        EXPECT_EQ(err.ErrorStart, c.mappedStart) << c.typed;
        EXPECT_EQ(err.ErrorEnd, c.mappedEnd) << c.typed;
    }
}

TEST_F(Common, ImplicitMultiplicationInRealMode)
{
    expectRewrites([](QString &s) { InsertImplicitMultiplication(s, RealWordSet, RealRunSet); },
                   {{"[2]x", "[2]*x"},
                    {"([1])([2])", "([1])*([2])"},
                    {"[3]![2]", "[3]!*[2]"},
                    {"[5]sin[1]", "[5]*sin[1]"},
                    {"[5]mod[3]", "[5]mod[3]"},
                    {"[5]modx", "[5]*modx"},
                    {"[2]%[3]", "[2]%*[3]"},
                    {"[2]$pi", "[2]*$pi"},
                    {"[2](3)(4)", "[2]*(3)*(4)"},
                    {"[2]x(3)", "[2]*x(3)"},
                    {"x(", "x("},
                    {"sin[1]", "sin[1]"},
                    {"[1]+[2]", "[1]+[2]"},
                    {"", ""}});
}

TEST_F(Common, OperatorWordsAreNamesOutsideRealMode)
{
    const TCharSet complexRunSet = RealRunSet - TCharSet(u"E");
    for (quint8 set : {1, 2}) {
        numberSet(set);
        QString s = QStringLiteral("[5]mod");
        InsertImplicitMultiplication(s, TCharSet::Digits(), complexRunSet);
        EXPECT_EQ(s, QStringLiteral("[5]*mod")) << int(set);
        EXPECT_FALSE(IsOperatorWordAt("mod", TCharSet::Digits()));
        EXPECT_TRUE(IsVariableName("mod"));
    }
}

TEST_F(Common, CompactBlanksKeepsOperatorWordsApart)
{
    const struct
    {
        const char *text, *real, *other;
    } cases[] = {
        {"5 mod x", "5 mod x", "5modx"},
        {"x  OR   4", "x OR 4", "xOR4"},
        {"$c mod $d", "$c mod $d", "$cmod$d"},
        {"x2 div y", "x2 div y", "x2divy"},
        {"(x) mod (y)", "(x)mod(y)", "(x)mod(y)"},
        {"1 234 + a b", "1234+ab", "1234+ab"},
        {"modal x", "modalx", "modalx"},
        {" x or ", "x or", "xor"},
        {"", "", ""},
    };
    for (const auto &c : cases) {
        numberSet(0);
        EXPECT_EQ(CompactBlanks(c.text), QString::fromUtf8(c.real)) << c.text;
        numberSet(1);
        EXPECT_EQ(CompactBlanks(c.text), QString::fromUtf8(c.other)) << c.text;
    }
    numberSet(0);
}

TEST_F(Common, IsOperatorWordAt)
{
    const struct
    {
        const char *run;
        bool word;
    } cases[] = {
        {"mod", true},   {"mod5", true}, {"modx", false}, {"or", true}, {"ord", false}, {"nad2", true},
        {"div.5", true}, {"xor,", true}, {"andy", false}, {"x", false}, {"", false},    {"mo", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsOperatorWordAt(c.run, RealWordSet), c.word) << c.run;
}

TEST_F(Common, NextTokenFindsTheFirstName)
{
    // clang-format off
    const struct { const char *text, *token; } cases[] = {
        {"", ""},          {"2+x", "x"},       {"2e5+y", "y"},    {"e+1", "e"},      {"2.5E3", ""},
        {"1,5e2e", ""},    {"(E)", "E"},       {"2ex", "x"},      {"$pi*2", "$pi"},  {"3$a$b", "$a"},
        {"sin30+x", "sin30"}, {"12", ""},      {"x1y2+3", "x1y2"}, {"$", "$"},       {"Ab_c", "Ab"},
    };
    // clang-format on
    for (const auto &c : cases) {
        QString token = QStringLiteral("stale");
        NextToken(c.text, token);
        EXPECT_EQ(token, QString::fromUtf8(c.token)) << c.text;
    }
}

TEST_F(Common, IsVariableNameByNumberSet)
{
    // clang-format off
    const struct { quint8 set; const char *token; bool variable; } cases[] = {
        {0, "x", true},      {0, "sin", false},   {0, "SIN", false},   {0, "sin30", false}, {0, "ln2", false},
        {0, "Log10", false}, {0, "sinx", true},   {0, "sin30x", true}, {0, "$pi", false},   {0, "e", true},
        {0, "mod", false},   {0, "Mod3", false},  {0, "modx", true},   {0, "j3", true},     {0, "x2", true},
        {0, "", false},
        {1, "e", false},     {1, "E", false},     {1, "j", false},     {1, "j12", false},   {1, "jx", true},
        {1, "mod", true},    {1, "x", true},      {1, "sin2", false},
        {2, "e", true},      {2, "j3", true},     {2, "xor", true},
    };
    // clang-format on
    for (const auto &c : cases) {
        numberSet(c.set);
        EXPECT_EQ(IsVariableName(c.token), c.variable) << int(c.set) << " " << c.token;
    }
    numberSet(1);
    ImaginaryUnitChar = QChar(u'i');
    EXPECT_FALSE(IsVariableName("i2"));
    EXPECT_TRUE(IsVariableName("j2"));
}

TEST_F(Common, SubstituteVariablesReplacesWholeNames)
{
    variables({"x=5", "xy=2", "a=3", "ab=4", "e=7", "z=", "w=1 000", "s=x+1", "n=2n"});
    expectRewrites(SubstituteVariables,
                   {{"2x+xy", "2(5)+(2)"},
                    {"a*ab", "(3)*(4)"},
                    {"ab*a", "(4)*(3)"},
                    {"a+ab", "(3)+(4)"},
                    {"X+1", "(5)+1"},
                    {"sin(x)", "sin((5))"},
                    {"2e3+x", "2e3+(5)"},
                    {"e+2e3", "(7)+2e3"},
                    {"x+e", "(5)+(7)"},
                    {"z*2", "()*2"},
                    {"w/2", "(1000)/2"},
                    {"$x+x", "$x+(5)"},
                    {"sin30+ln2", "sin30+ln2"},
                    {"q+1", "()+1"},
                    {"s*2", "(x+1)*2"},
                    {"n+1", "(2n)+1"}, // a value holding its own name cannot make the search run forever
                    {"3+4", "3+4"}});
}

TEST_F(Common, SubstitutionPassesTakeTheNamesInTextOrder)
{
    // Each pass takes the first name left in the text and deletes its first
    // occurrence there; what a pass inserts is seen by the passes after it.
    variables({"x=5", "ex=4", "e=2", "e2=7", "aa=1", "w=x+1", "y=3", "xy=2"});
    struct Case
    {
        const char *expr, *substituted;
        QStringList collected;
    };
    const Case cases[] = {
        {"x+ex", "(5)+e(5)", {"x", "ex"}},                                  // "x" after an "e" is whole
        {"ex+x", "(4)+(5)", {"ex", "x"}},        {"2e+e", "2e+(2)", {"e"}}, // an exponent mark is no name
        {"3e2+e2", "3e2+(7)", {"e2"}},           {"aaa+aa", "()+(1)", {"aaa", "aa"}},
        {"w*x", "((5)+1)*(5)", {"w", "x"}}, // a later pass sees an earlier value
        {"x*w", "(5)*(x+1)", {"x", "w"}},        {"logy8+xy", "logy8+(2)", {"y", "xy"}},
        {"1ex+ex", "1e(5)+e(5)", {"x", "ex"}},   {"X+Ex", "(5)+e(5)", {"X", "Ex"}},
        {"aa2aa+aa", "()+(1)", {"aa2aa", "aa"}}, {"x1x+x", "()+(5)", {"x1x", "x"}},
    };
    for (const Case &c : cases) {
        QString s = QString::fromUtf8(c.expr);
        SubstituteVariables(s);
        EXPECT_EQ(s, QString::fromUtf8(c.substituted)) << c.expr;
        TStringList names;
        CollectVariables(QString::fromUtf8(c.expr), names, QString());
        EXPECT_EQ(names.Lines(), c.collected) << c.expr;
    }

    // The walk itself: the token, then what deleting its first occurrence
    // leaves (which may lie before the token, at an exponent mark).
    TNameWalk walk(QStringLiteral("3e2+e2*x"));
    EXPECT_EQ(walk.Next(), "e2");
    EXPECT_TRUE(walk.DeleteFirst(QStringLiteral("e2")));
    EXPECT_EQ(walk.Text(), "3+e2*x");
    EXPECT_EQ(walk.Next(), "e2");
    EXPECT_TRUE(walk.DeleteFirst(QStringLiteral("e2")));
    EXPECT_TRUE(walk.DeleteFirst(QStringLiteral("x")));
    EXPECT_EQ(walk.Text(), "3+*");
    EXPECT_EQ(walk.Next(), "");
    EXPECT_FALSE(walk.DeleteFirst(QStringLiteral("x")));
}

TEST_F(Common, SubstituteVariablesWithoutVariablesLeavesTheText)
{
    variables({});
    expectRewrites(SubstituteVariables, {{"X+1", "X+1"}});
}

TEST_F(Common, CollectVariables)
{
    struct Case
    {
        quint8 set;
        const char *expr, *except;
        QStringList names;
    };
    const Case cases[] = {
        {0, "x+y*x", "", {"x", "y"}},
        {0, "X+x", "", {"X"}},
        {0, "sin(x)+logy(8)", "", {"x", "y"}},
        {0, "LOGY(2)", "", {"y"}},
        {0, "logy8", "", {"y"}},
        {0, "sin30+ln2", "", {}},
        {0, "a + b", "b", {"a"}},
        {0, "a + b", "B", {"a", "b"}},
        {0, "$pi*r", "", {"r"}},
        {0, "2e5*k", "", {"k"}},
        {0, "x + e", "", {"x", "e"}},
        {0, "e+x", "", {"e", "x"}},
        {0, "5 mod 3", "", {}},
        {0, "5 MOD 3", "", {}},
        {1, "j3+e+z", "", {"z"}},
        {2, "mod+1", "", {"mod"}},
        {0, "", "", {}},
    };
    for (const Case &c : cases) {
        numberSet(c.set);
        TStringList names;
        names.Add("stale");
        CollectVariables(c.expr, names, c.except);
        EXPECT_EQ(names.Lines(), c.names) << c.expr;
    }
}

TEST_F(Common, SubstituteConstants)
{
    TConstantItemList constants;
    constants.Add("$pi", "3.14159");
    constants.Add("$e", "2.71828");
    constants.Add("$G", "9.81");
    constants.Add("$million", "1e6");
    constants.Add("$k", "1000");
    constants.Add("$pi2", "6.28");
    constants.Add("$big", "1E30");

    expectRewrites(SubstituteConstants, {{"$pi*2", "$pi*2"}, {"X", "x"}}); // no list set yet
    ConstantItems = &constants;
    expectRewrites(SubstituteConstants,
                   {{"$pi*2", "(3.14159)*2"},
                    {"$PI*2", "(3.14159)*2"},
                    {"2*$pi", "2*(3.14159)"},
                    {"$pi$e", "(3.14159)(2.71828)"},
                    {"$g*2", "(9.81)*2"},
                    {"$x+1", "$x+1"},
                    {"$million*$k", "(1e6)*(1000)"},
                    {"$big*2", "(1e30)*2"}, // the value joins the lower-cased text
                    {"$pi2*$pi", "(6.28)*(3.14159)"},
                    {"$pi3*$pi", "$pi3*(3.14159)"}, // an unknown longer name is no occurrence of "$pi"
                    {"sin($pi)", "sin((3.14159))"},
                    {"2$", "2$"},
                    {"X+1", "x+1"}});
}

TEST_F(Common, BracketNumbers)
{
    expectRewrites(BracketNumbers, {{"2e-3+1", "[2e-3]+[1]"},
                                    {"sin30", "sin[30]"},
                                    {"2.5x", "[2.5]x"},
                                    {"1.2.3", "[1.2.3]"},
                                    {"[2]+3", "[2]+[3]"},
                                    {"2-3", "[2]-[3]"},
                                    {"X1", "x[1]"},
                                    {",5", "[,5]"},
                                    {"2E+5", "[2e+5]"},
                                    {"1e5e-2", "[1e5e-2]"},
                                    {"(-3)", "(-[3])"},
                                    {"x", "x"},
                                    {"", ""}});
}

TEST_F(Common, OddAndVeryLongTextsPassThrough)
{
    variables({"x=5"});
    TConstantItemList constants;
    constants.Add("$pi", "3.14159");
    ConstantItems = &constants;
    // Texts made of nothing but the characters the routines look around.
    expectRewrites(SubstituteVariables, {{"", ""}, {"$", "$"}, {"[[", "[["}, {"e", "()"}, {"E", "()"}, {"$e", "$e"}});
    expectRewrites(SubstituteConstants, {{"", ""}, {"$", "$"}, {"$$", "$$"}, {"$$pi", "$(3.14159)"}, {"E", "e"}});
    expectRewrites(
        BracketNumbers,
        {{"$", "$"}, {"[[", "["}, {"]]", "]"}, {"[[[1]]]", "[1]"}, {"e", "e"}, {".", "[.]"}, {"e5", "e[5]"}});
    expectRewrites([](QString &s) { InsertImplicitMultiplication(s, RealWordSet, RealRunSet); },
                   {{"]", "]"}, {"]$", "]*$"}, {")(", ")*("}, {"!", "!"}, {"$", "$"}});
    expectRewrites(NormalizeSigns, {{"+", ""}, {"*-", "-*"}, {"-", "-"}});
    expectRewrites(RemoveRedundantParentheses, {{"()", ""}, {")(", ")("}, {"(", "("}, {")", ")"}});
    const struct
    {
        const char *text, *token;
        int collected;
        const char *left;
    } odd[] = {
        {"", "", 0, ""}, {"$", "$", 0, ""}, {"e", "e", 1, ""}, {"E", "E", 1, ""}, {"[[", "", 0, ""}, {"]", "", 0, "]"},
    };
    for (const auto &c : odd) {
        QString token = QStringLiteral("stale");
        NextToken(c.text, token);
        EXPECT_EQ(token, QString::fromUtf8(c.token)) << c.text;
        TStringList names;
        CollectVariables(c.text, names, "");
        EXPECT_EQ(names.Count(), c.collected) << c.text;
        TCalculationError err;
        CheckBrackets(QString::fromLatin1(c.text), QString::fromLatin1(c.text), err);
        EXPECT_EQ(err.ErrorCode, 0) << c.text;
        QString left = QStringLiteral("stale"), right = QStringLiteral("stale");
        ExtractAdjacentTokens(c.text, 1, left, right);
        EXPECT_EQ(left, QString::fromUtf8(c.left)) << c.text;
        EXPECT_TRUE(right.isEmpty()) << c.text;
    }

    // 70000 characters, beyond the longest expression the input takes.
    const int n = 70000;
    QString opens(n, u'(');
    TCalculationError err;
    CheckBrackets(opens, opens, err);
    EXPECT_EQ(err.ErrorCode, 11);
    EXPECT_EQ(err.ErrorEnd, 1);

    QString name = QStringLiteral("x") + QString(n - 1, u'1');
    SubstituteVariables(name);
    EXPECT_EQ(name, QStringLiteral("()")); // one undefined name, replaced whole

    QString sums = QStringLiteral("1+").repeated(n / 2);
    BracketNumbers(sums);
    EXPECT_EQ(sums, QStringLiteral("[1]+").repeated(n / 2));

    QString tokens = QStringLiteral("[1]x").repeated(n / 4);
    InsertImplicitMultiplication(tokens, RealWordSet, RealRunSet);
    EXPECT_EQ(tokens, QStringLiteral("[1]*x").repeated(n / 4));

    QString es(n, u'e');
    QString token;
    NextToken(es, token);
    EXPECT_EQ(token.size(), n);
    QString dollars(n, u'$');
    SubstituteConstants(dollars);
    EXPECT_EQ(dollars.size(), n);
}

TEST_F(Common, ExtractAdjacentTokens)
{
    const struct
    {
        const char *s;
        int pos;
        const char *left, *right;
    } cases[] = {
        {"[2]+[3]", 3, "[2]", "[3]"}, {"[-2]*[3]", 4, "[-2]", "[3]"}, {"[2]+[3]", 0, "", "2]"},
        {"[2]+[3]", 6, "", ""},       {"sin[30]", 3, "", "30]"},      {"2]+[3]", 2, "2]", "[3]"},
        {"[2]+3", 3, "[2]", "3"},     {"[1]![2]", 3, "[1]", "[2]"},
    };
    for (const auto &c : cases) {
        QString left = QStringLiteral("stale"), right = QStringLiteral("stale");
        ExtractAdjacentTokens(c.s, c.pos, left, right);
        EXPECT_EQ(left, QString::fromUtf8(c.left)) << c.s << " @" << c.pos;
        EXPECT_EQ(right, QString::fromUtf8(c.right)) << c.s << " @" << c.pos;
    }
}

TEST_F(Common, ReplaceAndDelete)
{
    const struct
    {
        const char *s, *old, *with, *all, *first;
    } cases[] = {
        {"a+b+c", "+", "-", "a-b-c", "a-b+c"},
        {"aXa", "a", "aa", "aaXaa", "aaXa"}, // the new text holds the old
        {"#1 and #1", "#1", "x#1y", "x#1y and x#1y", "x#1y and #1"},
        {"+++", "++", "+", "+", "++"},
        {"aab", "ab", "b", "b", "ab"},
        {"abc", "", "x", "abc", "abc"},
        {"", "a", "b", "", ""},
        {"abc", "x", "y", "abc", "abc"},
    };
    for (const auto &c : cases) {
        QString all = QString::fromUtf8(c.s), first = all;
        ReplaceAll(all, c.old, c.with);
        ReplaceFirst(first, c.old, c.with);
        EXPECT_EQ(all, QString::fromUtf8(c.all)) << c.s << " " << c.old << " " << c.with;
        EXPECT_EQ(first, QString::fromUtf8(c.first)) << c.s << " " << c.old << " " << c.with;
    }
    expectRewrites([](QString &s) { DeleteAll(s, "a"); }, {{"aaab", "b"}, {"", ""}});
    expectRewrites([](QString &s) { DeleteAll(s, "bc"); }, {{"xabcbcy", "xay"}, {"xbbccy", "xy"}});
    expectRewrites([](QString &s) { DeleteAll(s, ""); }, {{"abc", "abc"}});

    EXPECT_EQ(FindFirstOf(u"+-", u"ab+c-"), 2);
    EXPECT_EQ(FindFirstOf(u"+-", u"-"), 0);
    EXPECT_EQ(FindFirstOf(u"+-", u""), -1);
    EXPECT_EQ(FindFirstOf(u"x", u"abc"), -1);
}

TEST_F(Common, SignsAndParenthesesOfGeneratedTexts)
{
    expectRewrites(MoveMinusBeforeProduct,
                   {{"2*x*-3", "-2*x*3"}, {"a+b*-c", "a+-b*c"}, {"(a)*-b", "-(a)*b"}, {"x^(2*-y)", "x^(-2*y)"}});
    expectRewrites(NormalizeSigns, {{"a*-b*-c", "a*b*c"},
                                    {"-x+-y", "-x-y"},
                                    {"2*x*-3", "-2*x*3"},
                                    {"a+b*-c", "a-b*c"},
                                    {"(a+b)*-c", "-(a+b)*c"},
                                    {"+a", "a"},
                                    {"a--b", "a+b"},
                                    {"a+++b", "a+b"},
                                    {"", ""}});
    expectRewrites(RemoveRedundantParentheses, {{"((a+b))", "a+b"},
                                                {"(x)*(y+1)", "x*(y+1)"},
                                                {"sin(x)", "sinx"},
                                                {"(a+b)*(c)", "(a+b)*c"},
                                                {"2*(a*(b))", "2*(a*b)"},
                                                {"(a)+(b)", "a+b"},
                                                {"(a+b)+(c+d)", "(a+b)+(c+d)"},
                                                {"(a", "(a"}});
}

TEST_F(Common, DeleteElementAtCursor)
{
    // clang-format off
    const struct { const char *s; int pos; const char *out; int newPos; } cases[] = {
        {"12+345", 5, "12+", 3},  {"12+345", 3, "12+345", 3}, {"12+345", 6, "12+", 3}, {"12+345", 99, "12+", 3},
        {"12+345", 2, "+345", 0}, {"12+345", 0, "+345", 0},   {"sin(30)", 3, "(30)", 0}, {"sin(30)", 6, "sin()", 4},
        {"", 0, "", 0},
    };
    // clang-format on
    for (const auto &c : cases) {
        QString s = QString::fromUtf8(c.s);
        int pos = c.pos;
        DeleteElementAtCursor(s, pos);
        EXPECT_EQ(s, QString::fromUtf8(c.out)) << c.s << " @" << c.pos;
        EXPECT_EQ(pos, c.newPos) << c.s << " @" << c.pos;
    }
}

TEST_F(Common, NormalizeDecimalSeparators)
{
    DecimalSeparator = QChar(u'.');
    expectRewrites(NormalizeDecimalSeparators, {{"1,5;2.5", "1.5;2.5"}});
    DecimalSeparator = QChar(u',');
    expectRewrites(NormalizeDecimalSeparators, {{"1,5;2.5", "1,5;2,5"}});
}

TEST_F(Common, FactorialAndFractionalPart)
{
    EXPECT_EQ(Factorial(0), 1.0L);
    EXPECT_EQ(Factorial(1), 1.0L);
    EXPECT_EQ(Factorial(5), 120.0L);
    EXPECT_EQ(Factorial(20), 2432902008176640000.0L);
    EXPECT_NEAR(double(Factorial(40) / 8.15915283247897734345611269596e47L), 1.0, 1e-15);
    EXPECT_TRUE(std::isfinite(Factorial(1754)));
    EXPECT_THROW(Factorial(1755), EOverflow);

    const struct
    {
        Extended x;
        bool fractional;
    } cases[] = {
        {2.5L, true}, {-2.5L, true}, {0.1L, true}, {3.0L, false}, {-0.0L, false}, {1e30L, false}, {-7.0L, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HasFractionalPart(c.x), c.fractional) << double(c.x);
}

TEST_F(Common, MapKeyboardChar)
{
    DecimalSeparator = QChar(u',');
    const struct
    {
        char16_t in;
        bool plusIsDigit;
        char16_t out;
    } cases[] = {
        {u'&', false, u'*'},
        {u'+', true, u'1'},
        {u'+', false, u'+'},
        {u',', false, u','},
        {u'.', false, u','},
        {u'š', false, u'3'},
        {u'ť', false, u'5'},
        {u'ž', false, u'6'},
        {u'§', false, u'!'},
        {u'ľ', false, u'2'},
        {u'á', false, u'8'},
        {u'ä', false, u'('},
        {u'č', false, u'4'},
        {u'é', false, u'0'},
        {u'ě', false, u'2'},
        {u'í', false, u'9'},
        {u'ň', false, u')'},
        {u'ř', false, u'5'},
        {u'ú', false, u'/'},
        {u'ý', false, u'7'},
        // Latin-1 characters that share a byte value with the table but not its letter stay.
        {u'è', false, u'è'},
        {u'x', true, u'x'},
        {u'7', false, u'7'},
    };
    for (const auto &c : cases) {
        QChar key(c.in);
        MapKeyboardChar(key, c.plusIsDigit);
        EXPECT_EQ(key, QChar(c.out)) << int(c.in);
    }
    DecimalSeparator = QChar(u'.');
    QChar comma(u',');
    MapKeyboardChar(comma, true);
    EXPECT_EQ(comma, QChar(u'.'));
}
