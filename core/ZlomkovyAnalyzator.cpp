#include "core/ZlomkovyAnalyzator.h"

#include "core/Analyzator.h"
#include "platform/FloatMath.h"
#include "platform/PascalString.h"

bool FractionFirstCall = true;

namespace {

// An operand token as a fraction. A missing operand has no value, and a
// zero denominator (left by a power of 0 to a negative exponent) is a
// division by zero wherever it is read.
TFraction Read(const QString &s)
{
    if (s.isEmpty())
        throw EConvertError(QStringLiteral("'' is not a valid floating point value"));
    TFraction f;
    StrToFraction(s, f);
    if (f.Denominator == 0)
        throw EZeroDivide();
    return f;
}

Extended ValueOf(const QString &s)
{
    const TFraction f = Read(s);
    return FDiv(f.Numerator, f.Denominator);
}

QString Token(const TFraction &f)
{
    QString s;
    FractionToInputString(f, s);
    return s;
}

// The token of an intermediate result, reduced while its parts fit the
// reduction. Unreduced, the parts of a sum of n fractions grow like the
// n-th power of the denominators and soon lose digits in the token text.
QString ResultToken(TFraction f)
{
    if (f.Denominator != 0) {
        try {
            TFraction r = f;
            ReduceFraction(r);
            f = r;
        } catch (const EInvalidOp &) {
            // Beyond the 64-bit range: left for the final reduction to judge.
        }
    }
    return Token(f);
}

QString WholeToken(Extended x)
{
    TFraction f;
    FractionFromFloat(f, x);
    return ResultToken(f);
}

// Round(x) as a factorial argument: ERangeError outside 0..65535.
quint16 FactorialArgument(Extended x)
{
    return RangeToUInt16(Round(x));
}

Extended CheckedFactorial(quint16 n)
{
    return CheckFloat(Factorial(n));
}

// "%": b% is b/100, a + b% is a * (1 + b/100), a - b% is a * (1 - b/100).
void ReducePercent(QString &s)
{
    int pc;
    while ((pc = pas::Pos(u'%', s)) > 0) {
        int k = pc - 1;
        while (k >= 1) {
            const QChar c = pas::At(s, k);
            const bool part = pas::CharInSet(c, u",.0123456789Ee[]|")
                || ((c == u'+' || c == u'-') && !FractionNotInsideToken(k, s));
            if (!part)
                break;
            --k;
        }
        const int i = k == 0 ? 1 : k;
        const QString tok = pas::Copy(s, k + 1, pc - k - 1);
        const TFraction p = Read(tok);
        const Extended hundred = FMul(100, p.Denominator);
        const QChar sign = pas::At(s, i);
        TFraction f;
        f.Denominator = hundred;
        if (i > 1 && (sign == u'+' || sign == u'-')) {
            f.Numerator = sign == u'+' ? FAdd(p.Numerator, hundred) : FSub(hundred, p.Numerator);
            ReplaceOccurrence(s, sign + tok + u'%', u'*' + ResultToken(f), false);
        } else {
            f.Numerator = p.Numerator;
            ReplaceOccurrence(s, tok + u'%', ResultToken(f), false);
        }
    }
}

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
        TFraction r;
        PowerFraction(Read(left), r, ValueOf(right));
        ReplaceOccurrence(s, left + u'^' + right, ResultToken(r), true);
        k = pas::Length(s);
    }
}

// False (with the code set) for a factorial of a negative or broken number.
bool ReduceFactorials(QString &s, TCalculationError &err)
{
    int p;
    while ((p = pas::Pos(u'!', s)) > 1) {
        QString left, right;
        ExtractAdjacentTokens(s, p, left, right);
        const Extended x = ValueOf(left);
        if (HasFractionalPart(x) || x < 0) {
            err.ErrorCode = 24;
            return false;
        }
        const quint16 n = FactorialArgument(x);
        Extended f = 1;
        for (quint32 i = 2; i <= n; ++i)
            f = FMul(f, Extended(i));
        ReplaceOccurrence(s, left + u'!', WholeToken(f), false);
        if (s.startsWith(u'+'))
            s.remove(0, 1);
    }
    return true;
}

bool ReduceBinomials(QString &s, TCalculationError &err)
{
    static const QString word = QStringLiteral("nad");
    while (pas::Pos(word, s) > 0) {
        QString left, right;
        ExtractOperands(s, word, left, false, right);
        const Extended n = ValueOf(left);
        const Extended k = ValueOf(right);
        if (HasFractionalPart(n) || HasFractionalPart(k) || n < 0 || k < 0) {
            err.ErrorCode = 27;
            err.ErrorText = word;
            return false;
        }
        if (k > n) {
            err.ErrorCode = 28;
            return false;
        }
        const Extended r = FDiv(CheckedFactorial(FactorialArgument(n)),
                                FMul(CheckedFactorial(FactorialArgument(n - k)), CheckedFactorial(FactorialArgument(k))));
        ReplaceOccurrence(s, left + word + right, WholeToken(r), false);
    }
    return true;
}

bool ReduceDivMod(QString &s, TCalculationError &err)
{
    for (;;) {
        const int pd = pas::Pos(QStringLiteral("div"), s);
        const int pm = pas::Pos(QStringLiteral("mod"), s);
        if (pd == 0 && pm == 0)
            return true;
        const QString word = (pd > 0 && (pm == 0 || pd < pm)) ? QStringLiteral("div") : QStringLiteral("mod");
        QString left, right;
        ExtractOperands(s, word, left, false, right);
        const Extended a = ValueOf(left);
        const Extended b = ValueOf(right);
        if (HasFractionalPart(a) || HasFractionalPart(b)) {
            err.ErrorCode = 27;
            err.ErrorText = word;
            return false;
        }
        const qint64 x = Round(a);
        const qint64 y = Round(b);
        const qint64 r = word == u"div" ? IDiv(x, y) : IMod(x, y);
        ReplaceOccurrence(s, left + word + right, WholeToken(Extended(r)), false);
    }
}

// False (code 25) for a division by zero.
bool ReduceProducts(QString &s, TCalculationError &err)
{
    for (int i = 1; i <= pas::Length(s); ++i) {
        const QChar op = pas::At(s, i);
        if (op != u'*' && op != u'/')
            continue;
        QString left, right;
        ExtractAdjacentTokens(s, i, left, right);
        const TFraction a = Read(left);
        const TFraction b = Read(right);
        TFraction r;
        if (op == u'*') {
            MultiplyFractions(a, b, r);
        } else {
            // Crosswise multiplication would turn x / 0 into the fraction
            // x / 0 and show it as a result.
            if (b.Numerator == 0) {
                SetErrorCode(err, 25);
                return false;
            }
            DivideFractions(a, b, r);
        }
        ReplaceOccurrence(s, left + op + right, ResultToken(r), false);
        i = 0;
    }
    return true;
}

void ReduceSums(QString &s)
{
    for (int i = 2; i <= pas::Length(s); ++i) {
        const QChar op = pas::At(s, i);
        if ((op != u'+' && op != u'-') || !FractionNotInsideToken(i, s))
            continue;
        QString left, right;
        ExtractAdjacentTokens(s, i, left, right);
        TFraction r;
        if (op == u'+')
            AddFractions(Read(left), Read(right), r);
        else
            SubtractFractions(Read(left), Read(right), r);
        ReplaceOccurrence(s, left + op + right, ResultToken(r), false);
        i = 1;
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

void EvaluateFraction(const QString &Expr, TCalculationError &Err, QString &Value)
{
    QString s = Expr;
    Err.ErrorCode = 0;

    if (FractionFirstCall) {
        s.remove(u' ');
        s += QStringLiteral("+0");
        SubstituteVariables(s);
        SubstituteConstants(s);
        BracketNumbers(s);
        InsertImplicitMultiplication(s, TCharSet(u"+,-.0123456789"), TCharSet::Digits() + TCharSet::Letters());
        s = LowerCase(s);
        FractionFirstCall = false;
    }

    if (!ReduceBrackets(s, Err, Value, EvaluateFraction))
        return;

    try {
        ReducePercent(s);
        ReducePowers(s);
        if (!ReduceFactorials(s, Err) || !ReduceBinomials(s, Err) || !ReduceDivMod(s, Err) || !ReduceProducts(s, Err))
            return;
        if (s.startsWith(u'-'))
            s.prepend(QStringLiteral("[0]"));
        ReduceSums(s);
        TFraction f = Read(s);
        ReduceFraction(f);
        Value = Token(f);
    } catch (const EConvertError &) {
        SetErrorCode(Err, 1);
        Value = s;
    } catch (const EInvalidOp &) {
        SetErrorCode(Err, 20);
        Value = s;
    } catch (const ERangeError &) {
        SetErrorCode(Err, 20);
    } catch (const EZeroDivide &) {
        SetErrorCode(Err, 25);
    } catch (const EDivByZero &) {
        SetErrorCode(Err, 25);
    }
}
