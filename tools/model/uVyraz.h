#pragma once
// The expression tree: an expression text as a binary tree of operator
// nodes, printed back to text, differentiated symbolically (the result is
// text) and folded numerically where its operands are numbers.
//
// The tree works on plain text as typed: it evaluates no number tokens,
// constants or user variables. Precedence, loosest first:
//   + -  (left to right)   * /  (left to right)   unary sign
//   !    (postfix)          ^    (right to left)   %  (postfix)
//   function calls, bracket groups and leaves.
// A "+" or "-" is a sign, not an operator, at the start of a text, after an
// operator, after "(" and after the "e" of a number, so '1e-3*x', 'x^-1' and
// '2*-x' read as written. As in the calculator, a sign binds looser than
// "^", "!" and "%": '-x^2' is -(x^2). A sign before a plain operand stays
// part of it: "-x" is one leaf, '-sin(x)' a function named "-sin",
// '-(a+b)' a function named "-". Before anything else ('-x^2', '--x') the
// sign becomes a function node named "-" whose argument is the rest.
//
// Walking a tree (for subclasses such as the two-dimensional renderer):
// every node has a Kind() from VyrazKind, the kind of its parent in
// ParentKind() (VyrazKind::Root for the root), a Text() and up to two
// children:
//   Leaf        Text() is the operand as written ("2.5e-3", "x", "-x",
//               "$pi"); IsNumber() tells a number; no children.
//   Sum, Difference, Product, Quotient, Power
//               Left() and Right() (for Power: base and exponent); Text()
//               empty.
//   Factorial, Percent
//               Left() only.
//   Function    Text() is the name as written before the bracket ("sin",
//               "-sin", "-" for a negated operand, or whatever stands
//               there, such as "2" in '2(x)'); Right() is the argument.
//               The argument was in brackets unless the name is "-".
//   Group       only in trees parsed with KeepGroups: a bracket pair as
//               written, its contents in Left(). Without KeepGroups a
//               bracket pair leaves no node of its own.
// Children are owned by their parent; freeing the root frees the tree.
//
// Every text is safe to parse: a malformed one (unmatched brackets, a
// missing operand, two operands side by side, too long or too deeply
// nested) raises EVyrazError and leaves the node empty.
#include "platform/SysUtils.h"

#include <QHash>
#include <QString>
#include <QtGlobal>

#include <memory>

namespace VyrazKind {
enum : quint8 {
    Empty = 0,      // a new or cleared node
    Leaf = 1,       // a number, a variable, a "$" constant, any text without an operator
    Group = 2,      // a bracket pair (only kept with KeepGroups)
    Sum = 3,        // Left + Right
    Difference = 4, // Left - Right
    Product = 5,    // Left * Right
    Quotient = 6,   // Left / Right
    Factorial = 7,  // Left!
    Power = 8,      // Left ^ Right
    Function = 9,   // Text(Right)
    Percent = 10,   // Left%
    Root = 11,      // only as ParentKind: the node has no parent
};
} // namespace VyrazKind

// Why a text cannot be parsed or an expression differentiated.
enum class TVyrazFault : quint8 {
    EmptyOperand,        // an operator or bracket pair with nothing to work on: "x+", "()", "*x"
    UnmatchedOpening,    // a "(" never closed
    UnmatchedClosing,    // a ")" without its "("
    MissingOperator,     // two operands side by side: '(a)(b)', 'sin(x)y', "x!2"
    TooDeep,             // brackets or operators nested too deeply
    TooLong,             // more characters than an expression may have
    CannotDifferentiate, // a part with no derivative rule; Detail() is that part
    ResultTooLong,       // the derivative would be unreasonably long
};

class EVyrazError : public Exception
{
public:
    explicit EVyrazError(TVyrazFault fault, const QString &detail = QString());
    TVyrazFault Fault() const { return m_fault; }
    const QString &Detail() const { return m_detail; }
    // The English text of a fault; "#1" in it stands for Detail.
    static QString DefaultMessage(TVyrazFault fault);

private:
    TVyrazFault m_fault;
    QString m_detail;
};

class TVyraz
{
public:
    // Limits that keep any text safe: the longest expression the calculator
    // accepts, the deepest bracket nesting, the deepest tree (every
    // operation recurses once per level), the longest derivative text.
    static constexpr int MaxTextLength = 65535;
    static constexpr int MaxBracketDepth = 255;
    static constexpr int MaxTreeDepth = 2000;
    static constexpr int MaxResultLength = 1 << 20;

    // An empty node: Kind Empty, ParentKind Root, no children.
    TVyraz();
    virtual ~TVyraz();
    TVyraz(const TVyraz &) = delete;
    TVyraz &operator=(const TVyraz &) = delete;

    // A new tree of Text; EVyrazError when Text is malformed.
    static std::unique_ptr<TVyraz> CreateFromText(const QString &text, quint8 parentKind = VyrazKind::Root);

    // Replaces the node's contents by the tree of Text. Children are made by
    // NewNode, so a subclass gets a tree of its own nodes. With KeepGroups
    // each bracket pair stays as a Group node. On EVyrazError the node is
    // left empty.
    void Parse(const QString &text, quint8 parentKind = VyrazKind::Root, bool keepGroups = false);
    // Kind Empty, ParentKind Root, Text empty, both children freed.
    void FreeChildren();

    quint8 Kind() const { return m_kind; }
    quint8 ParentKind() const { return m_parentKind; }
    const QString &Text() const { return m_text; }
    const TVyraz *Left() const { return m_left.get(); }
    const TVyraz *Right() const { return m_right.get(); }
    // A leaf whose text reads as a number with the run-time decimal separator.
    bool IsNumber() const;

    // The subtree does not depend on Variable (letter case ignored): no leaf
    // and no function name in it names the variable, the base "y" of
    // "logy" included.
    bool IsConstant(const QString &variable) const;

    // The subtree printed back, with the brackets its place in the tree
    // needs: a function argument always in brackets, both operands of "^"
    // in brackets when they are leaves (x^2 prints as (x)^(2)).
    QString ToText() const;

    // The derivative of the subtree by Variable as expression text, nothing
    // simplified (sin(x) gives cos(x)*1, x^2 gives (2)*(x)^((2)-1)*1). The
    // trigonometric rules are those of radians. EVyrazError with
    // CannotDifferentiate for a part that has no rule here (a factorial, a
    // function such as gamma or rnd, a leaf such as "2x" that holds the
    // variable in implicit multiplication), and with ResultTooLong when the
    // text would exceed MaxResultLength.
    QString Derivative(const QString &variable) const;

    // The subtree folded: operators whose operands are both numbers are
    // computed (up to 15 significant digits), x*1, x+0, 0*x and the like
    // are reduced, the rest is kept as text. Function arguments come out in
    // square brackets so that a caller can tell them from grouping
    // brackets: sin(0) gives "sin[0]".
    QString EvaluateToText() const;

    // S := "(" + S + ")".
    static void Parenthesize(QString &s);

protected:
    // Makes the children while parsing; a subclass returns its own type.
    virtual std::unique_ptr<TVyraz> NewNode() const;

    TVyraz *MutableLeft() { return m_left.get(); }
    TVyraz *MutableRight() { return m_right.get(); }
    void SetKind(quint8 kind) { m_kind = kind; }
    void SetParentKind(quint8 parentKind) { m_parentKind = parentKind; }
    void SetText(const QString &text) { m_text = text; }
    void SetLeft(std::unique_ptr<TVyraz> node) { m_left = std::move(node); }
    void SetRight(std::unique_ptr<TVyraz> node) { m_right = std::move(node); }

private:
    friend class TVyrazParser;
    struct TDerivation;
    struct TFoldShape;
    struct TFolding;

    void AppendText(QString &out) const;
    bool Depends(TDerivation &d) const;
    qint64 PrintedLength(TDerivation &d) const;
    qint64 LeastDerivativeLength(TDerivation &d) const;
    void Derive(TDerivation &d, QString &out) const;
    void DeriveFunction(TDerivation &d, QString &out) const;
    void DerivePercentSum(TDerivation &d, QString &out) const;
    void DeriveProductRule(TDerivation &d, QChar sign, QString &out) const;
    TFoldShape Fold(TFolding &folding) const;
    void WriteFolded(const TFolding &f, QString &out) const;

    quint8 m_kind = VyrazKind::Empty;
    quint8 m_parentKind = VyrazKind::Root;
    QString m_text;
    std::unique_ptr<TVyraz> m_left;
    std::unique_ptr<TVyraz> m_right;
};
