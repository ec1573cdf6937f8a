#include "core/ZlomkovyAnalyzator.h"

#include "core/Analyzator.h"
#include "platform/FloatMath.h"
#include "platform/PascalString.h"

bool FractionFirstCall = true;

namespace {

// An operand token as a fraction in lowest terms. A missing operand has no
// value, and a zero denominator (left by a power of 0 to a negative
// exponent) is a division by zero wherever it is read.
TFraction Read(const QString &s)
{
    if (s.isEmpty())
        throw EConvertError(QStringLiteral("'' is not a valid floating point value"));
    TFraction f;
    StrToFraction(s, f);
    if (f.Denominator == 0)
        throw EZeroDivide();
    CancelFraction(f);
    return f;
}

bool IsWhole(const TFraction &f)
{
    return f.Denominator == 1;
}

QString Token(const TFraction &f)
{
    QString s;
    FractionToInputString(f, s);
    return s;
}

// The token of an intermediate result in lowest terms, so that its parts
// stay as small as the value allows; only the final result must fit the
// 64-bit range of the display.
QString ResultToken(TFraction f)
{
    if (f.Denominator != 0)
        CancelFraction(f);
    return Token(f);
}

QString WholeToken(TFractionInt x)
{
    TFraction f;
    f.Numerator = x;
    return Token(f);
}

// A whole, non-negative operand as a factorial argument: ERangeError
// outside 0..65535.
quint16 FactorialArgument(const TFraction &f)
{
    return RangeToUInt16(FractionToInt64(f));
}

TFractionInt ExactFactorial(quint16 n)
{
    TFraction r;
    r.Numerator = 1;
    for (quint32 i = 2; i <= n; ++i) {
        TFraction factor;
        factor.Numerator = i;
        MultiplyFractions(r, factor, r);
    }
    return r.Numerator;
}

// n! / ((n - k)! k!) without the factorials: C(n - k + i, i) grows with i
// up to the result, so only a result beyond the range overflows.
TFractionInt Binomial(quint16 n, quint16 k)
{
    if (k > n - k)
        k = quint16(n - k);
    TFraction r;
    r.Numerator = 1;
    for (quint32 i = 1; i <= k; ++i) {
        TFraction step;
        step.Numerator = TFractionInt(n - k + i);
        step.Denominator = TFractionInt(i);
        MultiplyFractions(r, step, r);
        CancelFraction(r);
    }
    return r.Numerator;
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
        const TFraction p = Read(tok);
        TFraction hundred;
        hundred.Numerator = 100;
        TFraction f;
        DivideFractions(p, hundred, f);
        const QChar sign = pas::At(s, i);
        // The text replaced ends with the first "%", so its first occurrence
        // is the one found here.
        if (i > 1 && (sign == u'+' || sign == u'-')) {
            TFraction one;
            one.Numerator = 1;
            if (sign == u'+')
                AddFractions(one, f, f);
            else
                SubtractFractions(one, f, f);
            ReplaceCollapsedAt(s, i - 1, tok.size() + 2, u'*' + ResultToken(f));
        } else {
            ReplaceCollapsedAt(s, k, tok.size() + 1, ResultToken(f));
        }
        from = SearchFrom(s, 1);
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
        PowerFraction(Read(left), r, Read(right));
        // No "^" stands after this one, so the last occurrence of the text is
        // here, and nothing after the new token needs a second look.
        const int at = k - 1 - int(left.size());
        const QString token = ResultToken(r);
        ReplaceCollapsedAt(s, at, left.size() + 1 + right.size(), token);
        k = qMin(pas::Length(s), at + int(token.size()));
    }
}

// False (with the code set) for a factorial of a negative or broken number.
bool ReduceFactorials(QString &s, TCalculationError &err)
{
    int p;
    int from = 0;
    while ((p = PosFrom(u"!", s, from)) > 1) {
        QString left, right;
        ExtractAdjacentTokens(s, p, left, right);
        const TFraction x = Read(left);
        if (!IsWhole(x) || x.Numerator < 0) {
            err.ErrorCode = 24;
            return false;
        }
        ReplaceCollapsedAt(s, p - 1 - left.size(), left.size() + 1, WholeToken(ExactFactorial(FactorialArgument(x))));
        from = SearchFrom(s, 1);
    }
    return true;
}

bool ReduceBinomials(QString &s, TCalculationError &err)
{
    static const QString word = QStringLiteral("nad");
    int p;
    int from = 0;
    while ((p = PosFrom(word, s, from)) > 0) {
        QString left, right;
        ExtractOperandsAt(s, p, 3, left, right);
        const TFraction n = Read(left);
        const TFraction k = Read(right);
        if (!IsWhole(n) || !IsWhole(k) || n.Numerator < 0 || k.Numerator < 0) {
            err.ErrorCode = 27;
            err.ErrorText = word;
            return false;
        }
        if (k.Numerator > n.Numerator) {
            err.ErrorCode = 28;
            return false;
        }
        const TFractionInt r = Binomial(FactorialArgument(n), FactorialArgument(k));
        ReplaceCollapsedAt(s, p - 1 - left.size(), left.size() + 3 + right.size(), WholeToken(r));
        from = SearchFrom(s, 3);
    }
    return true;
}

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
        const TFraction a = Read(left);
        const TFraction b = Read(right);
        if (!IsWhole(a) || !IsWhole(b)) {
            err.ErrorCode = 27;
            err.ErrorText = word;
            return false;
        }
        const qint64 x = FractionToInt64(a);
        const qint64 y = FractionToInt64(b);
        const qint64 r = isDiv ? IDiv(x, y) : IMod(x, y);
        ReplaceCollapsedAt(s, p - 1 - left.size(), left.size() + 3 + right.size(), WholeToken(r));
        from = SearchFrom(s, 3);
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
        // An operand that reads is a whole token, so an earlier occurrence
        // of the text would hold an earlier operator.
        ReplaceCollapsedAt(s, i - 1 - left.size(), left.size() + 1 + right.size(), ResultToken(r));
        i = SearchFrom(s, 1);
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
        ReplaceCollapsedAt(s, i - 1 - left.size(), left.size() + 1 + right.size(), ResultToken(r));
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

void EvaluateFraction(const QString &Expr, TCalculationError &Err, QString &Value)
{
    const DepthGuard depth;
    QString s = Expr;
    Err.ErrorCode = 0;

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
        if (EvaluationDepth == 1)
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
