#include "core/ZlomkovyAnalyzator.h"

#include "core/Analyzator.h"
#include "core/uReduction.h"
#include "platform/FloatMath.h"

bool FractionFirstCall = true;

namespace {

// An operand token as a fraction. A missing operand has no value, and a zero
// denominator (left by a power of 0 to a negative exponent) is a division by
// zero wherever it is read.
template <class F>
F ReadFraction(const QString &s)
{
    if (s.isEmpty())
        throw EConvertError(QStringLiteral("'' is not a valid floating point value"));
    F f;
    StrToFraction(s, f);
    if (f.Denominator == 0)
        throw EZeroDivide();
    return f;
}

// The fraction mode's exact arithmetic: 128-bit parts in lowest terms.
// Intermediate values may use the whole 128-bit range; only the final
// result must fit the 64-bit range of the display.
struct TExactFractions
{
    using Fraction = TFraction;

    // In lowest terms.
    static Fraction Read(const QString &s)
    {
        Fraction f = ReadFraction<Fraction>(s);
        CancelFraction(f);
        return f;
    }

    // In lowest terms, so that the parts stay as small as the value allows;
    // the token then reads back as the value kept beside it. One with a zero
    // denominator keeps none: it is refused where it is read.
    static void SetToken(TTokenResult<Fraction> &result, Fraction f)
    {
        if (f.Denominator != 0)
            CancelFraction(f);
        QString s;
        FractionToInputString(f, s);
        result.SetText(s);
        result.HasValue = f.Denominator != 0;
        result.Value = f;
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
    static void SetResult(TTokenResult<Fraction> &result, const TReduction<Fraction>::TOperand &text, bool outermost)
    {
        Fraction f = text.Value ? *text.Value : Read(text.Text.toString());
        if (outermost)
            ReduceFraction(f);
        QString t;
        FractionToInputString(f, t);
        result.SetText(t);
        result.HasValue = true;
        result.Value = f;
    }
};

// The arithmetic of fractions with 80-bit parts that the exact one falls
// back to when its result leaves the 64-bit range: every value keeps the 15
// digits of its token, and each whole evaluation (a bracket's too) is made
// whole and reduced as the 80-bit parts allow (ReduceFractionToken).
struct TFloatFractions
{
    using Fraction = TFloatFraction;

    static Fraction Read(const QString &s) { return ReadFraction<Fraction>(s); }

    // The value is read again from the token: its 15-digit parts are what
    // the next step computes with.
    static void SetToken(TTokenResult<Fraction> &result, const Fraction &f)
    {
        QString s;
        FractionToInputString(f, s);
        result.SetText(s);
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

    static void SetResult(TTokenResult<Fraction> &result, const TReduction<Fraction>::TOperand &text, bool)
    {
        TFraction f;
        ReduceFractionToken(text.Text.toString(), f);
        QString t;
        FractionToInputString(f, t);
        result.SetText(t);
    }
};

// A whole, non-negative operand as a factorial argument: ERangeError
// outside 0..65535.
template <class P>
quint16 FactorialArgument(const typename P::Fraction &f)
{
    return RangeToUInt16(P::ToInt64(f));
}

template <class P>
using TOperand = typename TReduction<typename P::Fraction>::TOperand;

template <class P>
typename P::Fraction Read(const TOperand<P> &o)
{
    return o.Value ? *o.Value : P::Read(o.Text.toString());
}

// Every rewrite of a pass goes through the sign clean-up.
TPassRules Rules(TLeftOperand left, bool *signCleanUp)
{
    TPassRules rules;
    rules.Left = left;
    rules.SignCleanUp = signCleanUp;
    return rules;
}

// The passes after the brackets. False (with the code set) for a fault
// that is a code of its own; every other fault is an exception.
template <class P>
bool ReduceOperators(TReduction<typename P::Fraction> &t, TCalculationError &err, bool *signCleanUp)
{
    using Fraction = typename P::Fraction;
    using Result = TTokenResult<Fraction>;

    // "%": b% is b/100, a + b% is a * (1 + b/100), a - b% is a * (1 - b/100).
    ReducePercent(
        t,
        [&t](QChar c, qsizetype i) {
            static const QStringView part = u",.0123456789Ee[]|";
            return part.contains(c) || ((c == u'+' || c == u'-') && IsInsideToken(t.Text, i));
        },
        Rules(TLeftOperand::Token, signCleanUp),
        [](QChar sign, const TOperand<P> &operand, Result &result) {
            P::SetToken(result, P::Percent(Read<P>(operand), sign));
            return true;
        });

    // Powers from the right; the exponent is read first.
    ReduceRightToLeft(
        t, [](QChar c, qsizetype) { return c == u'^'; }, Rules(TLeftOperand::Token, signCleanUp),
        [](QChar, const TOperand<P> &left, const TOperand<P> &right, Result &result) {
            const Fraction exponent = Read<P>(right);
            P::SetToken(result, P::Power(Read<P>(left), exponent));
            return true;
        });

    TPassRules postfix = Rules(TLeftOperand::Token, signCleanUp);
    postfix.Right = TRightOperand::None;
    postfix.First = 1;
    postfix.StopAtLead = true;
    if (!ReduceLeftToRight(
            t, [](QChar c) { return c == u'!'; }, postfix,
            [&err](QChar, const TOperand<P> &left, const TOperand<P> &, Result &result) {
                const Fraction x = Read<P>(left);
                if (!P::IsWhole(x) || P::IsNegative(x)) {
                    err.ErrorCode = 24;
                    return false;
                }
                P::SetToken(result, P::Factorial(FactorialArgument<P>(x)));
                return true;
            }))
        return false;

    static const QStringView nad[] = {u"nad"};
    if (!ReduceWords(t, nad, Rules(TLeftOperand::FromOpenBracket, signCleanUp),
                     [&err](size_t, const TOperand<P> &left, const TOperand<P> &right, Result &result) {
                         const Fraction n = Read<P>(left);
                         const Fraction k = Read<P>(right);
                         if (!P::IsWhole(n) || !P::IsWhole(k) || P::IsNegative(n) || P::IsNegative(k)) {
                             err.ErrorCode = 27;
                             err.ErrorText = QStringLiteral("nad");
                             return false;
                         }
                         if (P::Less(n, k)) {
                             err.ErrorCode = 28;
                             return false;
                         }
                         P::SetToken(result, P::Binomial(FactorialArgument<P>(n), FactorialArgument<P>(k)));
                         return true;
                     }))
        return false;

    static const QStringView divMod[] = {u"div", u"mod"};
    if (!ReduceWords(t, divMod, Rules(TLeftOperand::FromOpenBracket, signCleanUp),
                     [&err](size_t word, const TOperand<P> &left, const TOperand<P> &right, Result &result) {
                         const Fraction a = Read<P>(left);
                         const Fraction b = Read<P>(right);
                         if (!P::IsWhole(a) || !P::IsWhole(b)) {
                             err.ErrorCode = 27;
                             err.ErrorText = divMod[word].toString();
                             return false;
                         }
                         const qint64 x = P::ToInt64(a);
                         const qint64 y = P::ToInt64(b);
                         P::SetToken(result, P::Whole(word == 0 ? IDiv(x, y) : IMod(x, y)));
                         return true;
                     }))
        return false;

    TPassRules binary = Rules(TLeftOperand::Token, signCleanUp);
    if (!ReduceLeftToRight(
            t, [](QChar c) { return c == u'*' || c == u'/'; }, binary,
            [&err](QChar op, const TOperand<P> &left, const TOperand<P> &right, Result &result) {
                const Fraction a = Read<P>(left);
                const Fraction b = Read<P>(right);
                Fraction r;
                if (op == u'*') {
                    MultiplyFractions(a, b, r);
                } else {
                    // Crosswise multiplication would turn x / 0 into the
                    // fraction x / 0 and show it as a result.
                    if (P::IsZero(b)) {
                        SetErrorCode(err, 25);
                        return false;
                    }
                    DivideFractions(a, b, r);
                }
                P::SetToken(result, r);
                return true;
            }))
        return false;

    if (t.Text.Size() > 0 && t.Text.At(0) == u'-') {
        t.Text.AllToRight();
        t.Text.PushRight(u"[0]", -1);
    }
    binary.First = 1;
    binary.OutsideTokens = true;
    ReduceLeftToRight(
        t, [](QChar c) { return c == u'+' || c == u'-'; }, binary,
        [](QChar op, const TOperand<P> &left, const TOperand<P> &right, Result &result) {
            // The second operand is read first.
            const Fraction b = Read<P>(right);
            const Fraction a = Read<P>(left);
            Fraction r;
            if (op == u'+')
                AddFractions(a, b, r);
            else
                SubtractFractions(a, b, r);
            P::SetToken(result, r);
            return true;
        });
    return true;
}

} // namespace

bool ExpressionHasNoFunction(const QString &Expr, const TStringList &Names)
{
    const QString s = Expr + u'+';
    for (int n = 0; n < Names.Count(); ++n)
        if (s.contains(Names[n]))
            return false;
    return true;
}

bool FractionNotInsideToken(qsizetype Pos, const QString &S)
{
    return !IsInsideToken(S, Pos);
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

// One evaluation of a prepared text: Value receives the result token, and
// Result, when given, the token with its value. The brackets' contents are
// evaluated the same way, each without brackets of its own.
template <class P>
void EvaluatePrepared(TReduction<typename P::Fraction> &t, TCalculationError &Err, QString &Value,
                      TTokenResult<typename P::Fraction> *result)
{
    using Fraction = typename P::Fraction;
    const DepthGuard depth;
    Err.ErrorCode = 0;
    if (!ReduceBracketsOrFail(t, Err, Value, EvaluatePrepared<P>))
        return;

    bool signCleanUp = NeedsSignCleanUp(t.Text);
    try {
        if (!ReduceOperators<P>(t, Err, &signCleanUp))
            return;
        t.Text.AllToRight();
        TTokenResult<Fraction> r;
        P::SetResult(r, t.Operand(0, t.Text.Size()), EvaluationDepth == 1);
        Value = r.View().toString();
        if (result)
            *result = r;
    } catch (const EConvertError &) {
        SetErrorCode(Err, 1);
        Value = t.Text.ToString();
    } catch (const EInvalidOp &) {
        SetErrorCode(Err, 20);
        Value = t.Text.ToString();
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

template <class P>
void EvaluatePrepared(const QString &text, TCalculationError &Err, QString &Value)
{
    TReduction<typename P::Fraction> t;
    t.Assign(text);
    EvaluatePrepared<P>(t, Err, Value, nullptr);
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
        LowerAsciiInPlace(s);
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
