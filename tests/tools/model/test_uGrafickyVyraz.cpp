// The two-dimensional layout measured with fixed text sizes (16 points:
// 8 x 20 per character; 10 points: 5 x 14; 8 points: 4 x 12).
#include "tools/model/uGrafickyVyraz.h"

#include "tests/support/FixedTextMetrics.h"
#include "tests/support/QtPrint.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace K = VyrazKind;

namespace {

std::unique_ptr<TGrafickyVyraz> Laid(const QString &Text, int X = 0, int Y = 0)
{
    auto root = TGrafickyVyraz::Create(Text, X, Y, 16);
    root->Measure(FixedTextMetrics());
    return root;
}

struct TBox
{
    int X, Y, W, H;
};

void ExpectBox(const TGrafickyVyraz *Node, TBox Box, const char *What)
{
    ASSERT_TRUE(Node) << What;
    EXPECT_EQ(Node->X(), Box.X) << What;
    EXPECT_EQ(Node->Y(), Box.Y) << What;
    EXPECT_EQ(Node->Width(), Box.W) << What;
    EXPECT_EQ(Node->Height(), Box.H) << What;
}

} // namespace

TEST(GraphicLayout, FractionStacksCentredPartsOverABar)
{
    // "1" centred over "2", 8 pixels wider than the wider part, the bar
    // (at the sign line plus half a text height) 2 pixels below the top part.
    auto f = Laid(QStringLiteral("1/2"), 5, 5);
    ExpectBox(f.get(), {5, 5, 16, 44}, "fraction");
    ExpectBox(f->Left(), {9, 5, 8, 20}, "numerator");
    ExpectBox(f->Right(), {9, 29, 8, 20}, "denominator");
    EXPECT_EQ(f->TextY(), 12);

    auto w = Laid(QStringLiteral("abc/2"));
    ExpectBox(w.get(), {0, 0, 32, 44}, "wide numerator");
    ExpectBox(w->Right(), {12, 24, 8, 20}, "narrow denominator");
}

TEST(GraphicLayout, FractionPartsLoseTheirWholeBrackets)
{
    auto f = Laid(QStringLiteral("(a+b)/(c-d)"));
    ASSERT_EQ(f->Kind(), K::Quotient);
    EXPECT_TRUE(f->Left()->IsBareGroup());
    ExpectBox(f->Left(), {4, 0, 34, 20}, "bare numerator");
    ExpectBox(f.get(), {0, 0, 42, 44}, "fraction");

    // '(a)/(b)' is not one group: "a" over "b", all of it over "c".
    auto g = Laid(QStringLiteral("(a)/(b)/c"));
    ASSERT_EQ(g->Left()->Kind(), K::Quotient);
    ExpectBox(g->Left(), {4, 0, 16, 44}, "inner fraction");
    ExpectBox(g.get(), {0, 0, 24, 68}, "outer fraction");
    ExpectBox(g->Right(), {8, 48, 8, 20}, "c");

    // A bracket group inside a part keeps its brackets.
    auto h = Laid(QStringLiteral("((a))/2"));
    EXPECT_FALSE(h->Left()->Left()->IsBareGroup());
    EXPECT_EQ(h->Left()->Width(), 8 + 8 + 4);
}

TEST(GraphicLayout, OperatorsLeaveTheSignWidthPlusTenBetweenOperands)
{
    struct Case
    {
        const char *Text;
        quint8 Kind;
        int Width, RightX;
    } cases[] = {
        {"2*3", K::Product, 8 + 18 + 8, 26},
        {"a+b", K::Sum, 34, 26},
        {"a-b", K::Difference, 34, 26},
        // The rightmost operator splits: (a-b)+c.
        {"a-b+c", K::Sum, 60, 52},
        // A sign stays with its operand.
        {"2*-3", K::Product, 8 + 18 + 16, 26},
    };
    for (const Case &c : cases) {
        auto n = Laid(QString::fromLatin1(c.Text));
        EXPECT_EQ(n->Kind(), c.Kind) << c.Text;
        EXPECT_EQ(n->Width(), c.Width) << c.Text;
        EXPECT_EQ(n->Height(), 20) << c.Text;
        EXPECT_EQ(n->Right()->X(), c.RightX) << c.Text;
    }
    auto neg = Laid(QStringLiteral("2*-3"));
    EXPECT_EQ(neg->Right()->Text(), QStringLiteral("-3"));
}

TEST(GraphicLayout, NumbersAndSignedOperandsAreOneLeaf)
{
    for (const char *text : {"1.5e-3", "-x", "2.5E+10", "$pi"}) {
        auto n = Laid(QString::fromLatin1(text));
        EXPECT_EQ(n->Kind(), K::Leaf) << text;
        EXPECT_EQ(n->Text(), QString::fromLatin1(text));
        EXPECT_EQ(n->Width(), int(strlen(text)) * 8) << text;
    }
}

TEST(GraphicLayout, OperandsLineUpOnTheSignLineOfTheNode)
{
    // x^2 has its base 4 pixels down: the "1" beside it moves down too.
    auto p = Laid(QStringLiteral("x^2+1"), 5, 5);
    EXPECT_EQ(p->TextY(), 4);
    ExpectBox(p->Right(), {5 + 15 + 18, 9, 8, 20}, "1 beside a power");
    EXPECT_EQ(p->Height(), 24);

    // Beside a fraction the operand stands on the bar.
    auto f = Laid(QStringLiteral("1/2+3"), 5, 5);
    EXPECT_EQ(f->TextY(), 12);
    ExpectBox(f->Right(), {5 + 16 + 18, 17, 8, 20}, "3 beside a fraction");
    EXPECT_EQ(f->Height(), 44);

    // A fraction on the right moves the left operand down to its bar; the
    // offsets are the node's own wherever the node stands.
    auto g = Laid(QStringLiteral("3+1/2"), 100, 200);
    ExpectBox(g->Left(), {100, 212, 8, 20}, "3 before a fraction");
    EXPECT_EQ(g->TextY(), 12);
    EXPECT_EQ(g->Right()->Y(), 200);

    // Sums of sums keep one line.
    auto s = Laid(QStringLiteral("1/2+x^2+1"));
    EXPECT_EQ(s->Right()->Y(), s->TextY());
    EXPECT_EQ(s->Left()->Right()->Left()->Y(), s->TextY()) << "base of x^2";
}

TEST(GraphicLayout, PowersRaiseTheExponentAtTwoThirdsSize)
{
    auto p = Laid(QStringLiteral("x^2"));
    ExpectBox(p.get(), {0, 0, 15, 24}, "power");
    ExpectBox(p->Left(), {0, 4, 8, 20}, "base");
    ExpectBox(p->Right(), {10, 0, 5, 14}, "exponent");
    EXPECT_EQ(p->Right()->FontSize(), 10);

    // a^b^c is a^(b^c); sizes 16, 10 and 8, never smaller.
    auto q = Laid(QStringLiteral("x^2^3^4"));
    ASSERT_EQ(q->Right()->Kind(), K::Power);
    EXPECT_EQ(q->Left()->FontSize(), 16);
    EXPECT_EQ(q->Right()->Left()->FontSize(), 10);
    EXPECT_EQ(q->Right()->Right()->Left()->FontSize(), 8);
    EXPECT_EQ(q->Right()->Right()->Right()->FontSize(), 8);

    // An exponent no higher than half the base lowers it by half its height.
    auto tall = Laid(QStringLiteral("(1/2/3)^2"));
    const TGrafickyVyraz *base = tall->Left();
    EXPECT_EQ(base->Height(), 68);
    EXPECT_EQ(base->Y(), 7);
    EXPECT_EQ(tall->Height(), 75);
}

TEST(GraphicLayout, FractionalExponentsAreRoots)
{
    struct Case
    {
        const char *Text;
        TBox Node, Base;
        int SignTop; // the exponent's bracket marks the top of the sign
    } cases[] = {
        // Square root: lead 20/5, strokes 2*20/5, 2 pixels to the base.
        {"x^(1/2)", {0, 0, 24, 22}, {14, 2, 8, 20}, 0},
        // Index 3 (5 x 14) above the tick: the sign moves down 6.
        {"x^(1/3)", {0, 0, 25, 28}, {15, 8, 8, 20}, 6},
        // Exponent 2 under the root with index 3.
        {"x^(2/3)", {0, 0, 33, 30}, {16, 10, 8, 20}, 4},
        // No root: x^3.
        {"x^(3/1)", {0, 0, 15, 24}, {0, 4, 8, 20}, 0},
        // 1/1: only the base, with its own width.
        {"x^(1/1)", {0, 0, 8, 20}, {0, 0, 8, 20}, 0},
    };
    for (const Case &c : cases) {
        auto r = Laid(QString::fromLatin1(c.Text));
        ASSERT_TRUE(r->IsRootForm()) << c.Text;
        ExpectBox(r.get(), c.Node, c.Text);
        ExpectBox(r->Left(), c.Base, c.Text);
        EXPECT_EQ(r->Right()->Y(), c.SignTop) << c.Text;
        EXPECT_EQ(r->TextY(), c.Base.Y) << c.Text;
    }
    auto two = Laid(QStringLiteral("x^(2/3)"));
    ExpectBox(two->RootNumerator(), {26, 6, 5, 14}, "exponent 2");
    ExpectBox(two->RootIndex(), {0, 0, 5, 14}, "index 3");
    auto three = Laid(QStringLiteral("x^(1/3)"));
    // The index ends 2 pixels above the tick at half the sign's height.
    EXPECT_EQ(three->RootIndex()->Y() + three->RootIndex()->Height() + 2, 6 + 20 / 2);

    // The next operand starts after a (1/1) power instead of over its base.
    auto next = Laid(QStringLiteral("x^(1/1)+y"));
    EXPECT_EQ(next->Right()->X(), 8 + 18);
    // A bracketed exponent that is no fraction is drawn with its brackets.
    auto plain = Laid(QStringLiteral("x^(a+b)"));
    EXPECT_FALSE(plain->IsRootForm());
    EXPECT_EQ(plain->Right()->Width(), 25 + 14 * 2 / 5 + 4);
}

TEST(GraphicLayout, BracketsAndFunctionsWrapTheirContent)
{
    auto b = Laid(QStringLiteral("(a+b)"));
    ASSERT_EQ(b->Kind(), K::Group);
    ExpectBox(b.get(), {0, 0, 46, 20}, "bracket");
    EXPECT_EQ(b->Left()->X(), 6);

    auto f = Laid(QStringLiteral("sin(x)/2"), 5, 5);
    const TGrafickyVyraz *sine = f->Left();
    ASSERT_EQ(sine->Kind(), K::Function);
    EXPECT_EQ(sine->Text(), QStringLiteral("sin"));
    EXPECT_EQ(sine->Width(), 26 + 20);
    // The name stands on the line of "x" inside the brackets.
    const TGrafickyVyraz *x = sine->Right()->Left();
    EXPECT_EQ(sine->Y() + sine->TextY(), x->Y());
    EXPECT_EQ(x->X(), sine->X() + 26 + 6);

    auto neg = Laid(QStringLiteral("-(a+b)"));
    ASSERT_EQ(neg->Kind(), K::Function);
    EXPECT_EQ(neg->Text(), QStringLiteral("-"));
    EXPECT_EQ(neg->Width(), 10 + 46);

    // The name of a function of a fraction stands on its bar.
    auto g = Laid(QStringLiteral("ln((a+b)/2)"));
    EXPECT_EQ(g->TextY(), 12);

    auto bang = Laid(QStringLiteral("5!+50%"));
    EXPECT_EQ(bang->Left()->Width(), 8 + 10);
    EXPECT_EQ(bang->Right()->Width(), 16 + 10);
    auto fracBang = Laid(QStringLiteral("(1/2)!"));
    EXPECT_EQ(fracBang->TextY(), 12);
}

TEST(GraphicLayout, MeasureAgainAndMoveKeepTheShape)
{
    auto a = Laid(QStringLiteral("(a+b)/(c-d)^(1/2)+x^(2/3)"), 5, 5);
    const QRect before = a->Left()->Right()->Box();
    a->Measure(FixedTextMetrics());
    EXPECT_EQ(a->Left()->Right()->Box(), before);
    a->MoveBy(10, -3);
    EXPECT_EQ(a->Left()->Right()->Box(), before.translated(10, -3));
    EXPECT_EQ(a->Left()->Right()->RootNumerator()->Parent()->Parent()->Parent(), a->Left()->Right());
}

TEST(GraphicLayout, MalformedTextsAreRefusedWithAReason)
{
    struct Case
    {
        const char *Text;
        TVyrazFault Fault;
        // clang-format off
    } cases[] = {
        {"a+", TVyrazFault::EmptyOperand},    {"2*", TVyrazFault::EmptyOperand},
        {"()", TVyrazFault::EmptyOperand},    {"(((", TVyrazFault::UnmatchedOpening},
        {"a)", TVyrazFault::UnmatchedClosing}, {"(a)(b)", TVyrazFault::MissingOperator},
        {"", TVyrazFault::EmptyOperand},      {"x^(1/)", TVyrazFault::EmptyOperand},
    };
    // clang-format on
    for (const Case &c : cases) {
        try {
            TGrafickyVyraz::Create(QString::fromLatin1(c.Text), 5, 5, 16);
            ADD_FAILURE() << c.Text << " was accepted";
        } catch (const EVyrazError &e) {
            EXPECT_EQ(int(e.Fault()), int(c.Fault)) << c.Text;
        }
    }
}

TEST(GraphicLayout, LongInputsAreLaidOutOrRefused)
{
    // A chain within the tree's depth is laid out in one line.
    QString chain = QStringLiteral("1");
    for (int i = 0; i < 1500; ++i)
        chain += QStringLiteral("+1");
    auto c = Laid(chain);
    EXPECT_EQ(c->Width(), 1501 * 8 + 1500 * 18);
    EXPECT_EQ(c->Height(), 20);

    // The longest expression the calculator takes: refused at once.
    QString longest = QStringLiteral("1");
    while (longest.size() + 2 <= 65535)
        longest += QStringLiteral("+1");
    EXPECT_THROW(TGrafickyVyraz::Create(longest, 5, 5, 16), EVyrazError);

    // Brackets nested to the limit.
    const QString deep = QString(255, u'(') + u'x' + QString(255, u')');
    auto d = Laid(deep);
    EXPECT_EQ(d->Height(), 20);
    EXPECT_EQ(d->Width(), 8 + 255 * (8 + 4));

    // Sizes beyond the largest drawing are refused, not wrapped.
    class HugeMetrics : public FixedTextMetrics
    {
    public:
        int TextWidth(const QString &, int) const override { return 1 << 23; }
    };
    auto huge = TGrafickyVyraz::Create(QStringLiteral("a+b+c"), 5, 5, 16);
    try {
        huge->Measure(HugeMetrics());
        ADD_FAILURE() << "a formula wider than the largest drawing was measured";
    } catch (const EVyrazError &e) {
        EXPECT_EQ(int(e.Fault()), int(TVyrazFault::TooLong));
    }
}
