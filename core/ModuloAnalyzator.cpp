#include "core/ModuloAnalyzator.h"

#include "core/uReduction.h"
#include "platform/FloatMath.h"

using namespace ExpressionChars;

quint16 Modulus = 5;
bool ModuloFirstCall = false;

namespace {

using TModuloText = TReduction<quint16>;

quint16 Read(const TModuloText::TOperand &operand)
{
    return operand.Value ? *operand.Value : ModuloTokenToWord(operand.Text.toString());
}

void SetResidue(TTokenResult<quint16> &result, quint16 r)
{
    result.SetText(u'[' + IntToStr(r) + u']');
    result.HasValue = true;
    result.Value = r;
}

// The residue of an operation.
quint16 Apply(QChar op, quint16 a, quint16 b)
{
    switch (op.unicode()) {
    case u'*':
        // The product is formed exactly (up to 65535 * 65535).
        return ReduceModulo(Extended(quint32(a) * quint32(b)));
    case u'/':
        return ModuloDivide(a, b);
    case u'+':
        return ReduceModulo(Extended(a) + Extended(b));
    default:
        return ReduceModulo(Extended(a) - Extended(b));
    }
}

// One level of operators, left to right, each from the second character on,
// with the tokens beside it.
void ReduceLevel(TModuloText &m, QChar a, QChar b)
{
    TPassRules rules;
    rules.First = 1;
    rules.Left = TLeftOperand::Token;
    ReduceLeftToRight(
        m, [a, b](QChar c) { return c == a || c == b; }, rules,
        [](QChar op, const TModuloText::TOperand &left, const TModuloText::TOperand &right,
           TTokenResult<quint16> &result) {
            const quint16 x = Read(left);
            SetResidue(result, Apply(op, x, Read(right)));
            return true;
        });
}

// "*" and "/", then "+" and "-".
void ReduceOperators(TModuloText &m)
{
    ReduceLevel(m, u'*', u'/');
    if (m.Text.Size() > 0 && m.Text.At(0) == u'-') {
        m.Text.AllToRight();
        const quint16 zero = 0;
        m.PushRight(u"[0]", &zero);
    }
    ReduceLevel(m, u'+', u'-');
}

// The evaluation of a prepared text; the brackets' contents are evaluated
// the same way, each without brackets of its own.
// Value receives the residue in decimal, Result (when given) its token.
void Evaluate(TModuloText &m, TCalculationError &Err, QString &Value, TTokenResult<quint16> *result)
{
    Err.ErrorCode = 0;
    Err.ErrorStart = 0;
    Err.ErrorEnd = 0;
    if (!ReduceBracketsOrFail(m, Err, Value, Evaluate))
        return;

    try {
        ReduceOperators(m);
    } catch (const EConvertError &) {
        SetErrorCode(Err, 1);
        Value.clear();
        return;
    } catch (const EInvalidOp &) {
        SetErrorCode(Err, 25);
        Value.clear();
        return;
    } catch (const EZeroDivide &) {
        SetErrorCode(Err, 25);
        Value.clear();
        return;
    }
    const quint16 *known = m.Text.Size() > 0 ? m.ValueAt(0) : nullptr;
    const bool whole = known && IsSingleToken(m.Text.ToString());
    const quint16 residue = ReduceModulo(whole ? *known : ModuloTokenToWord(m.Text.ToString()));
    Value = IntToStr(residue);
    if (result)
        SetResidue(*result, residue);
}

} // namespace

quint16 ModuloTokenToWord(const QString &S)
{
    QString t = S;
    const qsizetype open = t.indexOf(u'[');
    if (open >= 0)
        t.remove(open, 1);
    const qsizetype close = t.indexOf(u']');
    if (close >= 0)
        t.remove(close, 1);
    return RangeToUInt16(StrToInt(t));
}

quint16 ReduceModulo(Extended X)
{
    qint64 r = IMod(Trunc(X), qint64(Modulus));
    if (r < 0)
        r += Modulus;
    return quint16(r);
}

quint16 ModuloDivide(quint16 A, quint16 B)
{
    const quint32 m = Modulus;
    if (m == 0 || B % m == 0)
        throw EDivByZero();
    quint32 inverse = 0;
    for (quint32 k = 1; k < m; ++k)
        if ((quint32(B) * k) % m == 1) {
            inverse = k;
            break;
        }
    // Without an inverse no residue q has q * B = A, so there is no quotient.
    if (inverse == 0)
        throw EDivByZero();
    return ReduceModulo(Extended(quint64(A) * inverse));
}

void ModuloReplaceFirst(QString &S, const QString &Old, const QString &New)
{
    ReplaceFirst(S, Old, New);
}

void EvaluateModulo(const QString &Expr, TCalculationError &Err, QString &Value)
{
    QString t = Expr;
    t.remove(u' ');
    if (ModuloFirstCall) {
        t += QStringLiteral("+0");
        SubstituteVariables(t);
        SubstituteConstants(t);
        BracketNumbers(t);
        InsertImplicitMultiplication(t, TCharSet::Digits(), TCharSet::Digits() + TCharSet::Letters() - TCharSet(u"E"));
        ModuloFirstCall = false;
    }
    // A divisor without inverse and a modulus of 0 are a division by zero
    // wherever they are met.
    try {
        TModuloText m;
        m.Assign(t);
        Evaluate(m, Err, Value, nullptr);
    } catch (const EDivByZero &) {
        SetErrorCode(Err, 25);
        Value.clear();
    }
}

void CheckModuloSyntax(const QString &Expr, TCalculationError &Err, const TStringList &Names)
{
    const TSyntaxText s(Expr, Err, false);
    const qsizetype len = s.Size();
    if (len == 0)
        return;

    for (qsizetype i = 0; i < len; ++i) {
        const QChar c = s.At(i);
        if (IsCharIn(c, u"!%^"))
            return s.Fail(13, i, i + 1);
        if (!IsCharIn(c, u"()*+-/") && !IsAsciiDigit(c) && !IsAsciiLetter(c))
            return s.Fail(16, i, i + 1);
    }
    if (s.FailsAtEnds(u"*/", u"*+-/", QChar()))
        return;
    for (qsizetype i = 1; i < len; ++i) {
        const QChar c = s.At(i);
        const QChar p = s.At(i - 1);
        if (IsCharIn(c, u"*+-/") && IsCharIn(p, u"*+-/"))
            return s.Fail(5, i, i + 1);
        if (IsCharIn(p, u"*+-/") && c == u')')
            return s.Fail(7, i, i + 1);
        if (p == u'(' && IsCharIn(c, u"*/"))
            return s.Fail(8, i, i + 1);
    }
    const qsizetype empty = s.IndexOf(u"()");
    if (empty >= 0)
        return s.Fail(9, empty, empty + 2);

    // A bracket fault keeps the span CheckBrackets mapped already, unless a
    // function below replaces it.
    CheckBrackets(s.Text(), Expr, Err);

    const QString lower = LowerCase(s.Text());
    for (int n = 0; n < Names.Count(); ++n) {
        const qsizetype p = lower.indexOf(Names[n]);
        if (p >= 0)
            return s.Fail(14, p, p + Names[n].size());
    }
}
