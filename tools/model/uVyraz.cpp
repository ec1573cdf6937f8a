#include "tools/model/uVyraz.h"

#include "core/uCommon.h"
#include "platform/Classes.h"
#include "platform/FloatMath.h"

#include <QList>

#include <array>

namespace K = VyrazKind;

// ------------------------------------------------------------------ errors

EVyrazError::EVyrazError(TVyrazFault Fault, const QString &Detail)
    : Exception(QString(DefaultMessage(Fault)).replace(QStringLiteral("#1"), Detail)), m_fault(Fault), m_detail(Detail)
{}

QString EVyrazError::DefaultMessage(TVyrazFault Fault)
{
    switch (Fault) {
    case TVyrazFault::EmptyOperand:
        return QStringLiteral("An operand is missing in the expression.");
    case TVyrazFault::UnmatchedOpening:
        return QStringLiteral("A bracket is not closed.");
    case TVyrazFault::UnmatchedClosing:
        return QStringLiteral("A closing bracket has no opening bracket.");
    case TVyrazFault::MissingOperator:
        return QStringLiteral("An operator is missing between two operands.");
    case TVyrazFault::TooDeep:
        return QStringLiteral("The expression is nested too deeply.");
    case TVyrazFault::TooLong:
        return QStringLiteral("The expression is too long.");
    case TVyrazFault::CannotDifferentiate:
        return QStringLiteral("Cannot differentiate #1.");
    case TVyrazFault::ResultTooLong:
        return QStringLiteral("The derivative is too long.");
    }
    return QString();
}

// ----------------------------------------------------------------- helpers

namespace {

bool IsBlank(QChar C)
{
    return C == u' ';
}

bool IsDigit(QChar C)
{
    return C >= u'0' && C <= u'9';
}

bool IsAsciiLetter(QChar C)
{
    return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z');
}

QString WithoutBlanks(const QString &S)
{
    QString r = S;
    r.remove(u' ');
    return r;
}

// The name as the rules look it up: no blanks, lower case.
QString Normalized(const QString &S)
{
    return LowerCase(WithoutBlanks(S));
}

bool CollectsVariable(const QString &Text, const QString &Variable)
{
    TStringList names;
    CollectVariables(Text, names, QString());
    for (const QString &name : names.Lines())
        if (LowerCase(name) == Variable)
            return true;
    return false;
}

// Whether Text names Variable (already normalized) as the calculator reads
// names: whole names only ("2x" does, "max" and "sin30" do not), the base
// "y" of "logy" included. Words apart count on their own as well, so that
// "x mod 2" depends on x.
bool NamesVariable(const QString &Text, const QString &Variable)
{
    if (Variable.isEmpty())
        return false;
    if (CollectsVariable(Text, Variable))
        return true;
    if (!Text.contains(u' '))
        return false;
    for (const QString &word : Text.split(u' ', Qt::SkipEmptyParts))
        if (CollectsVariable(word, Variable))
            return true;
    return false;
}

// Bracket-free kinds that print without brackets under a parent kind.
bool In(quint8 Kind, std::initializer_list<quint8> Kinds)
{
    for (quint8 k : Kinds)
        if (k == Kind)
            return true;
    return false;
}

} // namespace

// ------------------------------------------------------------------ parser

// Reads one text into a tree. Everything about the text that the passes
// need is computed once: bracket partners, bracket depth, which "+" and "-"
// are operators, and for each operator class the nearest operator of that
// class on the same bracket level. Each node then finds its operator in
// constant time, so the whole parse is linear in the length of the text.
class TVyrazParser
{
public:
    TVyrazParser(const QString &Text, bool KeepGroups);
    void Parse(TVyraz &Node, quint8 ParentKind);

private:
    enum Class : quint8 {
        cNone = 0,
        cAddSub,
        cMulDiv,
        cBang,
        cCaret,
        cPercent,
        cCount
    };

    void ParseRange(TVyraz &Node, int A, int B, quint8 ParentKind, int Depth);
    std::unique_ptr<TVyraz> Child(const TVyraz &Parent, int A, int B, quint8 ParentKind, int Depth);
    void Split(TVyraz &Node, quint8 Kind, int A, int Op, int B, int Depth);
    bool IsSignOperator(int I) const;
    bool IsExponentMark(int I) const;
    bool HasBrackets(int A, int B) const { return m_brackets[B + 1] - m_brackets[A] > 0; }
    // The last operator of class C at or before I on I's level, -1 for none.
    int LastOp(Class C, int I) const { return m_last[C][I]; }
    QString Slice(int A, int B) const { return m_text.mid(A, B - A + 1); }

    const QString &m_text;
    const bool m_keepGroups;
    QList<int> m_partner;
    QList<int> m_brackets; // number of brackets before each position
    std::array<QList<int>, cCount> m_last;
    QList<int> m_nextCaret; // the first "^" at or after each position on its level
};

TVyrazParser::TVyrazParser(const QString &Text, bool KeepGroups) : m_text(Text), m_keepGroups(KeepGroups)
{
    const int n = int(Text.size());
    if (n > TVyraz::MaxTextLength)
        throw EVyrazError(TVyrazFault::TooLong);

    // Bracket partners and levels; a "(" and its ")" stand on the outer level.
    m_partner.fill(-1, n);
    m_brackets.fill(0, n + 1);
    QList<int> level(n, 0);
    QList<int> open;
    for (int i = 0; i < n; ++i) {
        const QChar c = Text[i];
        m_brackets[i + 1] = m_brackets[i] + (c == u'(' || c == u')' ? 1 : 0);
        level[i] = int(open.size());
        if (c == u'(') {
            open.append(i);
            if (open.size() > TVyraz::MaxBracketDepth)
                throw EVyrazError(TVyrazFault::TooDeep);
        } else if (c == u')') {
            if (open.isEmpty())
                throw EVyrazError(TVyrazFault::UnmatchedClosing);
            const int j = open.takeLast();
            m_partner[i] = j;
            m_partner[j] = i;
            level[i] = int(open.size());
        }
    }
    if (!open.isEmpty())
        throw EVyrazError(TVyrazFault::UnmatchedOpening);

    QList<Class> cls(n, cNone);
    for (int i = 0; i < n; ++i) {
        switch (Text[i].unicode()) {
        case u'+':
        case u'-':
            cls[i] = IsSignOperator(i) ? cAddSub : cNone;
            break;
        case u'*':
        case u'/':
            cls[i] = cMulDiv;
            break;
        case u'!':
            cls[i] = cBang;
            break;
        case u'^':
            cls[i] = cCaret;
            break;
        case u'%':
            cls[i] = cPercent;
            break;
        default:
            break;
        }
    }

    // Nearest operators on the same level: a bracket pair starts a fresh
    // level inside it, and the level outside resumes after its ")".
    const int levels = TVyraz::MaxBracketDepth + 2;
    for (int c = cAddSub; c < cCount; ++c) {
        QList<int> &last = m_last[c];
        last.fill(-1, n);
        QList<int> seen(levels, -1);
        for (int i = 0; i < n; ++i) {
            if (Text[i] == u'(')
                seen[level[i] + 1] = -1;
            else if (cls[i] == c)
                seen[level[i]] = i;
            last[i] = seen[level[i]];
        }
    }
    m_nextCaret.fill(-1, n);
    QList<int> seen(levels, -1);
    for (int i = n - 1; i >= 0; --i) {
        if (Text[i] == u')')
            seen[level[i] + 1] = -1;
        else if (cls[i] == cCaret)
            seen[level[i]] = i;
        m_nextCaret[i] = seen[level[i]];
    }
}

// The "e" at I is the exponent mark of a number: digits (with separators)
// stand right before it, and no name or "$" before them.
bool TVyrazParser::IsExponentMark(int I) const
{
    int k = I - 1;
    bool digit = false;
    while (k >= 0 && (IsDigit(m_text[k]) || m_text[k] == u'.' || m_text[k] == u',')) {
        digit = digit || IsDigit(m_text[k]);
        --k;
    }
    if (!digit || k == I - 1)
        return false;
    return k < 0 || !(IsAsciiLetter(m_text[k]) || m_text[k] == u'$' || m_text[k] == u'_');
}

// A "+" or "-" is an operator unless it opens the text or follows an
// operator, a "(" or the "e" of a number (blanks between are ignored).
bool TVyrazParser::IsSignOperator(int I) const
{
    int p = I - 1;
    while (p >= 0 && IsBlank(m_text[p]))
        --p;
    if (p < 0)
        return false;
    const QChar c = m_text[p];
    if (c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'^' || c == u'(')
        return false;
    if ((c == u'e' || c == u'E') && IsExponentMark(p))
        return false;
    return true;
}

void TVyrazParser::Parse(TVyraz &Node, quint8 ParentKind)
{
    ParseRange(Node, 0, int(m_text.size()) - 1, ParentKind, 0);
}

std::unique_ptr<TVyraz> TVyrazParser::Child(const TVyraz &Parent, int A, int B, quint8 ParentKind, int Depth)
{
    std::unique_ptr<TVyraz> child = Parent.NewNode();
    ParseRange(*child, A, B, ParentKind, Depth + 1);
    return child;
}

void TVyrazParser::Split(TVyraz &Node, quint8 Kind, int A, int Op, int B, int Depth)
{
    Node.m_kind = Kind;
    Node.m_left = Child(Node, A, Op - 1, Kind, Depth);
    Node.m_right = Child(Node, Op + 1, B, Kind, Depth);
}

void TVyrazParser::ParseRange(TVyraz &Node, int A, int B, quint8 ParentKind, int Depth)
{
    if (Depth > TVyraz::MaxTreeDepth)
        throw EVyrazError(TVyrazFault::TooDeep);
    Node.m_parentKind = ParentKind;
    for (;;) {
        while (A <= B && IsBlank(m_text[A]))
            ++A;
        while (B >= A && IsBlank(m_text[B]))
            --B;
        if (A > B)
            throw EVyrazError(TVyrazFault::EmptyOperand);

        // The rightmost operator of the loosest class splits; one in the
        // first position is a sign, never an operator.
        int op = LastOp(cAddSub, B);
        if (op > A) {
            Split(Node, m_text[op] == u'+' ? K::Sum : K::Difference, A, op, B, Depth);
            return;
        }
        op = LastOp(cMulDiv, B);
        if (op > A) {
            Split(Node, m_text[op] == u'*' ? K::Product : K::Quotient, A, op, B, Depth);
            return;
        }

        // A leading sign: "+" changes nothing; "-" before an operand that
        // "!", "^" or "%" would split negates the whole of it.
        if (m_text[A] == u'+') {
            ++A;
            continue;
        }
        if (m_text[A] == u'-') {
            int r = A + 1;
            while (r <= B && IsBlank(m_text[r]))
                ++r;
            if (r > B)
                throw EVyrazError(TVyrazFault::EmptyOperand);
            const int caret = m_nextCaret[r];
            const bool splits = m_text[r] == u'+' || m_text[r] == u'-' || LastOp(cBang, B) >= r
                                || LastOp(cPercent, B) >= r || (caret >= 0 && caret <= B);
            if (splits) {
                Node.m_kind = K::Function;
                Node.m_text = QStringLiteral("-");
                Node.m_right = Child(Node, r, B, K::Function, Depth);
                return;
            }
        }

        op = LastOp(cBang, B);
        if (op > A) {
            if (op != B)
                throw EVyrazError(TVyrazFault::MissingOperator);
            Node.m_kind = K::Factorial;
            Node.m_left = Child(Node, A, op - 1, K::Factorial, Depth);
            return;
        }
        // "^" groups from the right: the leftmost one splits.
        op = m_nextCaret[A];
        if (op >= 0 && op < B) {
            Split(Node, K::Power, A, op, B, Depth);
            return;
        }
        op = LastOp(cPercent, B);
        if (op > A) {
            if (op != B)
                throw EVyrazError(TVyrazFault::MissingOperator);
            Node.m_kind = K::Percent;
            Node.m_left = Child(Node, A, op - 1, K::Percent, Depth);
            return;
        }

        if (m_text[B] == u')') {
            const int open = m_partner[B];
            if (open == A) {
                if (m_keepGroups) {
                    Node.m_kind = K::Group;
                    Node.m_left = Child(Node, A + 1, B - 1, K::Root, Depth);
                    return;
                }
                // The group leaves no node: its contents take its place.
                ++A;
                --B;
                continue;
            }
            int nameEnd = open - 1;
            while (IsBlank(m_text[nameEnd]))
                --nameEnd;
            const QString name = Slice(A, nameEnd);
            if (HasBrackets(A, nameEnd))
                throw EVyrazError(TVyrazFault::MissingOperator);
            for (qsizetype i = name.startsWith(u'-') ? 1 : 0; i < name.size(); ++i)
                if (QStringView(u"+-*/^!%").contains(name[i]))
                    throw EVyrazError(TVyrazFault::EmptyOperand);
            Node.m_kind = K::Function;
            Node.m_text = name;
            Node.m_right = Child(Node, open, B, K::Function, Depth);
            return;
        }
        if (HasBrackets(A, B))
            throw EVyrazError(TVyrazFault::MissingOperator);
        for (int i = A; i <= B; ++i)
            if (QStringView(u"*/^!%").contains(m_text[i]))
                throw EVyrazError(TVyrazFault::EmptyOperand);
        Node.m_kind = K::Leaf;
        Node.m_text = Slice(A, B);
        return;
    }
}

// -------------------------------------------------------------------- node

TVyraz::TVyraz() = default;

TVyraz::~TVyraz() = default;

std::unique_ptr<TVyraz> TVyraz::NewNode() const
{
    return std::make_unique<TVyraz>();
}

std::unique_ptr<TVyraz> TVyraz::CreateFromText(const QString &Text, quint8 ParentKind)
{
    auto node = std::make_unique<TVyraz>();
    node->Parse(Text, ParentKind);
    return node;
}

void TVyraz::Parse(const QString &Text, quint8 ParentKind, bool KeepGroups)
{
    FreeChildren();
    try {
        TVyrazParser parser(Text, KeepGroups);
        parser.Parse(*this, ParentKind);
    } catch (...) {
        FreeChildren();
        throw;
    }
}

void TVyraz::FreeChildren()
{
    m_kind = K::Empty;
    m_parentKind = K::Root;
    m_text.clear();
    m_left.reset();
    m_right.reset();
}

bool TVyraz::IsNumber() const
{
    Extended value;
    return m_kind == K::Leaf && TryStrToFloat(m_text, value);
}

void TVyraz::Parenthesize(QString &S)
{
    S = u'(' + S + u')';
}

// ---------------------------------------------------------------- printing

QString TVyraz::ToText() const
{
    QString out;
    AppendText(out);
    return out;
}

void TVyraz::AppendText(QString &Out) const
{
    const quint8 pk = m_parentKind;
    const bool signed_ = m_text.startsWith(u'-') || m_text.startsWith(u'+');
    bool bare = true;
    switch (m_kind) {
    case K::Leaf:
        // A signed operand of "!" keeps its brackets: (-x)! is not -(x!).
        bare = pk != K::Power && pk != K::Function && !(pk == K::Factorial && signed_);
        break;
    case K::Sum:
    case K::Difference:
        bare = In(pk, {K::Sum, K::Root});
        break;
    case K::Product:
    case K::Quotient:
        bare = In(pk, {K::Sum, K::Difference, K::Product, K::Root});
        break;
    case K::Factorial:
    case K::Power:
        bare = In(pk, {K::Sum, K::Difference, K::Product, K::Quotient, K::Root});
        break;
    case K::Function:
        // A negated function is a power's base or a factorial's operand only
        // in brackets, since the sign binds looser than "^" and "!".
        bare = signed_ ? In(pk, {K::Sum, K::Difference, K::Product, K::Quotient, K::Root})
                       : (pk >= K::Sum && pk <= K::Power) || pk == K::Root;
        break;
    case K::Percent:
        bare = pk != K::Function;
        break;
    case K::Group:
        break;
    default:
        Out += u'?';
        return;
    }
    if (!bare)
        Out += u'(';
    switch (m_kind) {
    case K::Leaf:
        Out += m_text;
        break;
    case K::Group:
        Out += u'(';
        m_left->AppendText(Out);
        Out += u')';
        break;
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power:
        m_left->AppendText(Out);
        Out += QStringView(u"+-*/!^").at(m_kind == K::Power ? 5 : m_kind - K::Sum);
        m_right->AppendText(Out);
        break;
    case K::Factorial:
        m_left->AppendText(Out);
        Out += u'!';
        break;
    case K::Percent:
        m_left->AppendText(Out);
        Out += u'%';
        break;
    case K::Function:
        Out += m_text;
        m_right->AppendText(Out);
        break;
    }
    if (!bare)
        Out += u')';
}

// -------------------------------------------------------------- dependence

bool TVyraz::IsConstant(const QString &Variable) const
{
    return !DependsOn(Normalized(Variable));
}

bool TVyraz::DependsOn(const QString &Variable) const
{
    switch (m_kind) {
    case K::Leaf:
        return NamesVariable(m_text, Variable);
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power:
        return m_left->DependsOn(Variable) || m_right->DependsOn(Variable);
    case K::Factorial:
    case K::Percent:
    case K::Group:
        return m_left->DependsOn(Variable);
    case K::Function:
        return NamesVariable(m_text, Variable) || m_right->DependsOn(Variable);
    default:
        return false;
    }
}

// -------------------------------------------------------------- derivative

struct TVyraz::TDerivation
{
    QString Variable; // normalized
    QHash<const TVyraz *, bool> Depends;

    void Check(const QString &Out) const
    {
        if (Out.size() > MaxResultLength)
            throw EVyrazError(TVyrazFault::ResultTooLong);
    }
};

bool TVyraz::Depends(TDerivation &D) const
{
    const auto it = D.Depends.constFind(this);
    if (it != D.Depends.constEnd())
        return it.value();
    bool depends = false;
    switch (m_kind) {
    case K::Leaf:
        depends = NamesVariable(m_text, D.Variable);
        break;
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power: {
        const bool left = m_left->Depends(D);
        const bool right = m_right->Depends(D);
        depends = left || right;
        break;
    }
    case K::Factorial:
    case K::Percent:
    case K::Group:
        depends = m_left->Depends(D);
        break;
    case K::Function: {
        const bool argument = m_right->Depends(D);
        depends = argument || NamesVariable(m_text, D.Variable);
        break;
    }
    default:
        break;
    }
    D.Depends.insert(this, depends);
    return depends;
}

QString TVyraz::Derivative(const QString &Variable) const
{
    TDerivation d;
    d.Variable = Normalized(Variable);
    QString out;
    Derive(d, out);
    return out;
}

void TVyraz::Derive(TDerivation &D, QString &Out) const
{
    // Checked on the way down as well, so that a text that has grown too
    // long stops the derivation before the deeper levels add to it.
    D.Check(Out);
    if (!Depends(D)) {
        Out += u'0';
        return;
    }
    switch (m_kind) {
    case K::Leaf: {
        const QString leaf = Normalized(m_text);
        if (leaf == D.Variable)
            Out += u'1';
        else if (leaf == u'-' + D.Variable)
            Out += QStringLiteral("(-1)");
        else
            throw EVyrazError(TVyrazFault::CannotDifferentiate, m_text);
        break;
    }
    case K::Group:
        m_left->Derive(D, Out);
        break;
    case K::Sum:
    case K::Difference:
        if (m_right->m_kind == K::Percent) {
            DerivePercentSum(D, Out);
            break;
        }
        Out += u'(';
        m_left->Derive(D, Out);
        Out += m_kind == K::Sum ? u'+' : u'-';
        m_right->Derive(D, Out);
        Out += u')';
        break;
    case K::Product:
        Out += u'(';
        m_left->Derive(D, Out);
        Out += u'*';
        m_right->AppendText(Out);
        Out += u'+';
        m_left->AppendText(Out);
        Out += u'*';
        m_right->Derive(D, Out);
        Out += u')';
        break;
    case K::Quotient:
        Out += u'(';
        m_left->Derive(D, Out);
        Out += u'*';
        m_right->AppendText(Out);
        Out += u'-';
        m_left->AppendText(Out);
        Out += u'*';
        m_right->Derive(D, Out);
        Out += QStringLiteral(")/(");
        m_right->AppendText(Out);
        Out += QStringLiteral(")^2");
        break;
    case K::Power: {
        const bool base = m_left->Depends(D);
        const bool exponent = m_right->Depends(D);
        if (base && exponent) {
            // d(u^v) = u^v*(v'*ln(u)+v*u'/u)
            AppendText(Out);
            Out += QStringLiteral("*(");
            m_right->Derive(D, Out);
            Out += QStringLiteral("*ln(");
            m_left->AppendText(Out);
            Out += QStringLiteral(")+");
            m_right->AppendText(Out);
            Out += u'*';
            m_left->Derive(D, Out);
            Out += u'/';
            m_left->AppendText(Out);
            Out += u')';
            break;
        }
        if (exponent) {
            if (m_left->m_kind == K::Leaf && Normalized(m_left->m_text) == QLatin1String("$e")) {
                Out += QStringLiteral("$e^(");
                m_right->AppendText(Out);
                Out += u')';
            } else {
                AppendText(Out);
                Out += QStringLiteral("*ln(");
                m_left->AppendText(Out);
                Out += u')';
            }
            Out += u'*';
            m_right->Derive(D, Out);
        } else {
            m_right->AppendText(Out);
            Out += u'*';
            m_left->AppendText(Out);
            Out += QStringLiteral("^(");
            m_right->AppendText(Out);
            Out += QStringLiteral("-1)*");
            m_left->Derive(D, Out);
        }
        break;
    }
    case K::Function:
        DeriveFunction(D, Out);
        break;
    case K::Percent:
        Out += u'(';
        m_left->Derive(D, Out);
        Out += QStringLiteral(")/100");
        break;
    default:
        // A factorial (its derivative needs the digamma function) and
        // anything unknown.
        throw EVyrazError(TVyrazFault::CannotDifferentiate, ToText());
    }
    D.Check(Out);
}

// a + b% is a*(1 + b/100) in the calculator, a - b% is a*(1 - b/100), where
// a is the term right before the sign. When the left side is itself a sum
// the tree cannot tell '(a+b)+c%' from 'a+b+c%', which the calculator reads
// differently, so such a sum has no derivative here.
void TVyraz::DerivePercentSum(TDerivation &D, QString &Out) const
{
    if (m_left->m_kind == K::Sum || m_left->m_kind == K::Difference)
        throw EVyrazError(TVyrazFault::CannotDifferentiate, ToText());
    const QChar sign = m_kind == K::Sum ? u'+' : u'-';
    const TVyraz *b = m_right->m_left.get();
    Out += u'(';
    m_left->Derive(D, Out);
    Out += QStringLiteral("*(1");
    Out += sign;
    Out += u'(';
    b->AppendText(Out);
    Out += QStringLiteral(")/100)");
    Out += sign;
    Out += u'(';
    m_left->AppendText(Out);
    Out += QStringLiteral(")*(");
    b->Derive(D, Out);
    Out += QStringLiteral(")/100)");
}

namespace {

// The derivative of the function Name (normalized, without a leading sign)
// at its argument A (printed with its brackets), before the chain rule;
// false when Name has no rule. Kept apart from the recursive derivation:
// the many texts of the table would otherwise take room in every level of
// the recursion, and a deeply nested derivative would need a large stack.
[[gnu::noinline]] bool FunctionRule(const QString &Name, const QString &A, QString &Rule)
{
    if (Name == u"ln") {
        Rule = QStringLiteral("1/(") + A + u')';
    } else if (Name == u"log") {
        Rule = QStringLiteral("1/(") + A + QStringLiteral("*ln(10))");
    } else if (Name == u"logy") {
        Rule = QStringLiteral("1/(") + A + QStringLiteral("*ln(y))");
    } else if (Name == u"sin") {
        Rule = QStringLiteral("cos") + A;
    } else if (Name == u"cos") {
        Rule = QStringLiteral("-sin") + A;
    } else if (Name == u"tg" || Name == u"tan") {
        Rule = QStringLiteral("1/cos") + A + QStringLiteral("^2");
    } else if (Name == u"cotg" || Name == u"cotan") {
        Rule = QStringLiteral("-1/sin") + A + QStringLiteral("^2");
    } else if (Name == u"sec") {
        Rule = QStringLiteral("sec") + A + QStringLiteral("*tan") + A;
    } else if (Name == u"csc") {
        Rule = QStringLiteral("-csc") + A + QStringLiteral("*cotan") + A;
    } else if (Name == u"arcsin") {
        Rule = QStringLiteral("1/(1-") + A + QStringLiteral("^2)^(1/2)");
    } else if (Name == u"arccos") {
        Rule = QStringLiteral("-1/(1-") + A + QStringLiteral("^2)^(1/2)");
    } else if (Name == u"arctg" || Name == u"arctan") {
        Rule = QStringLiteral("1/(") + A + QStringLiteral("^2+1)");
    } else if (Name == u"arccotg" || Name == u"arccot") {
        Rule = QStringLiteral("-1/(") + A + QStringLiteral("^2+1)");
    } else if (Name == u"sinh") {
        Rule = QStringLiteral("cosh") + A;
    } else if (Name == u"cosh") {
        Rule = QStringLiteral("sinh") + A;
    } else if (Name == u"tgh" || Name == u"tanh") {
        Rule = QStringLiteral("1/cosh") + A + QStringLiteral("^2");
    } else if (Name == u"cotgh" || Name == u"cotanh" || Name == u"coth") {
        Rule = QStringLiteral("-1/sinh") + A + QStringLiteral("^2");
    } else if (Name == u"arcsinh") {
        Rule = QStringLiteral("1/(1+") + A + QStringLiteral("^2)^(1/2)");
    } else if (Name == u"arccosh") {
        Rule = QStringLiteral("1/(") + A + QStringLiteral("^2-1)^(1/2)");
    } else if (Name == u"arctgh" || Name == u"arctanh" || Name == u"arccotgh" || Name == u"arccoth") {
        Rule = QStringLiteral("1/(1-") + A + QStringLiteral("^2)");
    } else if (Name == u"exp") {
        Rule = QStringLiteral("exp") + A;
    } else if (Name == u"sqrt") {
        Rule = QStringLiteral("1/(2*sqrt") + A + u')';
    } else if (Name == u"sqr") {
        Rule = QStringLiteral("2*") + A;
    } else if (Name == u"abs") {
        Rule = QStringLiteral("sign") + A;
    } else {
        // gamma (digamma), sign and rnd (steps), deg and dms (piecewise
        // conversions), and any name that is not a function.
        return false;
    }
    return true;
}

} // namespace

void TVyraz::DeriveFunction(TDerivation &D, QString &Out) const
{
    const bool negated = m_text.startsWith(u'-');
    const QString name = Normalized(negated ? m_text.mid(1) : m_text);

    QString rule;
    if (name.isEmpty()) {
        // A negated operand: only the chain remains.
        m_right->Derive(D, rule);
    } else {
        // The argument as printed always carries its brackets.
        QString a = m_right->ToText();
        if (!a.startsWith(u'('))
            Parenthesize(a);
        if (name == u"logy" && D.Variable == u"y") {
            // logy(u) = ln(u)/ln(y), and y is the variable.
            rule = CreateFromText(QStringLiteral("ln") + a + QStringLiteral("/ln(y)"))->Derivative(D.Variable);
        } else {
            if (!FunctionRule(name, a, rule))
                throw EVyrazError(TVyrazFault::CannotDifferentiate, ToText());
            if (m_right->Depends(D)) {
                rule += u'*';
                m_right->Derive(D, rule);
            }
        }
    }
    // Every rule is a product-like term, so a sign in front negates all of it.
    if (negated) {
        if (rule.startsWith(u'-'))
            rule.remove(0, 1);
        else
            rule.prepend(u'-');
    }
    Out += rule;
}

// ----------------------------------------------------------------- folding

struct TVyraz::TFolded
{
    QString Text;
    bool Numeric = false;
    Extended Value = 0;
};

TVyraz::TFolded TVyraz::Fold() const
{
    const quint8 pk = m_parentKind;
    TFolded r;
    switch (m_kind) {
    case K::Leaf:
        r.Text = m_text;
        r.Numeric = TryStrToFloat(m_text, r.Value);
        if (pk == K::Power || (pk == K::Factorial && (m_text.startsWith(u'-') || m_text.startsWith(u'+'))))
            Parenthesize(r.Text);
        return r;
    case K::Group: {
        TFolded inner = m_left->Fold();
        r = inner;
        if (!inner.Numeric)
            r.Text = u'(' + inner.Text + u')';
        return r;
    }
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power: {
        const TFolded l = m_left->Fold();
        const TFolded rr = m_right->Fold();
        if (l.Numeric && rr.Numeric) {
            try {
                switch (m_kind) {
                case K::Sum:
                    r.Value = FAdd(l.Value, rr.Value);
                    break;
                case K::Difference:
                    r.Value = FSub(l.Value, rr.Value);
                    break;
                case K::Product:
                    r.Value = FMul(l.Value, rr.Value);
                    break;
                case K::Quotient:
                    r.Value = FDiv(l.Value, rr.Value);
                    break;
                default:
                    r.Value = FPower(l.Value, rr.Value);
                    break;
                }
                r.Numeric = true;
                r.Text = FloatToStr(r.Value);
                // A computed number keeps its brackets where a sign would
                // otherwise bind differently: (-3)^x, (-3)!.
                if (pk == K::Power || (pk == K::Factorial && r.Value < 0))
                    Parenthesize(r.Text);
                return r;
            } catch (const Exception &) {
                // Not computable (1/0, (-8)^(1/3)): kept as written, without
                // the reductions that assume a value exists.
            }
        }
        const bool numbers = l.Numeric && rr.Numeric;
        auto is = [numbers](const TFolded &f, int value) { return !numbers && f.Numeric && f.Value == value; };
        switch (m_kind) {
        case K::Sum:
            r.Text = is(l, 0) ? rr.Text : is(rr, 0) ? l.Text : l.Text + u'+' + rr.Text;
            if (!In(pk, {K::Sum, K::Function, K::Root}))
                Parenthesize(r.Text);
            break;
        case K::Difference:
            r.Text = is(l, 0) ? u'-' + rr.Text : is(rr, 0) ? l.Text : l.Text + u'-' + rr.Text;
            if (!In(pk, {K::Sum, K::Function, K::Root}))
                Parenthesize(r.Text);
            break;
        case K::Product:
            r.Text = is(l, 1)                  ? rr.Text
                     : is(rr, 1)               ? l.Text
                     : (is(l, 0) || is(rr, 0)) ? QStringLiteral("0")
                                               : l.Text + u'*' + rr.Text;
            if (!In(pk, {K::Sum, K::Difference, K::Product, K::Function, K::Root}))
                Parenthesize(r.Text);
            break;
        case K::Quotient:
            r.Text = is(l, 0) ? QStringLiteral("0") : l.Text + u'/' + rr.Text;
            if (!In(pk, {K::Sum, K::Difference, K::Product, K::Function, K::Root}))
                Parenthesize(r.Text);
            break;
        default:
            r.Text = is(l, 0)                ? QStringLiteral("0")
                     : is(l, 1) || is(rr, 0) ? QStringLiteral("1")
                     : is(rr, 1)             ? l.Text
                                             : l.Text + QStringLiteral("^(") + rr.Text + u')';
            if (!In(pk, {K::Sum, K::Difference, K::Product, K::Quotient, K::Root}))
                Parenthesize(r.Text);
            break;
        }
        return r;
    }
    case K::Factorial:
        r.Text = m_left->Fold().Text + u'!';
        return r;
    case K::Percent:
        r.Text = m_left->Fold().Text + u'%';
        return r;
    case K::Function:
        r.Text = m_text + u'[' + m_right->Fold().Text + u']';
        if (!((pk >= K::Sum && pk <= K::Power) || pk == K::Root))
            Parenthesize(r.Text);
        return r;
    default:
        r.Text = QStringLiteral("?");
        return r;
    }
}

QString TVyraz::EvaluateToText() const
{
    return Fold().Text;
}
