#include "core/ZlomkovyAnalyzator.h"

#include "core/Analyzator.h"
#include "platform/FloatMath.h"
#include "platform/PascalString.h"

bool FractionFirstCall = true;

namespace {

// The fraction mode's exact arithmetic: 128-bit parts in lowest terms.
// Intermediate values may use the whole 128-bit range; only the final
// result must fit the 64-bit range of the display.
struct TExactFractions
{
    using Fraction = TFraction;

    // An operand token as a fraction in lowest terms. A missing operand has
    // no value, and a zero denominator (left by a power of 0 to a negative
    // exponent) is a division by zero wherever it is read.
    static Fraction Read(const QString &s)
    {
        if (s.isEmpty())
            throw EConvertError(QStringLiteral("'' is not a valid floating point value"));
        Fraction f;
        StrToFraction(s, f);
        if (f.Denominator == 0)
            throw EZeroDivide();
        CancelFraction(f);
        return f;
    }

    // In lowest terms, so that the parts stay as small as the value allows.
    static QString Token(Fraction f)
    {
        if (f.Denominator != 0)
            CancelFraction(f);
        QString s;
        FractionToInputString(f, s);
        return s;
    }

    static Fraction Whole(TFractionInt x) { return Fraction{x, 1}; }
    static bool IsWhole(const Fraction &f) { return f.Denominator == 1; }
    static bool IsNegative(const Fraction &f) { return f.Numerator < 0; }
    static bool IsZero(const Fraction &f) { return f.Numerator == 0; }
    static bool Less(const Fraction &a, const Fraction &b) { return a.Numerator < b.Numerator; } // whole numbers
    static qint64 ToInt64(const Fraction &f) { return FractionToInt64(f); }

    // P% (Sign 0), 1 + P% ("+") or 1 - P% ("-").
    static Fraction Percent(const Fraction &p, QChar sign)
    {
        Fraction f;
        DivideFractions(p, Whole(100), f);
        if (sign == u'+')
            AddFractions(Whole(1), f, f);
        else if (sign == u'-')
            SubtractFractions(Whole(1), f, f);
        return f;
    }

    static Fraction Power(const Fraction &base, const Fraction &exponent)
    {
        Fraction r;
        PowerFraction(base, r, exponent);
        return r;
    }

    static Fraction Factorial(quint16 n)
    {
        Fraction r = Whole(1);
        for (quint32 i = 2; i <= n; ++i)
            MultiplyFractions(r, Whole(i), r);
        return r;
    }

    // n! / ((n - k)! k!) without the factorials: C(n - k + i, i) grows with i
    // up to the result, so only a result beyond the range overflows.
    static Fraction Binomial(quint16 n, quint16 k)
    {
        if (k > n - k)
            k = quint16(n - k);
        Fraction r = Whole(1);
        for (quint32 i = 1; i <= k; ++i) {
            MultiplyFractions(r, Fraction{TFractionInt(n - k + i), TFractionInt(i)}, r);
            CancelFraction(r);
        }
        return r;
    }

    // The value of a whole evaluation. Only the outermost one is shown, so
    // only it must fit the 64-bit range (EInvalidOp otherwise); a bracket
    // may hold more on the way.
    static QString Result(const QString &s, bool outermost)
    {
        Fraction f = Read(s);
        if (outermost)
            ReduceFraction(f);
        QString t;
        FractionToInputString(f, t);
        return t;
    }
};

// The arithmetic of fractions with 80-bit parts that the exact one falls
// back to when its result leaves the 64-bit range: every value keeps the 15
// digits of its token, and each whole evaluation (a bracket's too) is made
// whole and reduced as the 80-bit parts allow (ReduceFractionToken).
struct TFloatFractions
{
    using Fraction = TFloatFraction;

    static Fraction Read(const QString &s)
    {
        if (s.isEmpty())
            throw EConvertError(QStringLiteral("'' is not a valid floating point value"));
        Fraction f;
        StrToFraction(s, f);
        if (f.Denominator == 0)
            throw EZeroDivide();
        return f;
    }

    static QString Token(const Fraction &f)
    {
        QString s;
        FractionToInputString(f, s);
        return s;
    }

    static Extended Value(const Fraction &f) { return FDiv(f.Numerator, f.Denominator); }
    static Fraction Whole(Extended x) { return Fraction{x, 1}; }
    static bool IsWhole(const Fraction &f) { return !HasFractionalPart(Value(f)); }
    static bool IsNegative(const Fraction &f) { return Value(f) < 0; }
    static bool IsZero(const Fraction &f) { return f.Numerator == 0; }
    static bool Less(const Fraction &a, const Fraction &b) { return Value(a) < Value(b); }
    static qint64 ToInt64(const Fraction &f) { return Round(Value(f)); }

    // n / (100 d), (n + 100 d) / (100 d) or (100 d - n) / (100 d).
    static Fraction Percent(const Fraction &p, QChar sign)
    {
        Fraction f;
        f.Denominator = FMul(100, p.Denominator);
        if (sign == u'+')
            f.Numerator = FAdd(p.Numerator, f.Denominator);
        else if (sign == u'-')
            f.Numerator = FSub(f.Denominator, p.Numerator);
        else
            f.Numerator = p.Numerator;
        return f;
    }

    static Fraction Power(const Fraction &base, const Fraction &exponent)
    {
        Fraction r;
        PowerFraction(base, r, Value(exponent));
        return r;
    }

    static Fraction Factorial(quint16 n) { return Whole(CheckFloat(::Factorial(n))); }

    static Fraction Binomial(quint16 n, quint16 k)
    {
        return Whole(FDiv(CheckFloat(::Factorial(n)),
                          FMul(CheckFloat(::Factorial(quint16(n - k))), CheckFloat(::Factorial(k)))));
    }

    static QString Result(const QString &s, bool)
    {
        TFraction f;
        ReduceFractionToken(s, f);
        QString t;
        FractionToInputString(f, t);
        return t;
    }
};

// A whole, non-negative operand as a factorial argument: ERangeError
// outside 0..65535.
template <class P>
quint16 FactorialArgument(const typename P::Fraction &f)
{
    return RangeToUInt16(P::ToInt64(f));
}

// Where the search for the first occurrence of a Length-character operator
// may begin again after a rewrite: none stood before the one rewritten, and
// the kept part of the text is as it was.
int SearchFrom(const QString &s, int length)
{
    return int(qMax<qsizetype>(0, KeptPrefix(s) - (length - 1)));
}

// The first occurrence of Word from 0-based From, 1-based (0 for none).
int PosFrom(QStringView word, const QString &s, int from)
{
    return int(s.indexOf(word, from)) + 1;
}

// "%": b% is b/100, a + b% is a * (1 + b/100), a - b% is a * (1 - b/100).
template <class P>
void ReducePercent(QString &s)
{
    int pc;
    int from = 0;
    while ((pc = PosFrom(u"%", s, from)) > 0) {
        int k = pc - 1;
        while (k >= 1) {
            const QChar c = pas::At(s, k);
            const bool part =
                pas::CharInSet(c, u",.0123456789Ee[]|") || ((c == u'+' || c == u'-') && !FractionNotInsideToken(k, s));
            if (!part)
                break;
            --k;
        }
        const int i = k == 0 ? 1 : k;
        const QString tok = pas::Copy(s, k + 1, pc - k - 1);
        const typename P::Fraction p = P::Read(tok);
        const QChar sign = pas::At(s, i);
        // The text replaced ends with the first "%", so its first occurrence
        // is the one found here.
        if (i > 1 && (sign == u'+' || sign == u'-'))
            ReplaceCollapsedAt(s, i - 1, tok.size() + 2, u'*' + P::Token(P::Percent(p, sign)));
        else
            ReplaceCollapsedAt(s, k, tok.size() + 1, P::Token(P::Percent(p, QChar())));
        from = SearchFrom(s, 1);
    }
}

template <class P>
void ReducePowers(QString &s)
{
    int k = pas::Length(s);
    while (k >= 1) {
        if (pas::At(s, k) != u'^') {
            --k;
            continue;
        }
        QString left, right;
        ExtractAdjacentTokens(s, k, left, right);
        const typename P::Fraction r = P::Power(P::Read(left), P::Read(right));
        // No "^" stands after this one, so the last occurrence of the text is
        // here, and nothing after the new token needs a second look.
        const int at = k - 1 - int(left.size());
        const QString token = P::Token(r);
        ReplaceCollapsedAt(s, at, left.size() + 1 + right.size(), token);
        k = qMin(pas::Length(s), at + int(token.size()));
    }
}

// False (with the code set) for a factorial of a negative or broken number.
template <class P>
bool ReduceFactorials(QString &s, TCalculationError &err)
{
    int p;
    int from = 0;
    while ((p = PosFrom(u"!", s, from)) > 1) {
        QString left, right;
        ExtractAdjacentTokens(s, p, left, right);
        const typename P::Fraction x = P::Read(left);
        if (!P::IsWhole(x) || P::IsNegative(x)) {
            err.ErrorCode = 24;
            return false;
        }
        ReplaceCollapsedAt(s, p - 1 - left.size(), left.size() + 1, P::Token(P::Factorial(FactorialArgument<P>(x))));
        from = SearchFrom(s, 1);
    }
    return true;
}

template <class P>
bool ReduceBinomials(QString &s, TCalculationError &err)
{
    static const QString word = QStringLiteral("nad");
    int p;
    int from = 0;
    while ((p = PosFrom(word, s, from)) > 0) {
        QString left, right;
        ExtractOperandsAt(s, p, 3, left, right);
        const typename P::Fraction n = P::Read(left);
        const typename P::Fraction k = P::Read(right);
        if (!P::IsWhole(n) || !P::IsWhole(k) || P::IsNegative(n) || P::IsNegative(k)) {
            err.ErrorCode = 27;
            err.ErrorText = word;
            return false;
        }
        if (P::Less(n, k)) {
            err.ErrorCode = 28;
            return false;
        }
        const typename P::Fraction r = P::Binomial(FactorialArgument<P>(n), FactorialArgument<P>(k));
        ReplaceCollapsedAt(s, p - 1 - left.size(), left.size() + 3 + right.size(), P::Token(r));
        from = SearchFrom(s, 3);
    }
    return true;
}

template <class P>
bool ReduceDivMod(QString &s, TCalculationError &err)
{
    int from = 0;
    // A word that no longer occurs never comes back: results are tokens,
    // which hold no letters and part the text on both sides.
    bool divGone = false, modGone = false;
    for (;;) {
        const int pd = divGone ? 0 : PosFrom(u"div", s, from);
        const int pm = modGone ? 0 : PosFrom(u"mod", s, from);
        divGone = pd == 0;
        modGone = pm == 0;
        if (pd == 0 && pm == 0)
            return true;
        const bool isDiv = pd > 0 && (pm == 0 || pd < pm);
        const QString word = isDiv ? QStringLiteral("div") : QStringLiteral("mod");
        const int p = isDiv ? pd : pm;
        QString left, right;
        ExtractOperandsAt(s, p, 3, left, right);
        const typename P::Fraction a = P::Read(left);
        const typename P::Fraction b = P::Read(right);
        if (!P::IsWhole(a) || !P::IsWhole(b)) {
            err.ErrorCode = 27;
            err.ErrorText = word;
            return false;
        }
        const qint64 x = P::ToInt64(a);
        const qint64 y = P::ToInt64(b);
        const qint64 r = isDiv ? IDiv(x, y) : IMod(x, y);
        ReplaceCollapsedAt(s, p - 1 - left.size(), left.size() + 3 + right.size(), P::Token(P::Whole(r)));
        from = SearchFrom(s, 3);
    }
}

// False (code 25) for a division by zero.
template <class P>
bool ReduceProducts(QString &s, TCalculationError &err)
{
    for (int i = 1; i <= pas::Length(s); ++i) {
        const QChar op = pas::At(s, i);
        if (op != u'*' && op != u'/')
            continue;
        QString left, right;
        ExtractAdjacentTokens(s, i, left, right);
        const typename P::Fraction a = P::Read(left);
        const typename P::Fraction b = P::Read(right);
        typename P::Fraction r;
        if (op == u'*') {
            MultiplyFractions(a, b, r);
        } else {
            // Crosswise multiplication would turn x / 0 into the fraction
            // x / 0 and show it as a result.
            if (P::IsZero(b)) {
                SetErrorCode(err, 25);
                return false;
            }
            DivideFractions(a, b, r);
        }
        // An operand that reads is a whole token, so an earlier occurrence
        // of the text would hold an earlier operator.
        ReplaceCollapsedAt(s, i - 1 - left.size(), left.size() + 1 + right.size(), P::Token(r));
        i = SearchFrom(s, 1);
    }
    return true;
}

template <class P>
void ReduceSums(QString &s)
{
    for (int i = 2; i <= pas::Length(s); ++i) {
        const QChar op = pas::At(s, i);
        if ((op != u'+' && op != u'-') || !FractionNotInsideToken(i, s))
            continue;
        QString left, right;
        ExtractAdjacentTokens(s, i, left, right);
        typename P::Fraction r;
        if (op == u'+')
            AddFractions(P::Read(left), P::Read(right), r);
        else
            SubtractFractions(P::Read(left), P::Read(right), r);
        ReplaceCollapsedAt(s, i - 1 - left.size(), left.size() + 1 + right.size(), P::Token(r));
        i = qMax(1, SearchFrom(s, 1));
    }
}

} // namespace

bool ExpressionHasNoFunction(const QString &Expr, const TStringList &Names)
{
    const QString s = Expr + u'+';
    for (int n = 0; n < Names.Count(); ++n)
        if (pas::Pos(Names[n], s) > 0)
            return false;
    return true;
}

bool FractionNotInsideToken(int Pos, const QString &S)
{
    if (Pos > pas::Length(S))
        return true;
    for (int k = Pos; k >= 1; --k) {
        if (pas::At(S, k) == u']')
            return true;
        if (pas::At(S, k) == u'[')
            return false;
    }
    return true;
}

namespace {

// Nesting depth of the evaluation: only the outermost result is shown, so
// only it must fit the 64-bit range; a bracket may hold more on the way.
int EvaluationDepth = 0;

struct DepthGuard
{
    DepthGuard() { ++EvaluationDepth; }
    ~DepthGuard() { --EvaluationDepth; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;
};

} // namespace

namespace {

// One evaluation of a prepared text (and, recursively, of its brackets).
template <class P>
void EvaluatePrepared(const QString &Expr, TCalculationError &Err, QString &Value)
{
    const DepthGuard depth;
    QString s = Expr;
    Err.ErrorCode = 0;

    if (!ReduceBrackets(s, Err, Value, EvaluatePrepared<P>))
        return;

    try {
        ReducePercent<P>(s);
        ReducePowers<P>(s);
        if (!ReduceFactorials<P>(s, Err) || !ReduceBinomials<P>(s, Err) || !ReduceDivMod<P>(s, Err)
            || !ReduceProducts<P>(s, Err))
            return;
        if (s.startsWith(u'-'))
            s.prepend(QStringLiteral("[0]"));
        ReduceSums<P>(s);
        Value = P::Result(s, EvaluationDepth == 1);
    } catch (const EConvertError &) {
        SetErrorCode(Err, 1);
        Value = s;
    } catch (const EInvalidOp &) {
        SetErrorCode(Err, 20);
        Value = s;
    } catch (const ERangeError &) {
        SetErrorCode(Err, 20);
    } catch (const EIntOverflow &) {
        SetErrorCode(Err, 20);
    } catch (const EOverflow &) {
        SetErrorCode(Err, 20);
    } catch (const EZeroDivide &) {
        SetErrorCode(Err, 25);
    } catch (const EDivByZero &) {
        SetErrorCode(Err, 25);
    }
}

} // namespace

void EvaluateFraction(const QString &Expr, TCalculationError &Err, QString &Value)
{
    QString s = Expr;
    if (FractionFirstCall) {
        s = CompactBlanks(s);
        s += QStringLiteral("+0");
        SubstituteVariables(s);
        SubstituteConstants(s);
        BracketNumbers(s);
        InsertImplicitMultiplication(s, TCharSet(u"+,-.0123456789"), TCharSet::Digits() + TCharSet::Letters());
        s.remove(u' ');
        s = LowerCase(s);
        FractionFirstCall = false;
    }
    const TCalculationError given = Err;
    EvaluatePrepared<TExactFractions>(s, Err, Value);
    // A value too high for exact 64-bit parts (or for the 128 bits on the
    // way) is computed again with 80-bit parts, which round where the exact
    // ones cannot: code 20 only when that result too leaves the range.
    if (Err.ErrorCode == 20) {
        Err = given;
        EvaluatePrepared<TFloatFractions>(s, Err, Value);
    }
}
