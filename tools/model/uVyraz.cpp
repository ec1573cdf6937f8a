#include "tools/model/uVyraz.h"

#include "core/uCommon.h"
#include "platform/Classes.h"
#include "platform/FloatMath.h"

#include <QList>

#include <array>

namespace K = VyrazKind;

// ------------------------------------------------------------------ errors

EVyrazError::EVyrazError(TVyrazFault fault, const QString &detail)
    : Exception(QString(DefaultMessage(fault)).replace(QStringLiteral("#1"), detail)), m_fault(fault), m_detail(detail)
{}

QString EVyrazError::DefaultMessage(TVyrazFault fault)
{
    switch (fault) {
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

bool IsBlank(QChar c)
{
    return c == u' ';
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

QString WithoutBlanks(const QString &s)
{
    QString r = s;
    r.remove(u' ');
    return r;
}

// The name as the rules look it up: no blanks, lower case.
QString Normalized(const QString &s)
{
    return LowerCase(WithoutBlanks(s));
}

bool CollectsVariable(const QString &text, const QString &variable)
{
    TStringList names;
    CollectVariables(text, names, QString());
    for (const QString &name : names.Lines())
        if (LowerCase(name) == variable)
            return true;
    return false;
}

// Whether Text names Variable (already normalized) as the calculator reads
// names: whole names only ("2x" does, "max" and "sin30" do not), the base
// "y" of "logy" included. Words apart count on their own as well, so that
// "x mod 2" depends on x.
bool NamesVariable(const QString &text, const QString &variable)
{
    // Every name found stands in the text as written, so a text without
    // the variable's letters needs no scan (a deep tree has many leaves).
    if (variable.isEmpty() || !text.contains(variable, Qt::CaseInsensitive))
        return false;
    if (CollectsVariable(text, variable))
        return true;
    if (!text.contains(u' '))
        return false;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts))
        if (CollectsVariable(word, variable))
            return true;
    return false;
}

// Bracket-free kinds that print without brackets under a parent kind.
bool In(quint8 kind, std::initializer_list<quint8> kinds)
{
    for (quint8 k : kinds)
        if (k == kind)
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
    TVyrazParser(const QString &text, bool keepGroups);
    void Parse(TVyraz &node, quint8 parentKind);

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

    void ParseRange(TVyraz &node, int a, int b, quint8 parentKind, int depth);
    std::unique_ptr<TVyraz> Child(const TVyraz &parent, int a, int b, quint8 parentKind, int depth);
    void Split(TVyraz &node, quint8 kind, int a, int op, int b, int depth);
    bool IsSignOperator(int i) const;
    bool IsExponentMark(int i) const;
    bool HasBrackets(int a, int b) const { return m_brackets[b + 1] - m_brackets[a] > 0; }
    // The last operator of class C at or before I on I's level, -1 for none.
    int LastOp(Class c, int i) const { return m_last[c][i]; }
    QString Slice(int a, int b) const { return m_text.mid(a, b - a + 1); }

    const QString &m_text;
    const bool m_keepGroups;
    QList<int> m_partner;
    QList<int> m_brackets; // number of brackets before each position
    std::array<QList<int>, cCount> m_last;
    QList<int> m_nextCaret; // the first "^" at or after each position on its level
};

TVyrazParser::TVyrazParser(const QString &text, bool keepGroups) : m_text(text), m_keepGroups(keepGroups)
{
    const int n = int(text.size());
    if (n > TVyraz::MaxTextLength)
        throw EVyrazError(TVyrazFault::TooLong);

    // Bracket partners and levels; a "(" and its ")" stand on the outer level.
    m_partner.fill(-1, n);
    m_brackets.fill(0, n + 1);
    QList<int> level(n, 0);
    QList<int> open;
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
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
        switch (text[i].unicode()) {
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
            if (text[i] == u'(')
                seen[level[i] + 1] = -1;
            else if (cls[i] == c)
                seen[level[i]] = i;
            last[i] = seen[level[i]];
        }
    }
    m_nextCaret.fill(-1, n);
    QList<int> seen(levels, -1);
    for (int i = n - 1; i >= 0; --i) {
        if (text[i] == u')')
            seen[level[i] + 1] = -1;
        else if (cls[i] == cCaret)
            seen[level[i]] = i;
        m_nextCaret[i] = seen[level[i]];
    }
}

// The "e" at I is the exponent mark of a number: digits (with separators)
// stand right before it, and no name or "$" before them.
bool TVyrazParser::IsExponentMark(int i) const
{
    int k = i - 1;
    bool digit = false;
    while (k >= 0 && (IsDigit(m_text[k]) || m_text[k] == u'.' || m_text[k] == u',')) {
        digit = digit || IsDigit(m_text[k]);
        --k;
    }
    if (!digit || k == i - 1)
        return false;
    return k < 0 || !(IsAsciiLetter(m_text[k]) || m_text[k] == u'$' || m_text[k] == u'_');
}

// A "+" or "-" is an operator unless it opens the text or follows an
// operator, a "(" or the "e" of a number (blanks between are ignored).
bool TVyrazParser::IsSignOperator(int i) const
{
    int p = i - 1;
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

void TVyrazParser::Parse(TVyraz &node, quint8 parentKind)
{
    ParseRange(node, 0, int(m_text.size()) - 1, parentKind, 0);
}

std::unique_ptr<TVyraz> TVyrazParser::Child(const TVyraz &parent, int a, int b, quint8 parentKind, int depth)
{
    std::unique_ptr<TVyraz> child = parent.NewNode();
    ParseRange(*child, a, b, parentKind, depth + 1);
    return child;
}

void TVyrazParser::Split(TVyraz &node, quint8 kind, int a, int op, int b, int depth)
{
    node.m_kind = kind;
    node.m_left = Child(node, a, op - 1, kind, depth);
    node.m_right = Child(node, op + 1, b, kind, depth);
}

void TVyrazParser::ParseRange(TVyraz &node, int a, int b, quint8 parentKind, int depth)
{
    if (depth > TVyraz::MaxTreeDepth)
        throw EVyrazError(TVyrazFault::TooDeep);
    node.m_parentKind = parentKind;
    for (;;) {
        while (a <= b && IsBlank(m_text[a]))
            ++a;
        while (b >= a && IsBlank(m_text[b]))
            --b;
        if (a > b)
            throw EVyrazError(TVyrazFault::EmptyOperand);

        // The rightmost operator of the loosest class splits; one in the
        // first position is a sign, never an operator.
        int op = LastOp(cAddSub, b);
        if (op > a) {
            Split(node, m_text[op] == u'+' ? K::Sum : K::Difference, a, op, b, depth);
            return;
        }
        op = LastOp(cMulDiv, b);
        if (op > a) {
            Split(node, m_text[op] == u'*' ? K::Product : K::Quotient, a, op, b, depth);
            return;
        }

        // A leading sign: "+" changes nothing; "-" before an operand that
        // "!", "^" or "%" would split negates the whole of it.
        if (m_text[a] == u'+') {
            ++a;
            continue;
        }
        if (m_text[a] == u'-') {
            int r = a + 1;
            while (r <= b && IsBlank(m_text[r]))
                ++r;
            if (r > b)
                throw EVyrazError(TVyrazFault::EmptyOperand);
            const int caret = m_nextCaret[r];
            const bool splits = m_text[r] == u'+' || m_text[r] == u'-' || LastOp(cBang, b) >= r
                                || LastOp(cPercent, b) >= r || (caret >= 0 && caret <= b);
            if (splits) {
                node.m_kind = K::Function;
                node.m_text = QStringLiteral("-");
                node.m_right = Child(node, r, b, K::Function, depth);
                return;
            }
        }

        op = LastOp(cBang, b);
        if (op > a) {
            if (op != b)
                throw EVyrazError(TVyrazFault::MissingOperator);
            node.m_kind = K::Factorial;
            node.m_left = Child(node, a, op - 1, K::Factorial, depth);
            return;
        }
        // "^" groups from the right: the leftmost one splits.
        op = m_nextCaret[a];
        if (op >= 0 && op < b) {
            Split(node, K::Power, a, op, b, depth);
            return;
        }
        op = LastOp(cPercent, b);
        if (op > a) {
            if (op != b)
                throw EVyrazError(TVyrazFault::MissingOperator);
            node.m_kind = K::Percent;
            node.m_left = Child(node, a, op - 1, K::Percent, depth);
            return;
        }

        if (m_text[b] == u')') {
            const int open = m_partner[b];
            if (open == a) {
                if (m_keepGroups) {
                    node.m_kind = K::Group;
                    node.m_left = Child(node, a + 1, b - 1, K::Root, depth);
                    return;
                }
                // The group leaves no node: its contents take its place.
                ++a;
                --b;
                continue;
            }
            int nameEnd = open - 1;
            while (IsBlank(m_text[nameEnd]))
                --nameEnd;
            const QString name = Slice(a, nameEnd);
            if (HasBrackets(a, nameEnd))
                throw EVyrazError(TVyrazFault::MissingOperator);
            for (qsizetype i = name.startsWith(u'-') ? 1 : 0; i < name.size(); ++i)
                if (QStringView(u"+-*/^!%").contains(name[i]))
                    throw EVyrazError(TVyrazFault::EmptyOperand);
            node.m_kind = K::Function;
            node.m_text = name;
            node.m_right = Child(node, open, b, K::Function, depth);
            return;
        }
        if (HasBrackets(a, b))
            throw EVyrazError(TVyrazFault::MissingOperator);
        for (int i = a; i <= b; ++i)
            if (QStringView(u"*/^!%").contains(m_text[i]))
                throw EVyrazError(TVyrazFault::EmptyOperand);
        node.m_kind = K::Leaf;
        node.m_text = Slice(a, b);
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

std::unique_ptr<TVyraz> TVyraz::CreateFromText(const QString &text, quint8 parentKind)
{
    auto node = std::make_unique<TVyraz>();
    node->Parse(text, parentKind);
    return node;
}

void TVyraz::Parse(const QString &text, quint8 parentKind, bool keepGroups)
{
    FreeChildren();
    try {
        TVyrazParser parser(text, keepGroups);
        parser.Parse(*this, parentKind);
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

void TVyraz::Parenthesize(QString &s)
{
    s = u'(' + s + u')';
}

// ---------------------------------------------------------------- printing

QString TVyraz::ToText() const
{
    QString out;
    AppendText(out);
    return out;
}

void TVyraz::AppendText(QString &out) const
{
    const quint8 pk = m_parentKind;
    const bool hasSign = m_text.startsWith(u'-') || m_text.startsWith(u'+');
    bool bare = true;
    switch (m_kind) {
    case K::Leaf:
        // A signed operand of "!" keeps its brackets: (-x)! is not -(x!).
        bare = pk != K::Power && pk != K::Function && !(pk == K::Factorial && hasSign);
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
        bare = hasSign ? In(pk, {K::Sum, K::Difference, K::Product, K::Quotient, K::Root})
                       : (pk >= K::Sum && pk <= K::Power) || pk == K::Root;
        break;
    case K::Percent:
        bare = pk != K::Function;
        break;
    case K::Group:
        break;
    default:
        out += u'?';
        return;
    }
    if (!bare)
        out += u'(';
    switch (m_kind) {
    case K::Leaf:
        out += m_text;
        break;
    case K::Group:
        out += u'(';
        m_left->AppendText(out);
        out += u')';
        break;
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power:
        m_left->AppendText(out);
        out += QStringView(u"+-*/!^").at(m_kind == K::Power ? 5 : m_kind - K::Sum);
        m_right->AppendText(out);
        break;
    case K::Factorial:
        m_left->AppendText(out);
        out += u'!';
        break;
    case K::Percent:
        m_left->AppendText(out);
        out += u'%';
        break;
    case K::Function:
        out += m_text;
        m_right->AppendText(out);
        break;
    }
    if (!bare)
        out += u')';
}

// ---------------------------------------------- dependence and derivative

struct TVyraz::TDerivation
{
    explicit TDerivation(const QString &variable) : Variable(Normalized(variable)) {}

    const QString Variable; // normalized
    QHash<const TVyraz *, bool> Depends;
    QHash<QString, bool> Names; // leaf and function texts that name the variable
    QHash<const TVyraz *, qint64> Printed;
    QHash<const TVyraz *, qint64> Least;

    void Check(const QString &out) const
    {
        if (out.size() > MaxResultLength)
            throw EVyrazError(TVyrazFault::ResultTooLong);
    }
    bool Named(const QString &text)
    {
        const auto it = Names.constFind(text);
        if (it != Names.constEnd())
            return it.value();
        const bool named = NamesVariable(text, Variable);
        Names.insert(text, named);
        return named;
    }
};

bool TVyraz::Depends(TDerivation &d) const
{
    const auto it = d.Depends.constFind(this);
    if (it != d.Depends.constEnd())
        return it.value();
    bool depends = false;
    switch (m_kind) {
    case K::Leaf:
        depends = d.Named(m_text);
        break;
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power:
        // The other side is asked only when needed: the answer for a side
        // not asked is found later if the derivative needs it.
        depends = m_left->Depends(d) || m_right->Depends(d);
        break;
    case K::Factorial:
    case K::Percent:
    case K::Group:
        depends = m_left->Depends(d);
        break;
    case K::Function:
        depends = d.Named(m_text) || m_right->Depends(d);
        break;
    default:
        break;
    }
    d.Depends.insert(this, depends);
    return depends;
}

bool TVyraz::IsConstant(const QString &variable) const
{
    TDerivation d(variable);
    return !Depends(d);
}

// At most as long as the node's printed text: the text and operators
// without the brackets that printing may add.
qint64 TVyraz::PrintedLength(TDerivation &d) const
{
    const auto it = d.Printed.constFind(this);
    if (it != d.Printed.constEnd())
        return it.value();
    qint64 length = 1;
    switch (m_kind) {
    case K::Leaf:
        length = m_text.size();
        break;
    case K::Group:
        length = m_left->PrintedLength(d) + 2;
        break;
    case K::Sum:
    case K::Difference:
    case K::Product:
    case K::Quotient:
    case K::Power:
        length = m_left->PrintedLength(d) + 1 + m_right->PrintedLength(d);
        break;
    case K::Factorial:
    case K::Percent:
        length = m_left->PrintedLength(d) + 1;
        break;
    case K::Function:
        length = m_text.size() + m_right->PrintedLength(d);
        break;
    default:
        break;
    }
    d.Printed.insert(this, length);
    return length;
}

// A length that the node's derivative, when it has one, reaches at least:
// the printed operands and the derivatives that its rule always writes.
// Rules left out count nothing, which keeps it a lower bound.
qint64 TVyraz::LeastDerivativeLength(TDerivation &d) const
{
    if (!Depends(d))
        return 1;
    const auto it = d.Least.constFind(this);
    if (it != d.Least.constEnd())
        return it.value();
    qint64 least = 0;
    const auto printed = [&d](const TVyraz *node) { return node->PrintedLength(d); };
    const auto derived = [&d](const TVyraz *node) { return node->LeastDerivativeLength(d); };
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
        const bool base = l->Depends(d);
        const bool exponent = r->Depends(d);
        if (base && exponent)
            least = PrintedLength(d) + derived(r) + 2 * printed(l) + printed(r) + derived(l);
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
            least = printed(r) + (r->Depends(d) ? derived(r) : 0);
        break;
    case K::Percent:
        least = derived(l);
        break;
    default:
        break;
    }
    d.Least.insert(this, least);
    return least;
}

QString TVyraz::Derivative(const QString &variable) const
{
    TDerivation d(variable);
    // A derivative that could only come out too long is refused before it
    // is written: in a tower such as x^x^...^x every level prints the
    // levels above it again.
    if (LeastDerivativeLength(d) > MaxResultLength)
        throw EVyrazError(TVyrazFault::ResultTooLong);
    QString out;
    Derive(d, out);
    return out;
}

void TVyraz::Derive(TDerivation &d, QString &out) const
{
    // Checked on the way down as well, so that a text that has grown too
    // long stops the derivation before the deeper levels add to it.
    d.Check(out);
    if (!Depends(d)) {
        out += u'0';
        return;
    }
    switch (m_kind) {
    case K::Leaf: {
        const QString leaf = Normalized(m_text);
        if (leaf == d.Variable)
            out += u'1';
        else if (leaf == u'-' + d.Variable)
            out += QStringLiteral("(-1)");
        else
            throw EVyrazError(TVyrazFault::CannotDifferentiate, m_text);
        break;
    }
    case K::Group:
        m_left->Derive(d, out);
        break;
    case K::Sum:
    case K::Difference:
        if (m_right->m_kind == K::Percent) {
            DerivePercentSum(d, out);
            break;
        }
        out += u'(';
        m_left->Derive(d, out);
        out += m_kind == K::Sum ? u'+' : u'-';
        m_right->Derive(d, out);
        out += u')';
        break;
    case K::Product:
        DeriveProductRule(d, u'+', out);
        break;
    case K::Quotient:
        DeriveProductRule(d, u'-', out);
        out += QStringLiteral("/(");
        m_right->AppendText(out);
        out += QStringLiteral(")^2");
        break;
    case K::Power: {
        const bool base = m_left->Depends(d);
        const bool exponent = m_right->Depends(d);
        if (base && exponent) {
            // d(u^v) = u^v*(v'*ln(u)+v*u'/u)
            AppendText(out);
            out += QStringLiteral("*(");
            m_right->Derive(d, out);
            out += QStringLiteral("*ln(");
            m_left->AppendText(out);
            out += QStringLiteral(")+");
            m_right->AppendText(out);
            out += u'*';
            m_left->Derive(d, out);
            out += u'/';
            m_left->AppendText(out);
            out += u')';
            break;
        }
        if (exponent) {
            if (m_left->m_kind == K::Leaf && Normalized(m_left->m_text) == QLatin1String("$e")) {
                out += QStringLiteral("$e^(");
                m_right->AppendText(out);
                out += u')';
            } else {
                AppendText(out);
                out += QStringLiteral("*ln(");
                m_left->AppendText(out);
                out += u')';
            }
            out += u'*';
            m_right->Derive(d, out);
        } else {
            m_right->AppendText(out);
            out += u'*';
            m_left->AppendText(out);
            out += QStringLiteral("^(");
            m_right->AppendText(out);
            out += QStringLiteral("-1)*");
            m_left->Derive(d, out);
        }
        break;
    }
    case K::Function:
        DeriveFunction(d, out);
        break;
    case K::Percent:
        out += u'(';
        m_left->Derive(d, out);
        out += QStringLiteral(")/100");
        break;
    default:
        // A factorial (its derivative needs the digamma function) and
        // anything unknown.
        throw EVyrazError(TVyrazFault::CannotDifferentiate, ToText());
    }
    d.Check(out);
}

// a + b% is a*(1 + b/100) in the calculator, a - b% is a*(1 - b/100), where
// a is the term right before the sign. When the left side is itself a sum
// the tree cannot tell '(a+b)+c%' from 'a+b+c%', which the calculator reads
// differently, so such a sum has no derivative here.
// (u'*v+u*v') for a product; with sign '-' the numerator of a quotient's.
void TVyraz::DeriveProductRule(TDerivation &d, QChar sign, QString &out) const
{
    out += u'(';
    m_left->Derive(d, out);
    out += u'*';
    m_right->AppendText(out);
    out += sign;
    m_left->AppendText(out);
    out += u'*';
    m_right->Derive(d, out);
    out += u')';
}

void TVyraz::DerivePercentSum(TDerivation &d, QString &out) const
{
    if (m_left->m_kind == K::Sum || m_left->m_kind == K::Difference)
        throw EVyrazError(TVyrazFault::CannotDifferentiate, ToText());
    const QChar sign = m_kind == K::Sum ? u'+' : u'-';
    const TVyraz *b = m_right->m_left.get();
    out += u'(';
    m_left->Derive(d, out);
    out += QStringLiteral("*(1");
    out += sign;
    out += u'(';
    b->AppendText(out);
    out += QStringLiteral(")/100)");
    out += sign;
    out += u'(';
    m_left->AppendText(out);
    out += QStringLiteral(")*(");
    b->Derive(d, out);
    out += QStringLiteral(")/100)");
}

namespace {

// The derivative of the function Name (normalized, without a leading sign)
// at its argument A (printed with its brackets), before the chain rule;
// false when Name has no rule. Kept apart from the recursive derivation:
// the many texts of the table would otherwise take room in every level of
// the recursion, and a deeply nested derivative would need a large stack.
[[gnu::noinline]] bool FunctionRule(const QString &name, const QString &a, QString &rule)
{
    if (name == u"ln") {
        rule = QStringLiteral("1/(") + a + u')';
    } else if (name == u"log") {
        rule = QStringLiteral("1/(") + a + QStringLiteral("*ln(10))");
    } else if (name == u"logy") {
        rule = QStringLiteral("1/(") + a + QStringLiteral("*ln(y))");
    } else if (name == u"sin") {
        rule = QStringLiteral("cos") + a;
    } else if (name == u"cos") {
        rule = QStringLiteral("-sin") + a;
    } else if (name == u"tg" || name == u"tan") {
        rule = QStringLiteral("1/cos") + a + QStringLiteral("^2");
    } else if (name == u"cotg" || name == u"cotan") {
        rule = QStringLiteral("-1/sin") + a + QStringLiteral("^2");
    } else if (name == u"sec") {
        rule = QStringLiteral("sec") + a + QStringLiteral("*tan") + a;
    } else if (name == u"csc") {
        rule = QStringLiteral("-csc") + a + QStringLiteral("*cotan") + a;
    } else if (name == u"arcsin") {
        rule = QStringLiteral("1/(1-") + a + QStringLiteral("^2)^(1/2)");
    } else if (name == u"arccos") {
        rule = QStringLiteral("-1/(1-") + a + QStringLiteral("^2)^(1/2)");
    } else if (name == u"arctg" || name == u"arctan") {
        rule = QStringLiteral("1/(") + a + QStringLiteral("^2+1)");
    } else if (name == u"arccotg" || name == u"arccot") {
        rule = QStringLiteral("-1/(") + a + QStringLiteral("^2+1)");
    } else if (name == u"sinh") {
        rule = QStringLiteral("cosh") + a;
    } else if (name == u"cosh") {
        rule = QStringLiteral("sinh") + a;
    } else if (name == u"tgh" || name == u"tanh") {
        rule = QStringLiteral("1/cosh") + a + QStringLiteral("^2");
    } else if (name == u"cotgh" || name == u"cotanh" || name == u"coth") {
        rule = QStringLiteral("-1/sinh") + a + QStringLiteral("^2");
    } else if (name == u"arcsinh") {
        rule = QStringLiteral("1/(1+") + a + QStringLiteral("^2)^(1/2)");
    } else if (name == u"arccosh") {
        rule = QStringLiteral("1/(") + a + QStringLiteral("^2-1)^(1/2)");
    } else if (name == u"arctgh" || name == u"arctanh" || name == u"arccotgh" || name == u"arccoth") {
        rule = QStringLiteral("1/(1-") + a + QStringLiteral("^2)");
    } else if (name == u"exp") {
        rule = QStringLiteral("exp") + a;
    } else if (name == u"sqrt") {
        rule = QStringLiteral("1/(2*sqrt") + a + u')';
    } else if (name == u"sqr") {
        rule = QStringLiteral("2*") + a;
    } else if (name == u"abs") {
        rule = QStringLiteral("sign") + a;
    } else {
        // gamma (digamma), sign and rnd (steps), deg and dms (piecewise
        // conversions), and any name that is not a function.
        return false;
    }
    return true;
}

} // namespace

void TVyraz::DeriveFunction(TDerivation &d, QString &out) const
{
    const bool negated = m_text.startsWith(u'-');
    const QString name = Normalized(negated ? m_text.mid(1) : m_text);

    QString rule;
    if (name.isEmpty()) {
        // A negated operand: only the chain remains.
        m_right->Derive(d, rule);
    } else {
        // The argument as printed always carries its brackets.
        QString a = m_right->ToText();
        if (!a.startsWith(u'('))
            Parenthesize(a);
        if (name == u"logy" && d.Variable == u"y") {
            // logy(u) = ln(u)/ln(y), and y is the variable.
            rule = CreateFromText(QStringLiteral("ln") + a + QStringLiteral("/ln(y)"))->Derivative(d.Variable);
        } else {
            if (!FunctionRule(name, a, rule))
                throw EVyrazError(TVyrazFault::CannotDifferentiate, ToText());
            if (m_right->Depends(d)) {
                rule += u'*';
                m_right->Derive(d, rule);
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
    out += rule;
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

TVyraz::TFoldShape TVyraz::Fold(TFolding &folding) const
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
        const TFoldShape inner = m_left->Fold(folding);
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
        const TFoldShape l = m_left->Fold(folding);
        const TFoldShape rr = m_right->Fold(folding);
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
        m_left->Fold(folding);
        r.Form = Form::Postfix;
        break;
    case K::Function:
        m_right->Fold(folding);
        r.Form = Form::Call;
        r.Parenthesized = !((pk >= K::Sum && pk <= K::Power) || pk == K::Root);
        break;
    default:
        break;
    }
    folding.Shapes.insert(this, r);
    return r;
}

void TVyraz::WriteFolded(const TFolding &f, QString &out) const
{
    using Form = TFoldShape::TForm;
    const TFoldShape &s = *f.Shapes.constFind(this);
    if (s.Parenthesized)
        out += u'(';
    switch (s.Form) {
    case Form::Own:
        out += m_text;
        break;
    case Form::Number:
        out += s.Number;
        break;
    case Form::LeftOnly:
        m_left->WriteFolded(f, out);
        break;
    case Form::RightOnly:
        m_right->WriteFolded(f, out);
        break;
    case Form::Zero:
        out += u'0';
        break;
    case Form::One:
        out += u'1';
        break;
    case Form::Negated:
        out += u'-';
        m_right->WriteFolded(f, out);
        break;
    case Form::Binary:
        m_left->WriteFolded(f, out);
        if (m_kind == K::Power)
            out += QStringLiteral("^(");
        else
            out += QStringView(u"+-*/").at(m_kind - K::Sum);
        m_right->WriteFolded(f, out);
        if (m_kind == K::Power)
            out += u')';
        break;
    case Form::Postfix:
        m_left->WriteFolded(f, out);
        out += m_kind == K::Factorial ? u'!' : u'%';
        break;
    case Form::Call:
        out += m_text;
        out += u'[';
        m_right->WriteFolded(f, out);
        out += u']';
        break;
    case Form::Unknown:
        out += u'?';
        break;
    }
    if (s.Parenthesized)
        out += u')';
}

QString TVyraz::EvaluateToText() const
{
    TFolding folding;
    Fold(folding);
    QString out;
    WriteFolded(folding, out);
    return out;
}
