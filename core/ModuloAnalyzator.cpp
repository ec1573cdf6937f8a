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

// "*" and "/" left to right, then "+" and "-": each operator from the second
// character on, with the tokens beside it.
void ReduceOperators(TModuloText &m)
{
    TPassRules rules;
    rules.First = 1;
    rules.Left = TLeftOperand::Token;
    ReduceLeftToRight(
        m, [](QChar c) { return c == u'*' || c == u'/'; }, rules,
        [](QChar op, const TModuloText::TOperand &left, const TModuloText::TOperand &right,
           TTokenResult<quint16> &result) {
            const quint16 a = Read(left);
            const quint16 b = Read(right);
            SetResidue(result, op == u'*' ? ReduceModulo(Extended(quint32(a) * quint32(b))) : ModuloDivide(a, b));
            return true;
        });
    if (m.Text.Size() > 0 && m.Text.At(0) == u'-') {
        m.Text.AllToRight();
        const quint16 zero = 0;
        m.PushRight(u"[0]", &zero);
    }
    ReduceLeftToRight(
        m, [](QChar c) { return c == u'+' || c == u'-'; }, rules,
        [](QChar op, const TModuloText::TOperand &left, const TModuloText::TOperand &right,
           TTokenResult<quint16> &result) {
            const quint16 a = Read(left);
            const quint16 b = Read(right);
            SetResidue(result, ReduceModulo(op == u'+' ? Extended(a) + Extended(b) : Extended(a) - Extended(b)));
            return true;
        });
}

// The evaluation of a prepared text; the brackets' contents are evaluated
// the same way, each without brackets of its own.
void Evaluate(TModuloText &m, TCalculationError &Err, QString &Value)
{
    Err.ErrorCode = 0;
    Err.ErrorStart = 0;
    Err.ErrorEnd = 0;
    const TBracketOutcome brackets = ReduceBrackets(
        m, nullptr, [&](const TModuloText &outer, qsizetype start, qsizetype length, TTokenResult<quint16> &result) {
            TModuloText inner;
            inner.AssignFrom(outer, start, length);
            TCalculationError local;
            QString residue;
            Evaluate(inner, local, residue);
            if (local.ErrorCode != 0) {
                Err = local;
                Value.clear();
                return false;
            }
            SetResidue(result, ModuloTokenToWord(residue));
            return true;
        });
    if (brackets == TBracketOutcome::Unclosed || brackets == TBracketOutcome::Empty) {
        SetErrorCode(Err, brackets == TBracketOutcome::Unclosed ? 11 : 9);
        Value.clear();
        return;
    }
    if (brackets == TBracketOutcome::Failed)
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
    Value = IntToStr(ReduceModulo(whole ? *known : ModuloTokenToWord(m.Text.ToString())));
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
        Evaluate(m, Err, Value);
    } catch (const EDivByZero &) {
        SetErrorCode(Err, 25);
        Value.clear();
    }
}

void CheckModuloSyntax(const QString &Expr, TCalculationError &Err, const TStringList &Names)
{
    Err.ErrorCode = 0;
    Err.ErrorEnd = 0;
    const TSyntaxText s(Expr, false);
    const qsizetype len = s.Size();
    if (len == 0)
        return;
    const auto fail = [&](quint8 code, qsizetype start, qsizetype end) { s.Report(Err, code, start, end); };
    const auto in = [](QChar c, QStringView set) { return !c.isNull() && set.contains(c); };

    for (qsizetype i = 0; i < len; ++i) {
        const QChar c = s.At(i);
        if (in(c, u"!%^"))
            return fail(13, i, i + 1);
        if (!in(c, u"()*+-/") && !IsAsciiDigit(c) && !IsAsciiLetter(c))
            return fail(16, i, i + 1);
    }
    if (in(s.At(0), u"*/"))
        return fail(2, 0, 1);
    if (in(s.At(len - 1), u"*+-/"))
        return fail(3, len - 1, len);
    for (qsizetype i = 1; i < len; ++i) {
        const QChar c = s.At(i);
        const QChar p = s.At(i - 1);
        if (in(c, u"*+-/") && in(p, u"*+-/"))
            return fail(5, i, i + 1);
        if (in(p, u"*+-/") && c == u')')
            return fail(7, i, i + 1);
        if (p == u'(' && in(c, u"*/"))
            return fail(8, i, i + 1);
    }
    const qsizetype empty = s.IndexOf(u"()");
    if (empty >= 0)
        return fail(9, empty, empty + 2);

    // A bracket fault keeps the span CheckBrackets mapped already, unless a
    // function below replaces it.
    CheckBrackets(s.Text(), Expr, Err);

    const QString lower = LowerCase(s.Text());
    for (int n = 0; n < Names.Count(); ++n) {
        const qsizetype p = lower.indexOf(Names[n]);
        if (p >= 0)
            return fail(14, p, p + Names[n].size());
    }
}
