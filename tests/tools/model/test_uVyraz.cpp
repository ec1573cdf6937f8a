// The expression tree: parsing, printing, dependence, the symbolic
// derivative (checked against the calculator's own evaluation of the
// expression) and the numeric folding.
#include "tools/model/uVyraz.h"

#include "core/Analyzator.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cmath>

namespace K = VyrazKind;

namespace {

// The tree's shape in a compact form: binary operators as "(L op R)",
// postfix as "(L!)" and "(L%)", a function as "name{argument}", a kept
// group as "[contents]", a leaf as its text.
QString Shape(const TVyraz *n)
{
    if (!n)
        return QStringLiteral("<null>");
    switch (n->Kind()) {
    case K::Leaf:
        return n->Text();
    case K::Group:
        return u'[' + Shape(n->Left()) + u']';
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power:
        return u'(' + Shape(n->Left()) + QString(u"+-*/!^"[n->Kind() == K::Power ? 5 : n->Kind() - K::Sum])
               + Shape(n->Right()) + u')';
    case K::Factorial:
        return u'(' + Shape(n->Left()) + QStringLiteral("!)");
    case K::Percent:
        return u'(' + Shape(n->Left()) + QStringLiteral("%)");
    case K::Function:
        return n->Text() + u'{' + Shape(n->Right()) + u'}';
    default:
        return QStringLiteral("<kind %1>").arg(n->Kind());
    }
}

QString ShapeOf(const QString &text)
{
    return Shape(TVyraz::CreateFromText(text).get());
}

struct ParseCase
{
    const char16_t *Text;
    const char16_t *Shape;
    const char16_t *Printed;
};

TEST(VyrazParse, ShapesAndPrinting)
{
    const ParseCase cases[] = {
        // Associativity and precedence.
        {u"a-b+c", u"((a-b)+c)", u"a-b+c"},
        {u"a-(b-c)", u"(a-(b-c))", u"a-(b-c)"},
        {u"a*b/c*d", u"(((a*b)/c)*d)", u"(a*b)/c*d"},
        {u"a/(b*c)", u"(a/(b*c))", u"a/(b*c)"},
        {u"a^b^c", u"(a^(b^c))", u"(a)^((b)^(c))"},
        {u"(a+b)*c", u"((a+b)*c)", u"(a+b)*c"},
        {u"2*(x+1)", u"(2*(x+1))", u"2*(x+1)"},
        {u"x^2", u"(x^2)", u"(x)^(2)"},
        {u"x^2!", u"((x^2)!)", u"((x)^(2))!"},
        {u"x!!", u"((x!)!)", u"(x!)!"},
        {u"50+10%", u"(50+(10%))", u"50+10%"},
        {u"2^10%", u"(2^(10%))", u"(2)^10%"},
        {u"((x))", u"x", u"x"},
        // Functions; the name is whatever stands before the last group.
        {u"sin(x)", u"sin{x}", u"sin(x)"},
        {u"sin (x)", u"sin{x}", u"sin(x)"},
        {u"-sin(x)", u"-sin{x}", u"-sin(x)"},
        {u"sin(x)^2", u"(sin{x}^2)", u"sin(x)^(2)"},
        {u"sin(cos(x))", u"sin{cos{x}}", u"sin(cos(x))"},
        {u"sin(x%)", u"sin{(x%)}", u"sin(x%)"},
        {u"-(a+b)", u"-{(a+b)}", u"-(a+b)"},
        {u"2(x)", u"2{x}", u"2(x)"},
        // Signs: one that opens the text or follows an operator, "(" or a
        // number's "e" is no operator.
        {u"-x", u"-x", u"-x"},
        {u"+x", u"x", u"x"},
        {u"1e-3*x", u"(1e-3*x)", u"1e-3*x"},
        {u"1.5E+3-x", u"(1.5E+3-x)", u"1.5E+3-x"},
        {u"x^-1", u"(x^-1)", u"(x)^(-1)"},
        {u"2*-x", u"(2*-x)", u"2*-x"},
        {u"x - -y", u"(x--y)", u"x--y"},
        {u"$e-1", u"($e-1)", u"$e-1"},
        {u"x2e-3", u"(x2e-3)", u"x2e-3"},
        {u"(-x)", u"-x", u"-x"},
        // A sign binds looser than "^", "!" and "%", as in the calculator.
        {u"-x^2", u"-{(x^2)}", u"-((x)^(2))"},
        {u"2*-x^2", u"(2*-{(x^2)})", u"2*-((x)^(2))"},
        {u"x^-y^2", u"(x^-{(y^2)})", u"(x)^(-((y)^(2)))"},
        {u"-x!", u"-{(x!)}", u"-(x!)"},
        {u"-sin(x)^2", u"-{(sin{x}^2)}", u"-(sin(x)^(2))"},
        {u"--x", u"-{-x}", u"-(-x)"},
        // Brackets that the printing must keep because of a sign.
        {u"(-x)^2", u"(-x^2)", u"(-x)^(2)"},
        {u"(-x)!", u"(-x!)", u"(-x)!"},
        {u"(-sin(x))^2", u"(-sin{x}^2)", u"(-sin(x))^(2)"},
        // Blanks around operands are not part of them.
        {u" x + 1 ", u"(x+1)", u"x+1"},
    };
    for (const ParseCase &c : cases) {
        const QString text = QString::fromUtf16(c.Text);
        SCOPED_TRACE(text.toStdString());
        auto tree = TVyraz::CreateFromText(text);
        EXPECT_EQ(Shape(tree.get()), QString::fromUtf16(c.Shape));
        EXPECT_EQ(tree->ToText(), QString::fromUtf16(c.Printed));
        EXPECT_EQ(tree->ParentKind(), K::Root);
        // What is printed reads back as the same tree.
        EXPECT_EQ(ShapeOf(tree->ToText()), Shape(tree.get()));
    }
}

TEST(VyrazParse, ChildrenKnowTheirParentsKind)
{
    auto tree = TVyraz::CreateFromText(QStringLiteral("2*sin(x)^3"));
    ASSERT_EQ(tree->Kind(), K::Product);
    EXPECT_EQ(tree->Left()->ParentKind(), K::Product);
    const TVyraz *power = tree->Right();
    ASSERT_EQ(power->Kind(), K::Power);
    EXPECT_EQ(power->Left()->Kind(), K::Function);
    EXPECT_EQ(power->Left()->ParentKind(), K::Power);
    EXPECT_EQ(power->Left()->Right()->ParentKind(), K::Function);
    EXPECT_TRUE(power->Right()->IsNumber());
    EXPECT_FALSE(power->Left()->Right()->IsNumber());
}

TEST(VyrazParse, KeptGroupsStandForTheirBrackets)
{
    TVyraz tree;
    tree.Parse(QStringLiteral("(x+b)/(c)-sin(x)"), K::Root, true);
    EXPECT_EQ(Shape(&tree), QStringLiteral("(([(x+b)]/[c])-sin{[x]})"));
    EXPECT_EQ(tree.ToText(), QStringLiteral("(x+b)/(c)-sin(x)"));
    EXPECT_EQ(tree.Derivative(QStringLiteral("x")), QStringLiteral("(((1+0)*(c)-(x+b)*0)/((c))^2-cos(x)*1)"));
}

TEST(VyrazParse, ReparsingReplacesTheOldTree)
{
    TVyraz tree;
    tree.Parse(QStringLiteral("a+b"));
    tree.Parse(QStringLiteral("x"), K::Product);
    EXPECT_EQ(tree.Kind(), K::Leaf);
    EXPECT_EQ(tree.ParentKind(), K::Product);
    EXPECT_EQ(tree.Left(), nullptr);
    tree.FreeChildren();
    EXPECT_EQ(tree.Kind(), K::Empty);
    EXPECT_EQ(tree.ParentKind(), K::Root);
    EXPECT_EQ(tree.ToText(), QStringLiteral("?"));
}

TEST(VyrazParse, MalformedTextIsRefusedClearly)
{
    const struct
    {
        QString Text;
        TVyrazFault Fault;
    } cases[] = {
        {QString(), TVyrazFault::EmptyOperand},
        {QStringLiteral("   "), TVyrazFault::EmptyOperand},
        {QStringLiteral("()"), TVyrazFault::EmptyOperand},
        {QStringLiteral("sin()"), TVyrazFault::EmptyOperand},
        {QStringLiteral("x+"), TVyrazFault::EmptyOperand},
        {QStringLiteral("x+ "), TVyrazFault::EmptyOperand},
        {QStringLiteral("*x"), TVyrazFault::EmptyOperand},
        {QStringLiteral("x^"), TVyrazFault::EmptyOperand},
        {QStringLiteral("x^^2"), TVyrazFault::EmptyOperand},
        {QStringLiteral("!x"), TVyrazFault::EmptyOperand},
        {QStringLiteral("%"), TVyrazFault::EmptyOperand},
        {QStringLiteral("2*-"), TVyrazFault::EmptyOperand},
        {QStringLiteral("-"), TVyrazFault::EmptyOperand},
        {QStringLiteral("((("), TVyrazFault::UnmatchedOpening},
        {QStringLiteral("sin(x"), TVyrazFault::UnmatchedOpening},
        {QStringLiteral("x)"), TVyrazFault::UnmatchedClosing},
        {QStringLiteral("())("), TVyrazFault::UnmatchedClosing},
        {QStringLiteral("(a)(b)"), TVyrazFault::MissingOperator},
        {QStringLiteral("sin(x)y"), TVyrazFault::MissingOperator},
        {QStringLiteral("(x)2"), TVyrazFault::MissingOperator},
        {QStringLiteral("x!2"), TVyrazFault::MissingOperator},
        {QStringLiteral("x!^2"), TVyrazFault::MissingOperator},
        {QStringLiteral("x%y"), TVyrazFault::MissingOperator},
        {QString(256, u'(') + u'x' + QString(256, u')'), TVyrazFault::TooDeep},
        {QString(TVyraz::MaxTextLength + 1, u'x'), TVyrazFault::TooLong},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Text.left(40).toStdString());
        TVyraz tree;
        try {
            tree.Parse(c.Text);
            ADD_FAILURE() << "parsed as " << Shape(&tree).toStdString();
        } catch (const EVyrazError &e) {
            EXPECT_EQ(int(e.Fault()), int(c.Fault));
            EXPECT_FALSE(e.Message().isEmpty());
        }
        EXPECT_EQ(tree.Kind(), K::Empty);
    }
    // Nesting up to the limit is fine.
    EXPECT_EQ(ShapeOf(QString(255, u'(') + u'x' + QString(255, u')')), QStringLiteral("x"));
}

TEST(VyrazParse, LongestTextsTakeBoundedTime)
{
    // 65,535 characters of "x+x+...": a chain far deeper than the tree may
    // grow is refused at once; one as wide but shallow is parsed.
    QString chain = QStringLiteral("x");
    while (chain.size() + 2 <= TVyraz::MaxTextLength)
        chain += QStringLiteral("+x");
    QElapsedTimer timer;
    timer.start();
    try {
        TVyraz::CreateFromText(chain);
        ADD_FAILURE() << "a chain of 32,767 terms was accepted";
    } catch (const EVyrazError &e) {
        EXPECT_EQ(e.Fault(), TVyrazFault::TooDeep);
    }

    QString group = QStringLiteral("(x");
    for (int i = 1; i < 1000; ++i)
        group += QStringLiteral("+x");
    group += u')';
    QString wide = group;
    while (wide.size() + group.size() + 1 <= TVyraz::MaxTextLength)
        wide += u'*' + group;
    auto tree = TVyraz::CreateFromText(wide);
    EXPECT_EQ(tree->Kind(), K::Product);
    EXPECT_EQ(tree->ToText(), wide);
    EXPECT_EQ(tree->EvaluateToText(), wide);
    try {
        EXPECT_GT(tree->Derivative(QStringLiteral("x")).size(), wide.size());
    } catch (const EVyrazError &e) {
        EXPECT_EQ(e.Fault(), TVyrazFault::ResultTooLong);
    }
    // Generous: the point is that nothing here is quadratic in the length.
    // Built with AddressSanitizer every step takes several times as long.
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(timer.elapsed(), 4 * 3000);
#else
    EXPECT_LT(timer.elapsed(), 3000);
#endif
}

// Trees as deep as the tree may grow: every operation recurses once per
// level, and the derivative of a function recurses through the function's
// rule too, so each level must take little stack.
TEST(VyrazParse, DeepestTreesNeedLittleStack)
{
    const int depth = TVyraz::MaxTreeDepth - 10;
    const auto repeat = [](const QString &Piece, int Count) {
        QString r;
        for (int i = 0; i < Count; ++i)
            r += Piece;
        return r;
    };
    const struct
    {
        QString Text;
        QString Derivative; // when it has one
        TVyrazFault Fault;  // otherwise
    } cases[] = {
        // A run of signs: each "-" but the last negates the rest.
        {repeat(QStringLiteral("-"), 3) + u'x', QStringLiteral("(-1)"), {}},
        {repeat(QStringLiteral("-"), 4) + u'x', QStringLiteral("-(-1)"), {}},
        {repeat(QStringLiteral("-"), depth - 1) + u'x', QStringLiteral("(-1)"), {}},
        {repeat(QStringLiteral("-"), depth) + u'x', QStringLiteral("-(-1)"), {}},
        {repeat(QStringLiteral("x^"), depth) + u'x', QString(), TVyrazFault::ResultTooLong},
        {repeat(QStringLiteral("-x^"), depth / 2) + u'x', QString(), TVyrazFault::ResultTooLong},
        {u'x' + repeat(QStringLiteral("!"), depth), QString(), TVyrazFault::CannotDifferentiate},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Text.left(12).toStdString());
        const auto tree = TVyraz::CreateFromText(c.Text);
        EXPECT_GE(tree->ToText().size(), c.Text.size());
        EXPECT_GE(tree->EvaluateToText().size(), c.Text.size());
        EXPECT_FALSE(tree->IsConstant(QStringLiteral("x")));
        try {
            EXPECT_EQ(tree->Derivative(QStringLiteral("x")), c.Derivative);
            EXPECT_FALSE(c.Derivative.isEmpty());
        } catch (const EVyrazError &e) {
            EXPECT_TRUE(c.Derivative.isEmpty()) << e.what();
            EXPECT_EQ(int(e.Fault()), int(c.Fault));
        }
    }
}

TEST(VyrazConstant, DependenceByName)
{
    const struct
    {
        const char16_t *Text;
        const char16_t *Variable;
        bool Constant;
        // clang-format off
    } cases[] = {
        {u"x", u"x", false},   {u"-x", u"x", false},     {u"y", u"x", true},
        {u"X", u"x", false},   {u"x", u"X", false},      {u"2x", u"x", false},
        {u"max", u"x", true},  {u"sin30", u"x", true},   {u"$x", u"x", true},
        {u"2e5", u"e", true},  {u"x+1", u"x", false},    {u"y*3", u"x", true},
        {u"x!", u"x", false},  {u"x%", u"x", false},     {u"sin(x)", u"x", false},
        {u"sin(y)", u"x", true}, {u"logy(2)", u"y", false}, {u"logy(2)", u"x", true},
        {u"x(2)", u"x", false}, {u"5", u"", true},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.Text).toStdString());
        EXPECT_EQ(TVyraz::CreateFromText(QString::fromUtf16(c.Text))->IsConstant(QString::fromUtf16(c.Variable)),
                  c.Constant);
    }
}

TEST(VyrazDerivative, TextsOfTheRules)
{
    const struct
    {
        const char16_t *Text;
        const char16_t *Derivative;
    } cases[] = {
        {u"x", u"1"},
        {u"-x", u"(-1)"},
        {u"5", u"0"},
        {u"y", u"0"},
        {u"x+1", u"(1+0)"},
        {u"x-y", u"(1-0)"},
        {u"x*x", u"(1*x+x*1)"},
        {u"x/2", u"(1*2-x*0)/(2)^2"},
        {u"sin(x)", u"cos(x)*1"},
        {u"-sin(x)", u"-cos(x)*1"},
        {u"-cos(x)", u"sin(x)*1"},
        {u"x^2", u"(2)*(x)^((2)-1)*1"},
        {u"-x^2", u"-(2)*(x)^((2)-1)*1"},
        {u"x^-1", u"(-1)*(x)^((-1)-1)*1"},
        {u"2^x", u"(2)^(x)*ln((2))*1"},
        {u"$e^x", u"$e^((x))*1"},
        {u"x^x", u"(x)^(x)*(1*ln((x))+(x)*1/(x))"},
        {u"ln(x)", u"1/((x))*1"},
        {u"x%", u"(1)/100"},
        {u"x+10%", u"(1*(1+(10)/100)+(x)*(0)/100)"},
        {u"logy(x)", u"1/((x)*ln(y))*1"},
        {u"-(x+1)", u"-(1+0)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.Text).toStdString());
        EXPECT_EQ(TVyraz::CreateFromText(QString::fromUtf16(c.Text))->Derivative(QStringLiteral("x")),
                  QString::fromUtf16(c.Derivative));
    }
}

TEST(VyrazDerivative, PartsWithoutARuleAreRefusedByName)
{
    const struct
    {
        const char16_t *Text;
        const char16_t *Detail;
        // clang-format off
    } cases[] = {
        {u"x!", u"x!"},           {u"2*x!", u"x!"},           {u"gamma(x)", u"gamma(x)"},
        {u"rnd(x)", u"rnd(x)"},   {u"sign(x)", u"sign(x)"},   {u"deg(x)", u"deg(x)"},
        {u"dms(x)", u"dms(x)"},   {u"foo(x)", u"foo(x)"},     {u"x(2)", u"x(2)"},
        {u"2x", u"2x"},           {u"x mod 2", u"x mod 2"},   {u"a+b+x%", u"a+b+x%"},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.Text).toStdString());
        try {
            const QString d = TVyraz::CreateFromText(QString::fromUtf16(c.Text))->Derivative(QStringLiteral("x"));
            ADD_FAILURE() << "derived as " << d.toStdString();
        } catch (const EVyrazError &e) {
            EXPECT_EQ(e.Fault(), TVyrazFault::CannotDifferentiate);
            EXPECT_EQ(e.Detail(), QString::fromUtf16(c.Detail));
            EXPECT_TRUE(e.Message().contains(e.Detail()));
        }
    }
    // Constant parts need no rule.
    EXPECT_EQ(TVyraz::CreateFromText(QStringLiteral("x+gamma(3)+5!"))->Derivative(QStringLiteral("x")),
              QStringLiteral("((1+0)+0)"));
}

TEST(VyrazDerivative, AnAbsurdlyLongResultIsRefused)
{
    // Each level of this nested power holds the level below twice, so its
    // derivative doubles per level and passes the limit long before the
    // text does.
    QString text = QStringLiteral("x");
    while (text.size() < 20000)
        text = QStringLiteral("(") + text + QStringLiteral("*x+") + text + QStringLiteral(")^x");
    ASSERT_LE(text.size(), TVyraz::MaxTextLength);
    try {
        TVyraz::CreateFromText(text)->Derivative(QStringLiteral("x"));
        ADD_FAILURE();
    } catch (const EVyrazError &e) {
        EXPECT_EQ(e.Fault(), TVyrazFault::ResultTooLong);
    }
}

// Every level of a tower x^x^...^x prints the levels above it again, so
// its derivative grows with the square of the height: the highest tower
// whose derivative fits the limit still gets it, one level more is refused.
TEST(VyrazDerivative, TheHighestTowerBelowTheLimitIsDifferentiated)
{
    const auto tower = [](int Height) {
        QString text = QStringLiteral("x");
        for (int i = 1; i < Height; ++i)
            text += QStringLiteral("^x");
        return TVyraz::CreateFromText(text);
    };
    const QString fits = tower(417)->Derivative(QStringLiteral("x"));
    EXPECT_LE(fits.size(), TVyraz::MaxResultLength);
    EXPECT_GT(fits.size(), TVyraz::MaxResultLength - 1000);
    EXPECT_TRUE(fits.startsWith(QStringLiteral("(x)^((x)^((x)^(")));
    for (int height : {418, TVyraz::MaxTreeDepth - 10}) {
        SCOPED_TRACE(height);
        try {
            tower(height)->Derivative(QStringLiteral("x"));
            ADD_FAILURE() << "a derivative longer than the limit was given";
        } catch (const EVyrazError &e) {
            EXPECT_EQ(e.Fault(), TVyrazFault::ResultTooLong);
        }
    }
}

// The calculator's value of Expr with the user variables x (and y) set,
// in radians.
class VyrazNumeric : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KProgramState::GetInstance(0)->SetDefaults();
        KProgramState::GetInstance(0)->AngleMode = 1;
        TVariableManager::Instance()->Clear();
    }
    void TearDown() override
    {
        KProgramState::GetInstance(0)->SetDefaults();
        TVariableManager::Instance()->Clear();
    }

    static Extended Value(const QString &Expr, const QString &Variable, Extended At, Extended Y = 2)
    {
        TVariableManager *vars = TVariableManager::Instance();
        vars->SetValue(QStringLiteral("y"), FloatToStr(Y));
        vars->SetValue(Variable, FloatToStrGeneral(At, 18));
        TCalculationError err;
        QString value;
        RealPreprocessed = false;
        ExpressionValid = true;
        EvaluateReal(Expr, err, FunctionNames(), value);
        EXPECT_EQ(err.ErrorCode, 0) << Expr.toStdString();
        value.remove(u'[');
        value.remove(u']');
        return StrToFloat(value);
    }

    // The derivative's value at a point agrees with a central difference
    // of the expression.
    static void ExpectSlope(const QString &Expr, Extended At, const QString &Variable = QStringLiteral("x"))
    {
        SCOPED_TRACE(Expr.toStdString());
        QString derivative;
        try {
            derivative = TVyraz::CreateFromText(Expr)->Derivative(Variable);
        } catch (const EVyrazError &e) {
            ADD_FAILURE() << e.what();
            return;
        }
        SCOPED_TRACE(derivative.toStdString());
        const Extended h = 1e-6L;
        Extended slope;
        if (Variable == u"y") {
            slope =
                (Value(Expr, QStringLiteral("x"), 2, At + h) - Value(Expr, QStringLiteral("x"), 2, At - h)) / (2 * h);
            EXPECT_NEAR(double(Value(derivative, QStringLiteral("x"), 2, At)), double(slope),
                        1e-5 * (1 + std::fabs(double(slope))));
        } else {
            slope = (Value(Expr, Variable, At + h) - Value(Expr, Variable, At - h)) / (2 * h);
            EXPECT_NEAR(double(Value(derivative, Variable, At)), double(slope), 1e-5 * (1 + std::fabs(double(slope))));
        }
    }
};

TEST_F(VyrazNumeric, EveryFunctionOfTheTable)
{
    // clang-format off
    const char16_t *functions[] = {
        u"ln",    u"log",     u"logy",   u"sin",    u"cos",     u"tg",      u"tan",     u"cotg",
        u"cotan", u"sec",     u"csc",    u"arcsin", u"arccos",  u"arctg",   u"arctan",  u"arccotg",
        u"arccot", u"sinh",   u"cosh",   u"tgh",    u"tanh",    u"cotgh",   u"coth",    u"arcsinh",
        u"exp",   u"sqrt",    u"sqr",    u"abs",
    };
    // clang-format on
    for (const char16_t *f : functions) {
        const QString name = QString::fromUtf16(f);
        // The argument 0.3*x+0.1 at x = 0.7 lies in every domain and checks
        // the chain rule.
        ExpectSlope(name + QStringLiteral("(0.3*x+0.1)"), 0.7L);
        ExpectSlope(u'-' + name + QStringLiteral("(x^2)"), 0.5L);
    }
    // The inverse hyperbolic functions that need other domains.
    ExpectSlope(QStringLiteral("arccosh(x^2+1)"), 0.8L);
    ExpectSlope(QStringLiteral("arctgh(x/3)"), 0.8L);
    ExpectSlope(QStringLiteral("arctanh(x/3)"), 0.8L);
    ExpectSlope(QStringLiteral("arccotgh(x+2)"), 0.8L);
    ExpectSlope(QStringLiteral("arccoth(x+2)"), 0.8L);
    ExpectSlope(QStringLiteral("abs(x-3)"), 0.8L);
}

TEST_F(VyrazNumeric, OperatorsSignsAndTheGeneralPower)
{
    // clang-format off
    const char16_t *expressions[] = {
        u"-x^2",           u"2*-x^2",        u"x^-1",          u"1e-3*x^3",      u"-x^2+3*x-1",
        u"x^x",            u"(x+1)^sin(x)",  u"x^(1/2)",       u"2^x",           u"(x^2)^x",
        u"x/(x+1)",        u"(x-1)/(x^2+1)", u"x*x*x*x",       u"-(x+1)*x",      u"--x",
        u"x^2^2",          u"x^-x^2",        u"sin(x)^2",      u"-sin(x)^2",     u"(-sin(x))^2",
        u"x%",             u"x+10%",         u"x-10%",         u"2*x+x%",        u"3*x-x%",
        u"sin(x%)",        u"-(x%)",         u"logy(x)",       u"logy(x^2)*x",
    };
    // clang-format on
    for (const char16_t *e : expressions)
        ExpectSlope(QString::fromUtf16(e), 0.7L);
    // By y, the base of logy.
    ExpectSlope(QStringLiteral("logy(x)"), 3, QStringLiteral("y"));
    ExpectSlope(QStringLiteral("y*logy(x+y)"), 3, QStringLiteral("y"));
}

TEST(VyrazFold, NumbersAreComputedTheRestKept)
{
    const struct
    {
        const char16_t *Text;
        const char16_t *Folded;
    } cases[] = {
        {u"2+3*4", u"14"},
        {u"x*1", u"x"},
        {u"1*x", u"x"},
        {u"0*x", u"0"},
        {u"x*0", u"0"},
        {u"x+0", u"x"},
        {u"0+x", u"x"},
        {u"0-x", u"-x"},
        {u"x-0", u"x"},
        {u"0/x", u"0"},
        {u"sin(0)", u"sin[0]"},
        {u"sin(1+1)", u"sin[2]"},
        {u"x/10000", u"x/10000"},
        {u"1/10000", u"0.0001"},
        {u"1/3", u"0.333333333333333"},
        {u"2^10", u"1024"},
        {u"2^0.5*x", u"1.4142135623731*x"},
        {u"x^2", u"(x)^((2))"},
        {u"x^1", u"(x)"},
        {u"x^0", u"1"},
        {u"1^x", u"1"},
        {u"(1-4)^x", u"(-3)^((x))"},
        {u"(1-4)!", u"(-3)!"},
        {u"x!", u"x!"},
        {u"x%", u"x%"},
        {u"(x+1)*(2*3)", u"(x+1)*6"},
        {u"1/0", u"1/0"},
        {u"0/0", u"0/0"},
        {u"(2-2)^(0-1)", u"(0)^((-1))"},
        {u"1e-20*1e-20", u"1E-40"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.Text).toStdString());
        EXPECT_EQ(TVyraz::CreateFromText(QString::fromUtf16(c.Text))->EvaluateToText(), QString::fromUtf16(c.Folded));
    }
}

// The deepest tower folds to the text its levels give, each inner power in
// brackets: (x)^(((x)^(...))).
TEST(VyrazFold, TheDeepestTowerFoldsWhole)
{
    const int height = TVyraz::MaxTreeDepth - 10;
    QString text = QStringLiteral("x");
    QString inner = QStringLiteral("(x)");
    for (int i = 1; i < height; ++i) {
        text += QStringLiteral("^x");
        if (i < height - 1)
            inner = QStringLiteral("((x)^(") + inner + QStringLiteral("))");
    }
    EXPECT_EQ(TVyraz::CreateFromText(text)->EvaluateToText(), QStringLiteral("(x)^(") + inner + u')');
    // Numbers among the levels are still computed: 2^3^2 = 2^9.
    EXPECT_EQ(TVyraz::CreateFromText(QStringLiteral("x^2^3^2"))->EvaluateToText(), QStringLiteral("(x)^((512))"));
}

TEST(VyrazFold, FollowsTheDecimalSeparator)
{
    const QChar old = DecimalSeparator;
    DecimalSeparator = u',';
    EXPECT_EQ(TVyraz::CreateFromText(QStringLiteral("1,5*2+x"))->EvaluateToText(), QStringLiteral("3+x"));
    EXPECT_EQ(TVyraz::CreateFromText(QStringLiteral("1/4"))->EvaluateToText(), QStringLiteral("0,25"));
    DecimalSeparator = old;
}

// A subclass gets its own nodes from the parse and may set its own kinds.
class TMarkedVyraz : public TVyraz
{
public:
    int Mark = 7;
    void ForceKind(quint8 Kind) { SetKind(Kind); }

protected:
    std::unique_ptr<TVyraz> NewNode() const override { return std::make_unique<TMarkedVyraz>(); }
};

TEST(VyrazSubclass, ParseMakesNodesOfTheSubclass)
{
    TMarkedVyraz tree;
    tree.Parse(QStringLiteral("a+sin(b)"));
    ASSERT_NE(dynamic_cast<const TMarkedVyraz *>(tree.Left()), nullptr);
    ASSERT_NE(dynamic_cast<const TMarkedVyraz *>(tree.Right()->Right()), nullptr);
    EXPECT_EQ(dynamic_cast<const TMarkedVyraz *>(tree.Right()->Right())->Mark, 7);
    tree.ForceKind(42);
    EXPECT_EQ(tree.ToText(), QStringLiteral("?"));
    EXPECT_EQ(tree.EvaluateToText(), QStringLiteral("?"));
}

TEST(VyrazSubclass, ParenthesizeWrapsText)
{
    QString s = QStringLiteral("a+b");
    TVyraz::Parenthesize(s);
    EXPECT_EQ(s, QStringLiteral("(a+b)"));
}

} // namespace
