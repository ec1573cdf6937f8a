#include "tools/model/uPolynomy.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <atomic>

#include <vector>

namespace {

// Sets the decimal separator for one test and restores it.
class SeparatorGuard
{
public:
    explicit SeparatorGuard(QChar Separator) : m_old(DecimalSeparator) { DecimalSeparator = Separator; }
    ~SeparatorGuard() { DecimalSeparator = m_old; }

private:
    QChar m_old;
};

TPolynom Parsed(const QString &Text, const TPolynomVars &Vars = TPolynom::FreshVariables())
{
    TPolynom p;
    p.Parse(Text, Vars, false, true);
    return p;
}

QString Printed(const QString &Text)
{
    return Parsed(Text).ToText();
}

// Both texts parsed with one letter table, as the window does.
struct TPair
{
    TPolynom P, Q;
};

TPair ParsedPair(const QString &P, const QString &Q)
{
    TPair r;
    r.P.Parse(P, TPolynom::FreshVariables(), false, true);
    r.Q.Parse(Q, r.P.Vars, false, true);
    return r;
}

// The window's division: Q's letters first, so its first letter is slot 1.
void Divided(const QString &P, const QString &Q, QString &Quotient, QString &Remainder)
{
    TPolynom d = Parsed(Q);
    TPolynom n = Parsed(P, d.Vars);
    TPolynom r, q;
    TPolynom::Divide(n, d, r, q);
    Quotient = q.ToText();
    Remainder = r.ToText();
}

} // namespace

TEST(Polynom, ParsesAndPrintsTheNotation)
{
    SeparatorGuard dot(u'.');
    const struct
    {
        const char *Text, *Printed;
    } cases[] = {
        {"5x^3-3x^2+6x", "5x^3-3x^2+6x"},
        {"2ab^2-b", "2ab^2-b"},
        {"xx-x^2", "0"},
        {"-x", "-x"},
        {"+1", "1"},
        {"-1", "-1"},
        {"", "0"},
        {"  3 x ^ 2 y ", "3x^2y"},
        {"x^-1", "x^-1"},
        {"x^+2", "x^2"},
        {"x^", "x"},
        {"-y", "-y"},
        {"2x3", "6x"},
        {"x+y+x", "2x+y"},
        {"yx^2", "yx^2"},
        {"0.12345x", "0.12345x"},
        {"0.0001x", "0.0001x"},
        {"0.333333333333333333x", "0.333333333333333x"},
        {"100000000000000000000x", "100000000000000000000x"},
        {"0x+3", "3"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(Printed(QString::fromLatin1(c.Text)), QString::fromLatin1(c.Printed));
    }
}

TEST(Polynom, CancelledTermsStayAsZeroAndPrintNothing)
{
    const TPolynom p = Parsed(QStringLiteral("xx-x^2"));
    EXPECT_EQ(p.Count(), 1);
    EXPECT_EQ(p.First->Coefficient, 0.0);
    EXPECT_TRUE(p.IsZero());
    EXPECT_TRUE(TPolynom().IsZero());
    EXPECT_EQ(Parsed(QStringLiteral("x-x+2y")).ToText(), QStringLiteral("2y"));
}

TEST(Polynom, LettersTakeSlotsInTheOrderMet)
{
    const TPolynom p = Parsed(QStringLiteral("2ab^2-c"));
    EXPECT_EQ(p.IndexOfVariable(u'a'), 0);
    EXPECT_EQ(p.IndexOfVariable(u'b'), 1);
    EXPECT_EQ(p.IndexOfVariable(u'c'), 2);
    EXPECT_EQ(p.IndexOfVariable(u'x'), -1);
    EXPECT_EQ(p.Vars[3], QChar(u'#'));
    // Parsed against another table, the letters keep that table's slots.
    const TPolynom q = Parsed(QStringLiteral("c+a"), p.Vars);
    EXPECT_EQ(q.IndexOfVariable(u'c'), 2);
    EXPECT_EQ(q.ToText(), QStringLiteral("c+a"));
}

TEST(Polynom, NumbersFollowTheCurrentDecimalSeparator)
{
    {
        SeparatorGuard comma(u',');
        EXPECT_EQ(Printed(QStringLiteral("2,5x")), QStringLiteral("2,5x"));
        EXPECT_TRUE(TPolynom::CheckSyntax(QStringLiteral("2,5x")));
        EXPECT_FALSE(TPolynom::CheckSyntax(QStringLiteral("2.5x")));
        EXPECT_TRUE(PolynomCharSet().Contains(u','));
        EXPECT_FALSE(PolynomCharSet().Contains(u'.'));
    }
    SeparatorGuard dot(u'.');
    EXPECT_TRUE(TPolynom::CheckSyntax(QStringLiteral("2.5x")));
    EXPECT_FALSE(TPolynom::CheckSyntax(QStringLiteral("2,5x")));
    EXPECT_TRUE(PolynomCharSet().Contains(u'.'));
    EXPECT_FALSE(PolynomCharSet().Contains(u','));
}

TEST(Polynom, CheckSyntax)
{
    SeparatorGuard dot(u'.');
    const char *const accepted[] = {"",   "   ", "3x^-2y",       "5x^3-3x^2+6x",  "x^",    "x^+2",
                                    "-x", "2.5", "x^2147483647", "x^-2147483648", "xyzuv", "x ^ 2"};
    for (const char *text : accepted)
        EXPECT_TRUE(TPolynom::CheckSyntax(QString::fromLatin1(text))) << text;
    const char *const rejected[] = {"x+",  "^2",   "x^^2",         "2^3",   "x,5", "x.5",          ".5x", "x.",
                                    "X",   "x*y",  "2 ^3",         "x^2.5", "x^-", "x^-y",         "+-x", "x+^2",
                                    "5.x", "2..3", "x^2147483648", "1.2.3", "x=1", "x^-2147483649"};
    for (const char *text : rejected)
        EXPECT_FALSE(TPolynom::CheckSyntax(QString::fromLatin1(text))) << text;
}

TEST(Polynom, FormatsNumbersWithFifteenDigitsAndNoExponent)
{
    SeparatorGuard dot(u'.');
    const struct
    {
        Extended Value;
        const char *Text;
    } cases[] = {
        {0, "0"},
        {-0.0L, "0"},
        {-2.5L, "-2.5"},
        {0.0001L, "0.0001"},
        {1.0L / 3, "0.333333333333333"},
        {-2.0L / 3, "-0.666666666666667"},
        {1e20L, "100000000000000000000"},
        {123456789012345678.0L, "123456789012346000"},
        {1e-20L, "0.00000000000000000001"},
        {999999999999999.0L, "999999999999999"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatPolynomNumber(c.Value), QString::fromLatin1(c.Text)) << c.Text;
}

TEST(Polynom, SumDifferenceProductAndPower)
{
    SeparatorGuard dot(u'.');
    const QString p = QStringLiteral("5x^3-3x^2+6x");
    const QString q = QStringLiteral("x^2+3");

    TPolynom sum;
    sum.Parse(p, TPolynom::FreshVariables(), false, true);
    sum.Parse(q, sum.Vars, false, false);
    EXPECT_EQ(sum.ToText(), QStringLiteral("5x^3-2x^2+6x+3"));

    TPolynom difference;
    difference.Parse(p, TPolynom::FreshVariables(), false, true);
    difference.Parse(q, difference.Vars, true, false);
    EXPECT_EQ(difference.ToText(), QStringLiteral("5x^3-4x^2+6x-3"));

    const struct
    {
        const char *P, *Q, *Product;
    } products[] = {
        {"5x^3-3x^2+6x", "x^2+3", "5x^5+21x^3-3x^4-9x^2+18x"},
        {"x+y", "x-y", "x^2-y^2"},
        {"2ab", "b^-1", "2a"},
        {"x", "0", "0"},
        {"x", "y", "xy"},
    };
    for (const auto &c : products) {
        SCOPED_TRACE(c.P);
        TPair pair = ParsedPair(QString::fromLatin1(c.P), QString::fromLatin1(c.Q));
        TPolynom r;
        TPolynom::Multiply(pair.P, pair.Q, r);
        EXPECT_EQ(r.ToText(), QString::fromLatin1(c.Product));
    }

    const struct
    {
        const char *P;
        int N;
        const char *Power;
    } powers[] = {
        {"x+1", 2, "x^2+2x+1"}, {"x-y", 3, "x^3-3x^2y+3xy^2-y^3"},   {"5x^3-3x^2+6x", 0, "1"},
        {"0", 0, "1"},          {"5x^3-3x^2+6x", 1, "5x^3-3x^2+6x"}, {"2", 10, "1024"},
    };
    for (const auto &c : powers) {
        SCOPED_TRACE(c.P);
        TPolynom r = Parsed(QString::fromLatin1(c.P));
        r.Power(c.N);
        EXPECT_EQ(r.ToText(), QString::fromLatin1(c.Power));
    }

    TPolynom binomial = Parsed(QStringLiteral("a+b"));
    binomial.Power(10);
    EXPECT_EQ(binomial.Count(), 11);
    EXPECT_EQ(binomial.FindTerm(binomial.Vars, TExponents{5, 5, 0, 0, 0})->Coefficient, 252.0);
    TPolynom trinomial = Parsed(QStringLiteral("a+b+c"));
    trinomial.Power(4);
    EXPECT_EQ(trinomial.Count(), 15);
}

TEST(Polynom, DivisionWithRemainder)
{
    SeparatorGuard dot(u'.');
    const struct
    {
        const char *P, *Q, *Quotient, *Remainder;
    } cases[] = {
        {"x^2+2x+1", "x+1", "x+1", "0"},
        {"5x^3-3x^2+6x", "x^2+3", "5x-3", "-9x+9"},
        {"x^3-1", "x-1", "x^2+x+1", "0"},
        {"x", "x^2", "0", "x"},
        {"4x^2+2", "2", "2x^2+1", "0"},
        {"abcde", "2", "0.5abcde", "0"},
        // Terms that the leading term cannot divide go to the remainder at
        // once instead of being divided for ever.
        {"x^2", "xy+1", "0", "x^2"},
        {"x^2y^2", "xy+1", "xy-1", "1"},
        {"x^2y+3", "x+1", "xy-y", "y+3"},
        // Inexact coefficients: the leading term still cancels exactly.
        {"0.7x^2", "0.3x+1", "2.33333333333333x-7.77777777777778", "7.77777777777778"},
        {"x^2+x^-1", "x+1", "x-1", "1+x^-1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.P + std::string(" / ") + c.Q);
        QString quotient, remainder;
        Divided(QString::fromLatin1(c.P), QString::fromLatin1(c.Q), quotient, remainder);
        EXPECT_EQ(quotient, QString::fromLatin1(c.Quotient));
        EXPECT_EQ(remainder, QString::fromLatin1(c.Remainder));
    }
}

TEST(Polynom, DivisionCheckedAgainstTheProduct)
{
    // A = Q * B + R for a division in two letters with inexact numbers.
    TPolynom b = Parsed(QStringLiteral("3x^2y-0.7x+2y^2"));
    TPolynom a = Parsed(QStringLiteral("1.3x^5y^3-2x^4+x^3y^5-7xy+11"), b.Vars);
    TPolynom r, q;
    TPolynom::Divide(a, b, r, q);
    TPolynom back;
    TPolynom::Multiply(q, b, back);
    for (const TClen *t = r.First; t; t = t->Next)
        back.AddTerm(*t, r.Vars);
    for (const TClen *t = a.First; t; t = t->Next)
        back.AddMonomial(t->Exponents, a.Vars, -t->Coefficient);
    for (const TClen *t = back.First; t; t = t->Next)
        EXPECT_NEAR(t->Coefficient, 0.0, 1e-12);
    EXPECT_FALSE(q.IsZero());
}

TEST(Polynom, DivisionByTheZeroPolynomialIsRefused)
{
    for (const char *zero : {"0", "x-x", ""}) {
        TPolynom d = Parsed(QString::fromLatin1(zero));
        TPolynom n = Parsed(QStringLiteral("x^2+1"), d.Vars);
        TPolynom r, q;
        EXPECT_THROW(TPolynom::Divide(n, d, r, q), EDivByZero) << zero;
    }
}

TEST(Polynom, ExponentsAreCheckedThirtyTwoBitValues)
{
    EXPECT_EQ(Printed(QStringLiteral("x^40000")), QStringLiteral("x^40000"));
    EXPECT_EQ(Printed(QStringLiteral("x^2147483646x")), QStringLiteral("x^2147483647"));
    EXPECT_THROW(Parsed(QStringLiteral("xx^2147483647")), EIntOverflow);
    EXPECT_THROW(Parsed(QStringLiteral("x^99999999999")), EIntOverflow);
    EXPECT_THROW(Parsed(QStringLiteral("x^-2147483648x^-1")), EIntOverflow);

    TPair pair = ParsedPair(QStringLiteral("x^2147483647"), QStringLiteral("x"));
    TPolynom r;
    EXPECT_THROW(TPolynom::Multiply(pair.P, pair.Q, r), EIntOverflow);

    TPolynom power = Parsed(QStringLiteral("x^100000000+1"));
    EXPECT_THROW(power.Power(30), EIntOverflow);
    EXPECT_THROW(power.Power(256), ERangeError);
    EXPECT_THROW(power.Power(-1), ERangeError);
}

TEST(Polynom, CoefficientOverflowIsReported)
{
    const QString huge = QStringLiteral("1") + QString(150, u'0');
    TPolynom p = Parsed(huge + QStringLiteral("x"));
    TPolynom r;
    TPolynom::Multiply(p, p, r);
    EXPECT_EQ(r.ToText(), QStringLiteral("1") + QString(300, u'0') + QStringLiteral("x^2"));
    TPolynom cube;
    EXPECT_THROW(TPolynom::Multiply(r, p, cube), EOverflow);
    EXPECT_THROW(Parsed(QStringLiteral("1") + QString(400, u'0') + QStringLiteral("x")), EOverflow);
}

TEST(Polynom, ASixthLetterIsReported)
{
    EXPECT_EQ(Printed(QStringLiteral("abcde+a")), QStringLiteral("abcde+a"));
    EXPECT_THROW(Parsed(QStringLiteral("abcdef")), ETooManyVariables);
    EXPECT_THROW(Parsed(QStringLiteral("abcde+f")), ETooManyVariables);
    // Five letters of P and a new one of Q in one product.
    TPolynom p = Parsed(QStringLiteral("abcde"));
    TPolynom q = Parsed(QStringLiteral("f"));
    TPolynom r;
    EXPECT_THROW(TPolynom::Multiply(p, q, r), ETooManyVariables);
}

TEST(Polynom, AFailedParseLeavesThePolynomialAsItWas)
{
    TPolynom p = Parsed(QStringLiteral("x+1"));
    EXPECT_THROW(p.Parse(QStringLiteral("abcdef"), TPolynom::FreshVariables(), false, true), ETooManyVariables);
    EXPECT_EQ(p.ToText(), QStringLiteral("x+1"));
    EXPECT_EQ(p.IndexOfVariable(u'x'), 0);
}

TEST(Polynom, SortByVariableIsStableAndChecksTheSlot)
{
    TPolynom p = Parsed(QStringLiteral("y+x+2y^2+1+3x^3"));
    p.SortByVariable(p.IndexOfVariable(u'x'));
    EXPECT_EQ(p.ToText(), QStringLiteral("3x^3+x+y+2y^2+1"));
    p.SortByVariable(p.IndexOfVariable(u'y'));
    EXPECT_EQ(p.ToText(), QStringLiteral("2y^2+y+3x^3+x+1"));
    // Like terms are still found after sorting.
    p.AddMonomial(TExponents{0, 1, 0, 0, 0}, p.Vars, 4);
    EXPECT_EQ(p.ToText(), QStringLiteral("2y^2+y+3x^3+5x+1"));
    EXPECT_THROW(p.SortByVariable(-1), ERangeError);
    EXPECT_THROW(p.SortByVariable(5), ERangeError);
}

TEST(Polynom, LikeTermsAcrossLetterTables)
{
    const TPolynom p = Parsed(QStringLiteral("x^2y+x^2"));
    TPolynomVars onlyX = TPolynom::FreshVariables();
    onlyX[0] = u'x';
    TPolynomVars yThenX = TPolynom::FreshVariables();
    yThenX[0] = u'y';
    yThenX[1] = u'x';
    // x^2 of a table without y is x^2, not x^2y.
    const TClen *first = p.First;
    EXPECT_FALSE(first->HasSameVariables(p.Vars, onlyX, TExponents{2, 0, 0, 0, 0}));
    EXPECT_TRUE(first->HasSameVariables(p.Vars, yThenX, TExponents{1, 2, 0, 0, 0}));
    EXPECT_EQ(p.FindTerm(onlyX, TExponents{2, 0, 0, 0, 0}), first->Next);
    EXPECT_EQ(p.FindTerm(yThenX, TExponents{1, 2, 0, 0, 0}), first);
    EXPECT_EQ(p.FindTerm(yThenX, TExponents{1, 1, 0, 0, 0}), nullptr);

    // A monomial of another table joins in the own letters.
    TPolynom q = Parsed(QStringLiteral("x"));
    q.AddMonomial(TExponents{1, 1, 0, 0, 0}, yThenX, 2);
    q.AddMonomial(TExponents{0, 1, 0, 0, 0}, yThenX, 1);
    EXPECT_EQ(q.ToText(), QStringLiteral("2x+2xy"));

    TClen term(TExponents{1, 0, 0, 0, 0}, 3);
    term.MultiplyBy(TClen(TExponents{2, 1, 0, 0, 0}, -2), p.Vars, yThenX);
    EXPECT_EQ(term.Coefficient, -6.0);
    EXPECT_EQ(term.Exponents, (TExponents{2, 2, 0, 0, 0}));
}

TEST(Polynom, DegreeAndSignQueriesIgnoreCancelledTerms)
{
    const TPolynom p = Parsed(QStringLiteral("x^11-x^11+x^-1-x^-1+x"));
    EXPECT_EQ(p.MaxExponent(), 1);
    EXPECT_TRUE(p.HasNoNegativeExponent());
    EXPECT_FALSE(Parsed(QStringLiteral("x+x^-2")).HasNoNegativeExponent());
    EXPECT_EQ(Parsed(QStringLiteral("3")).MaxExponent(), 0);
    EXPECT_EQ(TPolynom().MaxExponent(), 0);
}

TEST(Polynom, HornerScheme)
{
    // Q = x^2 + 3 at 1: p(1) = 4, p'(1) = 2, p''(1)/2 = 1.
    const THornerScheme s = Parsed(QStringLiteral("x^2+3")).HornerScheme(1);
    EXPECT_EQ(s.Coefficients, (std::vector<Extended>{1, 0, 3}));
    ASSERT_EQ(s.Passes.size(), 3);
    EXPECT_EQ(s.Passes[0].Products, (std::vector<Extended>{1, 1}));
    EXPECT_EQ(s.Passes[0].Values, (std::vector<Extended>{1, 1, 4}));
    EXPECT_EQ(s.Passes[1].Products, (std::vector<Extended>{1}));
    EXPECT_EQ(s.Passes[1].Values, (std::vector<Extended>{1, 2}));
    EXPECT_EQ(s.Passes[2].Products, (std::vector<Extended>{}));
    EXPECT_EQ(s.Passes[2].Values, (std::vector<Extended>{1}));

    // A cancelled term of a higher degree is skipped, not written past the
    // table.
    const THornerScheme z = Parsed(QStringLiteral("x^3-x^3+x")).HornerScheme(2);
    EXPECT_EQ(z.Coefficients, (std::vector<Extended>{1, 0}));
    ASSERT_EQ(z.Passes.size(), 2);
    EXPECT_EQ(z.Passes[0].Values, (std::vector<Extended>{1, 2}));

    EXPECT_TRUE(Parsed(QStringLiteral("x-x")).HornerScheme(1).Coefficients.empty());
    EXPECT_EQ(Parsed(QStringLiteral("7")).HornerScheme(5).Passes[0].Values, (std::vector<Extended>{7}));
    EXPECT_THROW(Parsed(QStringLiteral("x+x^-1")).HornerScheme(1), ERangeError);
}

TEST(Polynom, TooLargeComputationsAreRefused)
{
    // Two polynomials of 5,000 terms each would need 25 million products.
    QString p, q;
    for (int i = 1; i <= 5000; ++i) {
        p += QStringLiteral("+x^%1").arg(i);
        q += QStringLiteral("+y^%1").arg(i);
    }
    TPair pair = ParsedPair(p, q);
    TPolynom r;
    EXPECT_THROW(TPolynom::Multiply(pair.P, pair.Q, r), EPolynomTooLarge);

    // A power whose steps each stay below the limit but add up to far more.
    QString many;
    for (int i = 0; i < 1000; ++i)
        many += QStringLiteral("+x^%1").arg(i);
    TPolynom power = ParsedPair(many, QString()).P;
    EXPECT_THROW(power.Power(30), EPolynomTooLarge);

    // A quotient of two billion terms.
    TPolynom d = Parsed(QStringLiteral("x-1"));
    TPolynom n = Parsed(QStringLiteral("x^2000000000"), d.Vars);
    TPolynom rest, quotient;
    EXPECT_THROW(TPolynom::Divide(n, d, rest, quotient), EPolynomTooLarge);
}

TEST(Polynom, AComputationStopsWhenItsThreadIsToldTo)
{
    std::atomic<bool> stop{true};
    TPolynom p = Parsed(QStringLiteral("a+b+c"));
    {
        TPolynomStopScope scope(stop);
        EXPECT_THROW(TPolynom(p).Power(5), EPolynomStopped);
        TPolynom r;
        EXPECT_THROW(TPolynom::Multiply(p, p, r), EPolynomStopped);
        EXPECT_THROW(Parsed(QStringLiteral("x+1")), EPolynomStopped);
        stop = false;
        TPolynom power(p);
        power.Power(2);
        EXPECT_EQ(power.ToText(), QStringLiteral("a^2+2ab+2ac+b^2+2bc+c^2"));
        stop = true;
    }
    // Only while the scope lives.
    p.Power(2);
    EXPECT_EQ(p.Count(), 6);
}

TEST(Polynom, SmallerLimitsHoldOnlyWhileTheirScopeLives)
{
    QString many;
    for (int i = 0; i < 100; ++i)
        many += QStringLiteral("+x^%1").arg(i);
    TPair pair = ParsedPair(many, many);
    TPolynom r;
    {
        TPolynomLimitScope limits(1000, 5000);
        // 10,000 term products, and a parse of 2,000 terms.
        EXPECT_THROW(TPolynom::Multiply(pair.P, pair.Q, r), EPolynomTooLarge);
        QString longer;
        for (int i = 0; i < 2000; ++i)
            longer += QStringLiteral("+x^%1").arg(i);
        EXPECT_THROW(Parsed(longer), EPolynomTooLarge);
        TPolynom d = Parsed(QStringLiteral("x-1"));
        TPolynom n = Parsed(QStringLiteral("x^5000"), d.Vars);
        TPolynom rest, quotient;
        EXPECT_THROW(TPolynom::Divide(n, d, rest, quotient), EPolynomTooLarge);
    }
    TPolynom::Multiply(pair.P, pair.Q, r);
    EXPECT_EQ(r.Count(), 199);
}
