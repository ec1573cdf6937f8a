#include "core/Analyzator.h"

#include "core/PrevodySustav.h"
#include "core/uProgramState.h"
#include "platform/FloatMath.h"
#include "platform/PascalString.h"

#include <cfenv>
#include <cmath>
#include <limits>
#include <numbers>

bool ExpressionValid = true;
bool RealPreprocessed = false;

namespace {

constexpr Extended Pi = std::numbers::pi_v<Extended>;

// ------------------------------------------------------------ text helpers

// Letter case of expressions is ASCII only.
QString LowerAscii(QString s)
{
    for (QChar &c : s)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return s;
}

QString UpperAscii(QString s)
{
    for (QChar &c : s)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return s;
}

// Replaces the first occurrence again and again, searching from the start
// each time, until none is left; New is shorter than Old wherever it is used,
// so this ends.
void ReplaceEachFromStart(QString &s, QStringView oldText, QStringView newText)
{
    qsizetype p = s.indexOf(oldText);
    while (p >= 0) {
        s.replace(p, oldText.size(), newText.toString());
        // Only a match that runs across the junction can be new.
        p = s.indexOf(oldText, qMax<qsizetype>(0, p - oldText.size()));
    }
}

// Deletes the first "[" and the first "]" of a token text.
QString StripBrackets(const QString &token)
{
    qsizetype a = token.indexOf(u'[');
    qsizetype b = token.indexOf(u']');
    if (a < 0 && b < 0)
        return token;
    if (a < 0 || (b >= 0 && b < a))
        std::swap(a, b);
    // a and b are the deleted places in order; b may be missing.
    const QStringView t(token);
    QString r;
    r.reserve(token.size());
    r.append(t.left(a));
    if (b < 0) {
        r.append(t.mid(a + 1));
    } else {
        r.append(t.mid(a + 1, b - a - 1));
        r.append(t.mid(b + 1));
    }
    return r;
}

// The lower-case letters that occur in a text, one bit each. Results never
// bring a lower-case letter into the text, so a name or operator word with a
// letter that the text lacks cannot occur in it later either.
quint32 LetterMask(QStringView s)
{
    quint32 mask = 0;
    for (QChar c : s)
        if (c >= u'a' && c <= u'z')
            mask |= 1u << (c.unicode() - u'a');
    return mask;
}

bool MayOccur(QStringView word, quint32 letters)
{
    for (QChar c : word)
        if (c >= u'a' && c <= u'z' && !(letters & (1u << (c.unicode() - u'a'))))
            return false;
    return true;
}

// A bracket that holds nothing but one number token, such as "[-2.5e-3]":
// evaluating it gives the token back unchanged, so the nested evaluation can
// be left out.
bool IsPlainToken(QStringView inner)
{
    if (inner.size() < 3 || inner.front() != u'[' || inner.back() != u']')
        return false;
    const QStringView body = inner.mid(1, inner.size() - 2);
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (pas::IsDigit(c) || c == u'.' || c == u',' || c == u'e' || c == u'E')
            continue;
        if (c == u'-' && (i == 0 || body.at(i - 1) == u'e' || body.at(i - 1) == u'E'))
            continue;
        return false;
    }
    return true;
}

void DeleteLeadingPlus(QString &s)
{
    if (s.startsWith(u'+'))
        s.remove(0, 1);
}

// Puts Token in place of an operation found at 1-based OpPos: its left
// operand text, OpLen characters of operator and its right operand text.
// This is the occurrence that a search for the same text from the start (or,
// for the power, from the end) would find first, so the result is that of
// ReplaceOccurrence without the search.
void ReplaceOperation(QString &s, int opPos, const QString &left, int opLen, const QString &right, const QString &token)
{
    ReplaceCollapsedAt(s, opPos - 1 - left.size(), left.size() + opLen + right.size(), token);
}

// S holds the two characters A and B next to each other.
bool HasPair(const QString &s, QChar a, QChar b)
{
    qsizetype i = s.indexOf(a);
    while (i >= 0 && i + 1 < s.size()) {
        if (s.at(i + 1) == b)
            return true;
        i = s.indexOf(a, i + 1);
    }
    return false;
}

// LastPos of "^" searching back from From (-1: the end); positions are
// 16-bit as LastPos's.
int PowerPos(const QString &s, qsizetype from)
{
    const qsizetype p = s.lastIndexOf(u'^', from);
    return p < 0 ? 0 : RangeToUInt16(p + 1);
}

void SetCode(TCalculationError &err, quint8 code)
{
    err.ErrorCode = code;
    err.ErrorStart = 0;
    err.ErrorEnd = 0;
}

bool IsLetter(QChar c)
{
    return pas::IsAsciiLetter(c);
}

// -------------------------------------------------- floating-point checks

// Runs a computation with the status flags of the floating-point unit
// cleared and raises what it flagged, the way the x87 unit traps: an invalid
// operation first, then a division by zero, then an overflow. The flags that
// were set before are restored afterwards, so the check can nest.
class FloatFlagsScope
{
public:
    FloatFlagsScope()
    {
        fegetexceptflag(&m_saved, FE_ALL_EXCEPT);
        feclearexcept(FE_ALL_EXCEPT);
    }
    ~FloatFlagsScope() { fesetexceptflag(&m_saved, FE_ALL_EXCEPT); }
    FloatFlagsScope(const FloatFlagsScope &) = delete;
    FloatFlagsScope &operator=(const FloatFlagsScope &) = delete;

private:
    fexcept_t m_saved;
};

template <typename F>
Extended Trapped(F &&f)
{
    int raised;
    Extended result;
    {
        FloatFlagsScope scope;
        volatile Extended r = f();
        result = r;
        raised = fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    }
    if (raised & FE_INVALID)
        throw EInvalidOp();
    if (raised & FE_DIVBYZERO)
        throw EZeroDivide();
    if (raised & FE_OVERFLOW)
        throw EOverflow();
    return result;
}

// x^n by repeated squaring, n whole.
Extended IntegerPower(Extended base, qint64 n)
{
    quint64 m = n < 0 ? quint64(-(n + 1)) + 1 : quint64(n);
    Extended result = 1;
    Extended x = base;
    for (;;) {
        if (m & 1)
            result *= x;
        m >>= 1;
        if (m == 0)
            break;
        x *= x;
    }
    if (n < 0)
        result = 1 / result;
    return result;
}

// --------------------------------------------------------- number tokens

bool ReadNumber(const QString &token, Extended &x)
{
    return TryStrToFloat(StripBrackets(token), x);
}

Extended ReadOperand(const QString &token)
{
    return StrToFloat(StripBrackets(token));
}

} // namespace

// =================================================================== tokens

QString NumberToToken(Extended x)
{
    return u'[' + FloatToStr(x) + u']';
}

QString FunctionResultToToken(Extended x)
{
    if (std::isinf(x) || std::isnan(x) || std::fabs(x) >= 1e18L)
        return NumberToToken(x);
    return u'[' + FormatFloat(QStringLiteral("0.#################"), x) + u']';
}

quint16 LastPos(const QString &sub, const QString &s)
{
    if (sub.isEmpty())
        return 0;
    const qsizetype p = s.lastIndexOf(sub);
    return p < 0 ? 0 : RangeToUInt16(p + 1);
}

bool NotInsideToken(quint16 pos, const QString &s)
{
    if (pos > s.size())
        return true;
    for (int i = pos; i >= 1; --i) {
        const QChar c = s.at(i - 1);
        if (c == u']')
            return true;
        if (c == u'[')
            return false;
    }
    return true;
}

namespace {

// The "+" at I goes (see CollapseSigns).
bool PlusGoes(const QChar *d, qsizetype i)
{
    if (i == 0 || d[i] != u'+')
        return false;
    const char16_t prev = d[i - 1].unicode();
    if (prev == u'/' || prev == u'*' || prev == u'+' || prev == u'-')
        return true;
    if (i < 3)
        return false;
    const char16_t a = d[i - 3].unicode(), b = d[i - 2].unicode();
    return (a == u'n' && b == u'a' && prev == u'd') || (a == u'd' && b == u'i' && prev == u'v')
           || (a == u'm' && b == u'o' && prev == u'd');
}

// A "+" of S in [From, To) goes.
bool HasGoingPlus(const QString &s, qsizetype from, qsizetype to)
{
    const QChar *d = s.constData();
    to = qMin(to, s.size());
    for (qsizetype i = qMax<qsizetype>(from, 0); i < to; ++i)
        if (PlusGoes(d, i))
            return true;
    return false;
}

// The last few texts that ReplaceCollapsed left, shared with the callers'
// texts: as long as a caller's text still shares its buffer with one of them,
// it has not been changed since (any change makes a copy of its own first).
// A nested evaluation rewrites texts of its own in between, so more than one
// is kept.
struct TRewrite
{
    QString text;
    qsizetype kept = 0;     // leading characters left as they were
    bool collapsed = false; // no "+" of the text goes
};
thread_local TRewrite Rewrites[4];
thread_local int NextRewrite = 0;

TRewrite *FindRewrite(const QString &s)
{
    for (TRewrite &r : Rewrites)
        if (!r.text.isNull() && s.constData() == r.text.constData() && s.size() == r.text.size())
            return &r;
    return nullptr;
}

void RememberRewrite(const QString &s, qsizetype kept, bool collapsed)
{
    TRewrite &r = Rewrites[NextRewrite];
    NextRewrite = (NextRewrite + 1) % 4;
    r.text = s;
    r.kept = kept;
    r.collapsed = collapsed;
}

} // namespace

// Every "+" that follows "/", "*", "+", "-", "nad", "div" or "mod" goes: a
// run of "+" after one of them vanishes, any other run shrinks to one "+".
// Only "+" signs are ever deleted, so whether one goes depends on the text
// before it alone, and one pass over the signs decides them all.
void CollapseSigns(QString &s)
{
    const QChar *d = s.constData();
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n && !PlusGoes(d, i))
        ++i;
    if (i == n)
        return;
    QString kept;
    kept.reserve(n);
    kept.append(QStringView(d, i));
    for (++i; i < n; ++i)
        if (!PlusGoes(d, i))
            kept.append(d[i]);
    s = kept;
}

namespace {} // namespace

// Each evaluation step rewrites a small part of a long text: when the text is
// known to have no "+" that goes, only a "+" within the new part or the three
// characters after it (whose look-back for "nad", "div" and "mod" reaches into
// it) can go now, so the rest need not be scanned again.
void ReplaceCollapsedAt(QString &s, qsizetype at, qsizetype count, const QString &text)
{
    TRewrite *before = FindRewrite(s);
    bool known = before && before->collapsed;
    // Let go of the shared copy first, so that the change needs no copy of
    // the whole text.
    if (before)
        before->text = QString();
    ReplaceSpan(s, at, count, text);
    qsizetype kept = at;
    if (!known || HasGoingPlus(s, at, at + text.size() + 3)) {
        const QChar *d = s.constData();
        for (qsizetype i = 0; i < at && i < s.size(); ++i)
            if (PlusGoes(d, i)) {
                kept = i;
                break;
            }
        CollapseSigns(s);
        known = false;
    }
    if (s.startsWith(u'+')) {
        s.remove(0, 1);
        kept = 0;
        // The first characters have lost what stood before them.
        if (known && HasGoingPlus(s, 0, 4))
            known = false;
    }
    RememberRewrite(s, kept, known || !HasGoingPlus(s, 0, s.size()));
}

qsizetype KeptPrefix(const QString &s)
{
    const TRewrite *r = FindRewrite(s);
    return r ? qMin(r->kept, s.size()) : 0;
}

void ReplaceOccurrence(QString &s, const QString &oldText, const QString &newText, bool fromEnd)
{
    if (oldText.isEmpty())
        return;
    const qsizetype p = fromEnd ? s.lastIndexOf(oldText) : s.indexOf(oldText);
    // Inserting where nothing was found would add text on every call of a
    // loop that waits for Old to disappear.
    if (p < 0)
        return;
    ReplaceCollapsedAt(s, p, oldText.size(), newText);
}

void ExtractOperands(const QString &s, const QString &op, QString &left, bool fromEnd, QString &right)
{
    ExtractOperandsAt(s, fromEnd ? int(LastPos(op, s)) : pas::Pos(op, s), int(op.size()), left, right);
}

void ExtractOperandsAt(const QString &s, int p, int opLength, QString &left, QString &right)
{
    left.clear();
    right.clear();
    if (p > 1) {
        int i = p - 1;
        while (i >= 1) {
            const QChar c = s.at(i - 1);
            if (c == u'[' || i == 1) {
                left = s.mid(i - 1, p - i);
                break;
            }
            --i;
        }
    }
    const int q = p + opLength - 1;
    if (q < s.size()) {
        const int close = pas::Pos(QChar(u']'), s, q + 1);
        right = close == 0 ? s.mid(q) : s.mid(q, close - q);
    }
}

void ParseOperands(const QString &left, const QString &right, Extended &a, TCalculationError &err, Extended &b)
{
    SetCode(err, 0);
    const bool ok = ReadNumber(left, a) && ReadNumber(right, b);
    if (!ok)
        err.ErrorCode = 1;
}

void ApplyOperator(Extended &r, QChar op, TCalculationError &err, Extended a, Extended b)
{
    SetCode(err, 0);
    if (op.unicode() < 33 || op.unicode() > 47)
        return;
    try {
        switch (op.unicode()) {
        case u'+':
            r = FAdd(a, b);
            break;
        case u'-':
            r = FSub(a, b);
            break;
        case u'*':
            r = FMul(a, b);
            break;
        case u'/':
            r = FDiv(a, b);
            break;
        case u'!':
            if (a < 0) {
                err.ErrorCode = 24;
                ExpressionValid = false;
                return;
            }
            if (a - std::nearbyint(a) == 0 && a <= 40) {
                Extended product = 1;
                for (int k = 2; k <= int(a); ++k)
                    product *= k;
                r = product;
            } else {
                r = Gamma(a + 1);
            }
            break;
        default:
            break;
        }
    } catch (const EOverflow &) {
        err.ErrorCode = 20;
        ExpressionValid = false;
    } catch (const EZeroDivide &) {
        err.ErrorCode = 25;
        ExpressionValid = false;
    } catch (const ERangeError &) {
        err.ErrorCode = 20;
        ExpressionValid = false;
    } catch (const EInvalidOp &) {
        err.ErrorCode = 25;
        ExpressionValid = false;
    }
}

namespace {

// The operands of an integer operator: both must be whole (code 27 with the
// operator's name otherwise); out of the 64-bit range is an invalid operation.
bool ReadWholeOperands(const QString &op, const QString &left, const QString &right, TCalculationError &err, qint64 &x,
                       qint64 &y)
{
    const Extended a = ReadOperand(left);
    const Extended b = ReadOperand(right);
    if (HasFractionalPart(a) || HasFractionalPart(b)) {
        SetCode(err, 27);
        err.ErrorText = op;
        return false;
    }
    x = Round(a);
    y = Round(b);
    return true;
}

} // namespace

void EvaluateLogicalOperator(const QString &op, QString &s, TCalculationError &err)
{
    for (qsizetype from = 0;; from = qMax<qsizetype>(0, KeptPrefix(s) - (op.size() - 1))) {
        const int p = int(s.indexOf(op, from)) + 1;
        if (p == 0)
            break;
        QString left, right;
        ExtractOperandsAt(s, p, int(op.size()), left, right);
        qint64 x, y;
        if (!ReadWholeOperands(op, left, right, err, x, y))
            return;
        qint64 v;
        if (op == u"xor")
            v = x ^ y;
        else if (op == u"and")
            v = x & y;
        else
            v = x | y;
        ReplaceOperation(s, p, left, int(op.size()), right, NumberToToken(Extended(v)));
    }
}

void EvaluateLogicalOperators(QString &s, TCalculationError &err)
{
    EvaluateLogicalOperator(QStringLiteral("xor"), s, err);
    if (err.ErrorCode == 0)
        EvaluateLogicalOperator(QStringLiteral("and"), s, err);
    if (err.ErrorCode == 0)
        EvaluateLogicalOperator(QStringLiteral("or"), s, err);
}

// ================================================================ evaluator

// The passes below run in a fixed order, one kind of operator per pass,
// which gives the operators their precedence: brackets; functions; %; ^
// (right to left); !; nad; div and mod; xor; and; or; * and /; + and -.
//
// Faults that are passed to the caller as exceptions rather than codes: a
// percent operand or an operand of nad, div, mod, xor, and, or that is no
// number (EConvertError); div or mod by zero (EDivByZero); a div, mod or
// logical operand beyond the 64-bit range (EInvalidOp); 0 raised to a
// negative whole number (EZeroDivide); factorials of nad beyond the 80-bit
// range (EOverflow); a value of "y" for logy that is no number
// (EConvertError); a text longer than 65535 characters (ERangeError).
void EvaluateReal(const QString &expr, TCalculationError &err, const TStringList &names, QString &value)
{
    if (!ExpressionValid)
        return;
    SetCode(err, 0);
    QString s = expr;

    if (!RealPreprocessed) {
        s = CompactBlanks(s);
        s += QStringLiteral("+0");
        SubstituteVariables(s);
        SubstituteConstants(s);
        BracketNumbers(s);
        InsertImplicitMultiplication(s, TCharSet(u"+,-.") + TCharSet::Digits(),
                                     TCharSet::Digits() + TCharSet::Letters());
        s.remove(QChar(u' '));
        RealPreprocessed = true;
        s = LowerAscii(s);
    }
    // Positions in an expression are 16-bit.
    if (s.size() > 65535)
        throw ERangeError();

    // Brackets, innermost first, each by a nested evaluation. No "(" stands
    // after the pair found, so the next search goes back from there; and the
    // search for the first pair of the same text goes on near where the
    // last one was.
    qsizetype lastFrom = -1;
    QString lastPair;
    qsizetype lastPairAt = 0;
    for (;;) {
        const qsizetype open = s.lastIndexOf(u'(', lastFrom);
        if (open < 0)
            break;
        const qsizetype close = s.indexOf(u')', open + 1);
        const QString inner = close < 0 ? QString() : s.mid(open + 1, close - open - 1);
        if (inner.isEmpty()) {
            // An empty or unclosed pair can never be reduced.
            SetCode(err, 1);
            value.clear();
            return;
        }
        TCalculationError local;
        QString r;
        if (IsPlainToken(inner))
            r = inner;
        else
            EvaluateReal(inner, local, names, r);
        if (local.ErrorCode != 0) {
            err = local;
            value.clear();
            return;
        }
        const QString pair = u'(' + inner + u')';
        const qsizetype from =
            pair == lastPair ? qMax<qsizetype>(0, qMin(KeptPrefix(s), lastPairAt) - (pair.size() - 1)) : 0;
        const qsizetype at = s.indexOf(pair, from);
        ReplaceCollapsedAt(s, at, pair.size(), r);
        lastPair = pair;
        lastPairAt = at;
        lastFrom = qMin<qsizetype>(close + qMax<qsizetype>(0, r.size() - pair.size()), s.size() - 1);
        if (lastFrom < 0)
            break;
    }

    if (!ExpressionValid)
        return;
    while (HasPair(s, u'-', u'-'))
        ReplaceOccurrence(s, QStringLiteral("--"), QStringLiteral("+"), false);
    if (s.isEmpty())
        return;

    // Functions: each takes the one token right after its name. Results
    // bring no lower-case letter into the text, so a name with a letter the
    // text lacks cannot occur in it.
    const quint32 letters = LetterMask(s);
    for (int n = 0; n < names.Count(); ++n) {
        const QString &name = names[n];
        const bool possible = MayOccur(name, letters);
        qsizetype from = 0;
        while (possible) {
            const int pos = int(s.indexOf(name, from)) + 1;
            if (pos == 0)
                break;
            const int p = pos + int(name.size());
            QString left, right;
            ExtractAdjacentTokens(s, p, left, right);
            Extended x;
            // The argument must be the token that follows the name;
            // anything else could never be replaced.
            if (pas::At(s, p) != u'[' || !right.endsWith(u']') || !ReadNumber(right, x)) {
                SetCode(err, 1);
                return;
            }
            TCalculationError local;
            Extended r = 0;
            ApplyFunction(name, r, local, x);
            if (local.ErrorCode != 0) {
                err = local;
                return;
            }
            ReplaceOperation(s, pos, QString(), int(name.size()) + 1, right, FunctionResultToToken(r));
            from = qMax<qsizetype>(0, KeptPrefix(s) - (name.size() - 1));
        }
    }

    if (HasPair(s, u'-', u'+'))
        ReplaceEachFromStart(s, u"-+", u"-");
    if (HasPair(s, u'-', u'-'))
        ReplaceEachFromStart(s, u"--", u"+");

    // Percent: a + b% is a(1 + b/100), a - b% is a(1 - b/100), b% elsewhere
    // is b/100.
    for (qsizetype from = 0;; from = KeptPrefix(s)) {
        const int pc = int(s.indexOf(u'%', from)) + 1;
        if (pc == 0)
            break;
        QString tok;
        int i = pc - 1;
        while (i >= 1) {
            const QChar c = s.at(i - 1);
            const bool part = c == u',' || c == u'.' || pas::IsDigit(c) || c == u'E' || c == u'e' || c == u'['
                              || c == u']' || ((c == u'+' || c == u'-') && !NotInsideToken(RangeToUInt16(i), s));
            if (!part)
                break;
            tok.prepend(c);
            if (i == 1)
                break;
            --i;
        }
        if (i < 1)
            i = 1;
        const Extended b = ReadOperand(tok);
        const QChar at = pas::At(s, i);
        const bool afterSign = i > 1 && (at == u'+' || at == u'-');
        Extended f = b / 100;
        if (i > 1 && at == u'+')
            f = (b + 100) / 100;
        else if (i > 1 && at == u'-')
            f = (100 - b) / 100;
        if (afterSign)
            ReplaceOperation(s, i, QString(), 1, tok + u'%', u'*' + NumberToToken(f));
        else
            ReplaceOperation(s, pc, tok, 1, QString(), NumberToToken(f));
    }

    // Powers, right to left.
    // No "^" stands after the one rewritten, so the search goes back from
    // the end of its result.
    qsizetype powerFrom = -1;
    for (int p; (p = PowerPos(s, powerFrom)) > 1;) {
        QString left, right;
        ExtractOperandsAt(s, p, 1, left, right);
        Extended a, b;
        TCalculationError local;
        ParseOperands(left, right, a, local, b);
        if (local.ErrorCode != 0) {
            SetCode(err, local.ErrorCode);
            return;
        }
        Extended r;
        try {
            r = Power(a, b);
        } catch (const EOverflow &) {
            SetCode(err, 20);
            return;
        } catch (const EInvalidOp &) {
            SetCode(err, 21);
            return;
        }
        const QString token = NumberToToken(r);
        const qsizetype at = p - 1 - left.size();
        ReplaceOperation(s, p, left, 1, right, token);
        DeleteLeadingPlus(s);
        powerFrom = qMin<qsizetype>(at + token.size(), s.size() - 1);
        if (powerFrom < 0)
            break;
    }

    // Factorials.
    for (int p, from = 0; (p = int(s.indexOf(u'!', from)) + 1) > 1; from = int(KeptPrefix(s))) {
        QString left, right;
        ExtractOperandsAt(s, p, 1, left, right);
        Extended a, b;
        TCalculationError local;
        ParseOperands(left, QStringLiteral("0"), a, local, b);
        Extended r = 0;
        if (local.ErrorCode == 0)
            ApplyOperator(r, u'!', local, a, b);
        if (local.ErrorCode != 0) {
            SetCode(err, local.ErrorCode);
            return;
        }
        ReplaceOperation(s, p, left, 1, QString(), NumberToToken(r));
        DeleteLeadingPlus(s);
    }

    // The operator words, when the text can hold them at all.
    if (LetterMask(s) != 0) {
        // Binomial coefficients.
        for (int p, from = 0; (p = int(s.indexOf(u"nad", from)) + 1) > 0;
             from = int(qMax<qsizetype>(0, KeptPrefix(s) - 2))) {
            QString left, right;
            ExtractOperandsAt(s, p, 3, left, right);
            const Extended n = ReadOperand(left);
            const Extended k = ReadOperand(right);
            if (HasFractionalPart(n) || HasFractionalPart(k) || n < 0 || k < 0) {
                SetCode(err, 27);
                err.ErrorText = QStringLiteral("nad");
                return;
            }
            if (k > n) {
                SetCode(err, 28);
                return;
            }
            Extended r;
            try {
                const quint16 fn = RangeToUInt16(Round(n));
                const quint16 fnk = RangeToUInt16(Round(n - k));
                const quint16 fk = RangeToUInt16(Round(k));
                const Extended num = CheckFloat(Factorial(fn));
                const Extended den = FMul(CheckFloat(Factorial(fnk)), CheckFloat(Factorial(fk)));
                r = FDiv(num, den);
            } catch (const ERangeError &) {
                SetCode(err, 20);
                return;
            }
            ReplaceOperation(s, p, left, 3, right, NumberToToken(r));
        }

        // Integer division and remainder, one level, left to right.
        // A word that no longer occurs never comes back: results are tokens,
        // which hold no lower-case letters and part the text on both sides.
        bool divGone = false, modGone = false;
        for (qsizetype from = 0;; from = qMax<qsizetype>(0, KeptPrefix(s) - 2)) {
            const int pd = divGone ? 0 : int(s.indexOf(u"div", from)) + 1;
            const int pm = modGone ? 0 : int(s.indexOf(u"mod", from)) + 1;
            divGone = pd == 0;
            modGone = pm == 0;
            if (pd == 0 && pm == 0)
                break;
            const bool isDiv = pd != 0 && (pm == 0 || pd < pm);
            const QString op = isDiv ? QStringLiteral("div") : QStringLiteral("mod");
            QString left, right;
            ExtractOperandsAt(s, isDiv ? pd : pm, 3, left, right);
            qint64 x, y;
            if (!ReadWholeOperands(op, left, right, err, x, y))
                return;
            const qint64 r = isDiv ? IDiv(x, y) : IMod(x, y);
            ReplaceOperation(s, isDiv ? pd : pm, left, 3, right, NumberToToken(Extended(r)));
        }

        // A fault of the logical operators is reported but does not end the
        // evaluation: the remaining text still goes through the passes below.
        EvaluateLogicalOperators(s, err);
    }

    // Multiplication and division, left to right.
    if (s.contains(u'*') || s.contains(u'/')) {
        int i = 2;
        while (i < s.size()) {
            const QChar c = s.at(i - 1);
            if (c == u'*' || c == u'/') {
                // The first "*" or "/" is this one.
                QString left, right;
                ExtractOperandsAt(s, i, 1, left, right);
                Extended a, b, r = 0;
                TCalculationError local;
                ParseOperands(left, right, a, local, b);
                if (local.ErrorCode == 0)
                    ApplyOperator(r, c, local, a, b);
                if (local.ErrorCode != 0) {
                    SetCode(err, local.ErrorCode);
                    return;
                }
                ReplaceOperation(s, i, left, 1, right, NumberToToken(r));
                // None stands in the part the rewrite kept.
                i = int(qMax<qsizetype>(1, KeptPrefix(s)));
            }
            ++i;
        }
    }

    DeleteLeadingPlus(s);
    if (HasPair(s, u'-', u'-'))
        ReplaceEachFromStart(s, u"--", u"+");
    if (s.startsWith(u'-'))
        s.prepend(QStringLiteral("[0]"));

    // Addition and subtraction, left to right.
    if (s.contains(u'+') || s.contains(u'-')) {
        int i = 2;
        while (i < s.size()) {
            const QChar c = s.at(i - 1);
            if ((c == u'+' || c == u'-') && NotInsideToken(RangeToUInt16(i), s)) {
                QString left, right;
                ExtractAdjacentTokens(s, i, left, right);
                Extended a, b, r = 0;
                TCalculationError local;
                ParseOperands(left, right, a, local, b);
                if (local.ErrorCode == 0)
                    ApplyOperator(r, c, local, a, b);
                if (local.ErrorCode != 0) {
                    SetCode(err, local.ErrorCode);
                    return;
                }
                ReplaceOperation(s, i, left, 1, right, NumberToToken(r));
                // The scan goes on from the third character, or after the
                // part the rewrite kept, where no sign was an operator.
                i = int(qMax<qsizetype>(2, KeptPrefix(s)));
            }
            ++i;
        }
    }

    ExpressionValid = !s.isEmpty();
    if (s.startsWith(u'-') && s.indexOf(u'[') == 1) {
        s[0] = u'[';
        s[1] = u'-';
    }
    const qsizetype dd = s.indexOf(QStringLiteral("--"));
    if (dd >= 0)
        s.replace(dd, 2, QStringLiteral("+"));
    value = s;
}

// ======================================================= prepared evaluation

void ReplaceWholeWord(QString &s, const QString &word, const QString &value)
{
    s = LowerAscii(s);
    const QString w = LowerAscii(word);
    QString v = value;
    if (v.contains(u'+'))
        v.remove(0, 1);
    if (w.isEmpty())
        return;

    // Occurrences that are not whole words are hidden from the search until
    // the end: in upper case, or, for a word without letters, as private
    // characters. A value that contains the word itself is put in through a
    // marker, so that its own letters are not searched again.
    const QString upper = UpperAscii(w);
    const bool noLetters = upper == w;
    const QString hidden = noLetters ? QString(w.size(), QChar(0xE000)) : upper;
    const bool valueHoldsWord = v.contains(w);
    const QString marker(QChar(0xE001));
    const QString inserted = valueHoldsWord ? marker : v;

    // No occurrence stands in the part a rewrite kept, so each search goes
    // on from there.
    for (qsizetype from = 0;; from = qMax<qsizetype>(0, KeptPrefix(s) - (w.size() - 1))) {
        const int p = int(s.indexOf(w, from)) + 1;
        if (p == 0)
            break;
        const int after = p + int(w.size());
        const QChar before = pas::At(s, p - 1);
        const QChar next = pas::At(s, after);
        const bool whole = !IsLetter(before) && !(after <= s.size() && (IsLetter(next) || pas::IsDigit(next)));
        ReplaceCollapsedAt(s, p - 1, w.size(), whole ? inserted : hidden);
    }
    if (noLetters)
        s.replace(hidden, w);
    if (valueHoldsWord)
        s.replace(marker, v);
    s = LowerAscii(s);
}

void PrepareExpression(QString &s, const QString &name)
{
    s = CompactBlanks(s);
    s += QStringLiteral("+0");
    ReplaceWholeWord(s, name, QStringLiteral("[#]"));
    SubstituteConstants(s);
    SubstituteVariables(s);
    BracketNumbers(s);
    InsertImplicitMultiplication(s, TCharSet(u"+,-.Ee") + TCharSet::Digits(), TCharSet::Digits() + TCharSet::Letters());
    s.remove(QChar(u' '));
    s = LowerAscii(s);
    ReplaceWholeWord(s, QStringLiteral("#"), name);
}

quint8 EvaluatePreparedAt(const QString &prepared, const QString &name, Extended x, Extended &y)
{
    TCalculationError err;
    return EvaluatePreparedAt(prepared, name, x, y, err);
}

quint8 EvaluatePreparedAt(const QString &prepared, const QString &name, Extended x, Extended &y, TCalculationError &err)
{
    err = TCalculationError();
    try {
        // An arithmetic error of the previous point left the gate closed,
        // and the prepared text must not be preprocessed a second time.
        ExpressionValid = true;
        RealPreprocessed = true;
        QString text = prepared;
        ReplaceWholeWord(text, name, FloatToStr(x));
        QString value;
        EvaluateReal(text, err, FunctionNames(), value);
        if (err.ErrorCode == 0) {
            value.remove(u'[');
            value.remove(u']');
            if (!TryStrToFloat(value, y))
                SetErrorCode(err, 1);
        }
    } catch (...) {
        ClassifyCurrentException(err);
        ExpressionValid = true;
    }
    // Positions in the prepared text mean nothing in the text the user typed.
    err.ErrorStart = 0;
    err.ErrorEnd = 0;
    return err.ErrorCode;
}

// ============================================================ syntax check

namespace {

bool InSet(QChar c, QStringView set)
{
    return set.contains(c);
}

bool IsAllowed(QChar c)
{
    if (c == QChar(8) || c == u' ' || pas::IsDigit(c) || pas::IsAsciiLetter(c))
        return true;
    return InSet(c, u"!$%()*+,-./^");
}

bool IsNumeral(QChar c)
{
    return pas::IsDigit(c) || (c >= u'a' && c <= u'f');
}

bool IsInfix(QChar c)
{
    return InSet(c, u"*+-/^");
}

} // namespace

void CheckRealSyntax(const QString &expr, TCalculationError &err, const TStringList &names)
{
    ExpressionValid = false;
    err.ErrorEnd = 0;
    err.ErrorCode = 0;

    QString s = expr;
    s.remove(QChar(u' '));
    s = LowerAscii(s);
    const int len = int(s.size());
    if (len == 0)
        return;

    const QChar sep = DecimalSeparator;
    const auto fail = [&](quint8 code, int start, int end) {
        err.ErrorCode = code;
        err.ErrorStart = start;
        err.ErrorEnd = end;
        AdjustErrorPositions(expr, err);
    };
    const auto at = [&](int i) { return s.at(i - 1); };

    if (InSet(at(1), u"!%*/^"))
        return fail(2, 0, 1);
    if (InSet(at(len), u"*+-/^"))
        return fail(3, len - 1, len);
    if (at(len) == sep)
        return fail(4, len - 1, len);
    if (!IsAllowed(at(1)))
        return fail(16, 0, 1);
    if (at(len) == u'$')
        return fail(18, len - 1, len);

    for (int i = 2; i <= len; ++i) {
        const QChar p = at(i - 1);
        const QChar c = at(i);
        if (!IsAllowed(c))
            return fail(16, i - 1, i);
        if (IsInfix(p) && InSet(c, u"!%*+-/^"))
            return fail(5, i - 1, i);
        if (p == sep && !IsNumeral(c))
            return fail(6, i - 1, i);
        if (IsInfix(p) && (c == u')' || c == sep))
            return fail(7, i - 1, i);
        if (p == u'(' && InSet(c, u"!%*/^"))
            return fail(8, i - 1, i);
        if (p == u'$' && (InSet(c, u"!%*+-/^$") || c == sep))
            return fail(18, i - 2, i - 1);
        if (c == sep && !IsNumeral(p))
            return fail(30, i - 1, i);
    }

    for (QStringView twice : {QStringView(u"!!"), QStringView(u"%%")}) {
        const int p = pas::Pos(twice.toString(), s);
        if (p > 0)
            return fail(5, p, p + 1);
    }
    const int empty = pas::Pos(QStringLiteral("()"), s);
    if (empty > 0)
        return fail(9, empty - 1, empty + 1);

    // A bracket fault is reported, but the function names are still checked
    // and a fault there takes its place.
    CheckBrackets(s, expr, err);

    // Each name found is deleted, so that a shorter name inside it is not
    // examined again at the same place; origin keeps every remaining
    // character's position in the blank-free text.
    s += u'+';
    QList<int> origin(s.size());
    for (int i = 0; i < origin.size(); ++i)
        origin[i] = i + 1;
    const quint32 letters = LetterMask(s);
    for (int n = 0; n < names.Count(); ++n) {
        const QString &name = names[n];
        if (!MayOccur(name, letters))
            continue;
        for (;;) {
            const int p = pas::Pos(name, s);
            if (p == 0)
                break;
            const int q = p + int(name.size());
            if (InSet(pas::At(s, q), u"!%)*+-/^")) {
                err.ErrorText = name;
                return fail(12, origin[p - 1] - 1, origin[q - 2]);
            }
            s.remove(p - 1, name.size());
            origin.remove(p - 1, name.size());
        }
    }

    ExpressionValid = true;
}

// ========================================================= function library

Extended AngleToRadians(Extended x)
{
    switch (KProgramState::GetInstance(0)->AngleMode) {
    case 0:
        return x * (Pi / 180);
    case 2:
        return x * (Pi / 200);
    default:
        return x;
    }
}

Extended RadiansToAngle(Extended x)
{
    switch (KProgramState::GetInstance(0)->AngleMode) {
    case 0:
        return x * (180 / Pi);
    case 2:
        return x * (200 / Pi);
    default:
        return x;
    }
}

namespace {

const QString DmsPattern = QStringLiteral("0.0###############");

// The whole part and "0," + the decimals of a number text.
void SplitNumberText(const QString &t, Extended &whole, Extended &fraction)
{
    const int p = pas::Pos(DecimalSeparator, t);
    if (p == 0) {
        whole = StrToFloat(t);
        fraction = 0;
        return;
    }
    whole = StrToFloat(pas::Copy(t, 1, p - 1));
    const QString digits = t.mid(p);
    fraction = digits.isEmpty() ? 0 : StrToFloat(QStringLiteral("0") + DecimalSeparator + digits);
}

} // namespace

// A negative angle is converted by its magnitude and keeps its sign.
Extended DmsToDegrees(Extended x)
{
    const bool negative = x < 0;
    Extended d, f, mm, ss;
    SplitNumberText(FormatFloat(DmsPattern, std::fabs(x)), d, f);
    SplitNumberText(FormatFloat(DmsPattern, f * 100), mm, ss);
    const Extended r = d + mm / 60 + ss * 100 / 3600;
    return negative ? -r : r;
}

Extended DegreesToDms(Extended x)
{
    const bool negative = x < 0;
    Extended d, f;
    SplitNumberText(FormatFloat(DmsPattern, std::fabs(x)), d, f);
    const Extended r1 = d + f * 60 / 100;
    Extended minutes, g;
    SplitNumberText(FormatFloat(DmsPattern, r1 * 100), minutes, g);
    QString w = FormatFloat(QStringLiteral("0.0000000000000000"), r1);
    w.chop(14);
    const Extended r2 = StrToFloat(w);
    const Extended r = r2 + g * 60 / 10000;
    return negative ? -r : r;
}

Extended Power(Extended base, Extended exponent)
{
    return Trapped([&]() -> Extended {
        if (exponent == 0)
            return 1;
        if (exponent == std::trunc(exponent) && std::fabs(exponent) <= 2147483647.0L)
            return IntegerPower(base, qint64(exponent));
        if (base == 0)
            return 0;
        return std::exp(exponent * std::log(base));
    });
}

Extended Gamma(Extended x)
{
    return Trapped([&]() -> Extended {
        const Extended e = std::exp(Extended(1));
        const Extended root = Power(2 * Pi / x, 0.5L);
        const Extended inner = (x + 1 / (12 * x - 1 / (10 * x))) / e;
        return root * Power(inner, x);
    });
}

namespace {

// Each trapped on its own: an overflow of its exponentials is reported as
// such before a later step could turn it into an invalid operation.
Extended Sinh(Extended x)
{
    if (x == 0)
        return 0;
    return Trapped([x] { return (std::exp(x) - std::exp(-x)) / 2; });
}

Extended Cosh(Extended x)
{
    if (x == 0)
        return 1;
    return Trapped([x] { return (std::exp(x) + std::exp(-x)) / 2; });
}

Extended Tanh(Extended x)
{
    if (x == 0)
        return 0;
    return Sinh(x) / Cosh(x);
}

// Within this distance of 1 or -1 the inverse hyperbolic tangents are
// infinite.
constexpr Extended InfinityTolerance = 1e-16L;
constexpr Extended Infinity = std::numeric_limits<Extended>::infinity();

bool NearOne(Extended x, Extended one)
{
    return std::fabs(x - one) <= InfinityTolerance;
}

[[noreturn]] Extended Invalid()
{
    throw EInvalidOp();
}

// The value of the user variable "y", the base of logy.
Extended LogBase()
{
    QString t = QStringLiteral("y");
    SubstituteVariables(t);
    ReplaceFirst(t, QStringLiteral("("), QString());
    ReplaceFirst(t, QStringLiteral(")"), QString());
    return StrToFloat(t);
}

// false for a name outside the table.
bool Compute(const QString &name, Extended x, Extended &r)
{
    if (name == u"sin")
        r = std::sin(AngleToRadians(x));
    else if (name == u"cos")
        r = std::cos(AngleToRadians(x));
    else if (name == u"tg" || name == u"tan")
        r = std::tan(AngleToRadians(x));
    else if (name == u"cotg" || name == u"cotan")
        r = 1 / std::tan(AngleToRadians(x));
    else if (name == u"sec")
        r = 1 / std::cos(AngleToRadians(x));
    else if (name == u"csc")
        r = 1 / std::sin(AngleToRadians(x));
    else if (name == u"arcsin")
        r = std::fabs(x) > 1 ? Invalid() : RadiansToAngle(std::atan2(x, std::sqrt(1 - x * x)));
    else if (name == u"arccos")
        r = std::fabs(x) > 1 ? Invalid() : RadiansToAngle(std::atan2(std::sqrt((1 + x) * (1 - x)), x));
    else if (name == u"arctg" || name == u"arctan")
        r = RadiansToAngle(std::atan(x));
    else if (name == u"arccotg" || name == u"arccot")
        r = RadiansToAngle(x == 0 ? Pi / 2 : std::atan(1 / x));
    else if (name == u"sinh")
        r = Sinh(x);
    else if (name == u"cosh")
        r = Cosh(x);
    else if (name == u"tgh" || name == u"tanh")
        r = Tanh(x);
    else if (name == u"cotgh" || name == u"coth")
        r = 1 / Tanh(x);
    else if (name == u"arcsinh")
        r = std::log(x + std::sqrt(x * x + 1));
    else if (name == u"arccosh")
        r = x < 1 ? Invalid() : std::log(x + std::sqrt((x - 1) / (x + 1)) * (x + 1));
    else if (name == u"arctgh" || name == u"arctanh") {
        if (NearOne(x, 1))
            r = Infinity;
        else if (NearOne(x, -1))
            r = -Infinity;
        else
            r = std::fabs(x) > 1 ? Invalid() : std::log((1 + x) / (1 - x)) / 2;
    } else if (name == u"arccotgh" || name == u"arccoth") {
        if (NearOne(x, 1))
            r = Infinity;
        else if (NearOne(x, -1))
            r = -Infinity;
        else
            r = std::fabs(x) < 1 ? Invalid() : std::log((x + 1) / (x - 1)) / 2;
    } else if (name == u"abs")
        r = std::fabs(x);
    else if (name == u"sign") {
        const double d = double(x);
        r = d > 0 ? 1 : (d < 0 ? -1 : 0);
    } else if (name == u"exp")
        r = std::exp(x);
    else if (name == u"ln")
        r = std::log(x);
    else if (name == u"log")
        r = std::log10(x);
    else if (name == u"logy")
        r = std::log(x) / std::log(LogBase());
    else if (name == u"sqrt")
        r = std::sqrt(x);
    else if (name == u"sqr")
        r = x * x;
    else if (name == u"deg")
        r = DmsToDegrees(x);
    else if (name == u"dms")
        r = DegreesToDms(x);
    else if (name == u"rnd")
        r = Extended(Round(x));
    else if (name == u"gamma")
        r = x <= 0 ? Invalid() : Gamma(x);
    else
        return false;
    return true;
}

} // namespace

void ApplyFunction(const QString &name, Extended &r, TCalculationError &err, Extended x)
{
    SetCode(err, 0);
    try {
        Extended v = 0;
        bool known = false;
        Trapped([&]() -> Extended {
            known = Compute(name, x, v);
            return v;
        });
        if (known)
            r = v;
    } catch (const EInvalidOp &) {
        SetCode(err, 22);
        err.ErrorText = FormatNumber(2, 10, false, x);
        err.ErrorName = name;
    } catch (const EZeroDivide &) {
        SetCode(err, 22);
        err.ErrorText = FormatNumber(2, 10, false, x);
        err.ErrorName = name;
    } catch (const EOverflow &) {
        SetCode(err, 23);
        err.ErrorText = name;
    }
}
