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
    // Every name found stands in the text as written, so a text without
    // the variable's letters needs no scan (a deep tree has many leaves).
    if (Variable.isEmpty() || !Text.contains(Variable, Qt::CaseInsensitive))
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

// ---------------------------------------------- dependence and derivative

struct TVyraz::TDerivation
{
    QString Variable; // normalized
    QHash<const TVyraz *, bool> Depends;
    QHash<QString, bool> Names; // leaf and function texts that name the variable
    QHash<const TVyraz *, qint64> Printed;
    QHash<const TVyraz *, qint64> Least;

    void Check(const QString &Out) const
    {
        if (Out.size() > MaxResultLength)
            throw EVyrazError(TVyrazFault::ResultTooLong);
    }
    bool Named(const QString &Text)
    {
        const auto it = Names.constFind(Text);
        if (it != Names.constEnd())
            return it.value();
        const bool named = NamesVariable(Text, Variable);
        Names.insert(Text, named);
        return named;
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
        depends = D.Named(m_text);
        break;
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power:
        // The other side is asked only when needed: the answer for a side
        // not asked is found later if the derivative needs it.
        depends = m_left->Depends(D) || m_right->Depends(D);
        break;
    case K::Factorial:
    case K::Percent:
    case K::Group:
        depends = m_left->Depends(D);
        break;
    case K::Function:
        depends = D.Named(m_text) || m_right->Depends(D);
        break;
    default:
        break;
    }
    D.Depends.insert(this, depends);
    return depends;
}

bool TVyraz::IsConstant(const QString &Variable) const
{
    TDerivation d;
    d.Variable = Normalized(Variable);
    return !Depends(d);
}

// At most as long as the node's printed text: the text and operators
// without the brackets that printing may add.
qint64 TVyraz::PrintedLength(TDerivation &D) const
{
    const auto it = D.Printed.constFind(this);
    if (it != D.Printed.constEnd())
        return it.value();
    qint64 length = 1;
    switch (m_kind) {
    case K::Leaf:
        length = m_text.size();
        break;
    case K::Group:
        length = m_left->PrintedLength(D) + 2;
        break;
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power:
        length = m_left->PrintedLength(D) + 1 + m_right->PrintedLength(D);
        break;
    case K::Factorial:
    case K::Percent:
        length = m_left->PrintedLength(D) + 1;
        break;
    case K::Function:
        length = m_text.size() + m_right->PrintedLength(D);
        break;
    default:
        break;
    }
    D.Printed.insert(this, length);
    return length;
}

// A length that the node's derivative, when it has one, reaches at least:
// the printed operands and the derivatives that its rule always writes.
// Rules left out count nothing, which keeps it a lower bound.
qint64 TVyraz::LeastDerivativeLength(TDerivation &D) const
{
    if (!Depends(D))
        return 1;
    const auto it = D.Least.constFind(this);
    if (it != D.Least.constEnd())
        return it.value();
    qint64 least = 0;
    const auto printed = [&D](const TVyraz *Node) { return Node->PrintedLength(D); };
    const auto derived = [&D](const TVyraz *Node) { return Node->LeastDerivativeLength(D); };
    const TVyraz *l = m_left.get();
    const TVyraz *r = m_right.get();
    switch (m_kind) {
    case K::Leaf:
        least = 1;
        break;
    case K::Group:
        least = derived(l);
        break;
    case K::Sum:
    case K::Difference:
        if (r->m_kind != K::Percent)
            least = derived(l) + 1 + derived(r);
        break;
    case K::Product:
        least = derived(l) + printed(r) + printed(l) + derived(r);
        break;
    case K::Quotient:
        least = derived(l) + 2 * printed(r) + printed(l) + derived(r);
        break;
    case K::Power: {
        const bool base = l->Depends(D);
        const bool exponent = r->Depends(D);
        if (base && exponent)
            least = PrintedLength(D) + derived(r) + 2 * printed(l) + printed(r) + derived(l);
        else if (exponent)
            least = printed(r) + derived(r); // "$e^(" + the exponent, or the whole power
        else
            least = 2 * printed(r) + printed(l) + derived(l);
        break;
    }
    case K::Function:
        // A sign in front may take one "-" off the rule.
        if (Normalized(m_text.startsWith(u'-') ? m_text.mid(1) : m_text).isEmpty())
            least = derived(r) - 1;
        else
            // Every rule writes its argument; the chain adds its derivative.
            least = printed(r) + (r->Depends(D) ? derived(r) : 0);
        break;
    case K::Percent:
        least = derived(l);
        break;
    default:
        break;
    }
    D.Least.insert(this, least);
    return least;
}

QString TVyraz::Derivative(const QString &Variable) const
{
    TDerivation d;
    d.Variable = Normalized(Variable);
    // A derivative that could only come out too long is refused before it
    // is written: in a tower such as x^x^...^x every level prints the
    // levels above it again.
    if (LeastDerivativeLength(d) > MaxResultLength)
        throw EVyrazError(TVyrazFault::ResultTooLong);
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

// What a node's folded text is made of: decided once per node from its
// children's values, then the whole text is written in one pass. Building
// each node's text from its children's texts would copy a deep tree's text
// once per level.
struct TVyraz::TFoldShape
{
    enum class TForm : quint8 {
        Own,       // the node's own text (a leaf)
        Number,    // a computed number
        LeftOnly,  // the left child's text (a reduction such as x*1, or a group)
        RightOnly, // the right child's text (1*x, 0+x)
        Zero,
        One,
        Negated, // "-" and the right child's text (0-x)
        Binary,  // left, operator, right
        Postfix, // left and "!" or "%"
        Call,    // name, "[", argument, "]"
        Unknown, // "?"
    };
    TForm Form = TForm::Unknown;
    bool Parenthesized = false;
    bool Numeric = false;
    Extended Value = 0;
    QString Number;
};

struct TVyraz::TFolding
{
    QHash<const TVyraz *, TFoldShape> Shapes;
};

TVyraz::TFoldShape TVyraz::Fold(TFolding &F) const
{
    using Form = TFoldShape::TForm;
    const quint8 pk = m_parentKind;
    TFoldShape r;
    switch (m_kind) {
    case K::Leaf:
        r.Form = Form::Own;
        r.Numeric = TryStrToFloat(m_text, r.Value);
        r.Parenthesized =
            pk == K::Power || (pk == K::Factorial && (m_text.startsWith(u'-') || m_text.startsWith(u'+')));
        break;
    case K::Group: {
        const TFoldShape inner = m_left->Fold(F);
        r.Form = Form::LeftOnly;
        r.Numeric = inner.Numeric;
        r.Value = inner.Value;
        r.Parenthesized = !inner.Numeric;
        break;
    }
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power: {
        const TFoldShape l = m_left->Fold(F);
        const TFoldShape rr = m_right->Fold(F);
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
                r.Form = Form::Number;
                r.Numeric = true;
                r.Number = FloatToStr(r.Value);
                // A computed number keeps its brackets where a sign would
                // otherwise bind differently: (-3)^x, (-3)!.
                r.Parenthesized = pk == K::Power || (pk == K::Factorial && r.Value < 0);
                break;
            } catch (const Exception &) {
                // Not computable (1/0, (-8)^(1/3)): kept as written, without
                // the reductions that assume a value exists.
                r = TFoldShape();
            }
        }
        const bool numbers = l.Numeric && rr.Numeric;
        auto is = [numbers](const TFoldShape &f, int value) { return !numbers && f.Numeric && f.Value == value; };
        switch (m_kind) {
        case K::Sum:
            r.Form = is(l, 0) ? Form::RightOnly : is(rr, 0) ? Form::LeftOnly : Form::Binary;
            r.Parenthesized = !In(pk, {K::Sum, K::Function, K::Root});
            break;
        case K::Difference:
            r.Form = is(l, 0) ? Form::Negated : is(rr, 0) ? Form::LeftOnly : Form::Binary;
            r.Parenthesized = !In(pk, {K::Sum, K::Function, K::Root});
            break;
        case K::Product:
            r.Form = is(l, 1)                  ? Form::RightOnly
                     : is(rr, 1)               ? Form::LeftOnly
                     : (is(l, 0) || is(rr, 0)) ? Form::Zero
                                               : Form::Binary;
            r.Parenthesized = !In(pk, {K::Sum, K::Difference, K::Product, K::Function, K::Root});
            break;
        case K::Quotient:
            r.Form = is(l, 0) ? Form::Zero : Form::Binary;
            r.Parenthesized = !In(pk, {K::Sum, K::Difference, K::Product, K::Function, K::Root});
            break;
        default:
            r.Form = is(l, 0)                ? Form::Zero
                     : is(l, 1) || is(rr, 0) ? Form::One
                     : is(rr, 1)             ? Form::LeftOnly
                                             : Form::Binary;
            r.Parenthesized = !In(pk, {K::Sum, K::Difference, K::Product, K::Quotient, K::Root});
            break;
        }
        break;
    }
    case K::Factorial:
    case K::Percent:
        m_left->Fold(F);
        r.Form = Form::Postfix;
        break;
    case K::Function:
        m_right->Fold(F);
        r.Form = Form::Call;
        r.Parenthesized = !((pk >= K::Sum && pk <= K::Power) || pk == K::Root);
        break;
    default:
        break;
    }
    F.Shapes.insert(this, r);
    return r;
}

void TVyraz::WriteFolded(const TFolding &F, QString &Out) const
{
    using Form = TFoldShape::TForm;
    const TFoldShape &s = *F.Shapes.constFind(this);
    if (s.Parenthesized)
        Out += u'(';
    switch (s.Form) {
    case Form::Own:
        Out += m_text;
        break;
    case Form::Number:
        Out += s.Number;
        break;
    case Form::LeftOnly:
        m_left->WriteFolded(F, Out);
        break;
    case Form::RightOnly:
        m_right->WriteFolded(F, Out);
        break;
    case Form::Zero:
        Out += u'0';
        break;
    case Form::One:
        Out += u'1';
        break;
    case Form::Negated:
        Out += u'-';
        m_right->WriteFolded(F, Out);
        break;
    case Form::Binary:
        m_left->WriteFolded(F, Out);
        if (m_kind == K::Power)
            Out += QStringLiteral("^(");
        else
            Out += QStringView(u"+-*/").at(m_kind - K::Sum);
        m_right->WriteFolded(F, Out);
        if (m_kind == K::Power)
            Out += u')';
        break;
    case Form::Postfix:
        m_left->WriteFolded(F, Out);
        Out += m_kind == K::Factorial ? u'!' : u'%';
        break;
    case Form::Call:
        Out += m_text;
        Out += u'[';
        m_right->WriteFolded(F, Out);
        Out += u']';
        break;
    case Form::Unknown:
        Out += u'?';
        break;
    }
    if (s.Parenthesized)
        Out += u')';
}

QString TVyraz::EvaluateToText() const
{
    TFolding folding;
    Fold(folding);
    QString out;
    WriteFolded(folding, out);
    return out;
}
