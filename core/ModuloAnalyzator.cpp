#include "core/ModuloAnalyzator.h"

#include "platform/FloatMath.h"
#include "platform/PascalString.h"

quint16 Modulus = 5;
bool ModuloFirstCall = false;

namespace {

QString ResidueToken(quint16 r)
{
    return u'[' + IntToStr(r) + u']';
}

// One pass over the operators of Ops, left to right from the second
// character; every rewrite removes one operator and starts again.
template <typename Apply>
void ReducePass(QString &t, QStringView ops, Apply apply)
{
    for (int i = 2; i <= pas::Length(t); ++i) {
        const QChar op = pas::At(t, i);
        if (!pas::CharInSet(op, ops))
            continue;
        QString left, right;
        ExtractAdjacentTokens(t, i, left, right);
        const quint16 a = ModuloTokenToWord(left);
        const quint16 b = ModuloTokenToWord(right);
        const int at = i - pas::Length(left);
        ReplaceAt(t, at, pas::Length(left) + 1 + pas::Length(right), ResidueToken(apply(op, a, b)));
        // No operator stood before this one, and that part is as it was.
        i = qMax(1, at - 1);
    }
}

void Evaluate(const QString &Expr, TCalculationError &Err, QString &Value);

// A bracket's contents as a residue token: the value comes back as bare digits.
void EvaluateToToken(const QString &Expr, TCalculationError &Err, QString &Value)
{
    Evaluate(Expr, Err, Value);
    if (Err.ErrorCode == 0)
        Value = u'[' + Value + u']';
}

void Evaluate(const QString &Expr, TCalculationError &Err, QString &Value)
{
    QString t = Expr;
    t.remove(u' ');
    Err.ErrorCode = 0;
    Err.ErrorStart = 0;
    Err.ErrorEnd = 0;

    if (ModuloFirstCall) {
        t += QStringLiteral("+0");
        SubstituteVariables(t);
        SubstituteConstants(t);
        BracketNumbers(t);
        InsertImplicitMultiplication(t, TCharSet::Digits(), TCharSet::Digits() + TCharSet::Letters() - TCharSet(u"E"));
        ModuloFirstCall = false;
    }

    if (!ReduceBrackets(t, Err, Value, EvaluateToToken))
        return;

    try {
        ReducePass(t, u"*/", [](QChar op, quint16 a, quint16 b) {
            return op == u'*' ? ReduceModulo(Extended(quint32(a) * quint32(b))) : ModuloDivide(a, b);
        });
        if (t.startsWith(u'-'))
            t.prepend(QStringLiteral("[0]"));
        ReducePass(t, u"+-", [](QChar op, quint16 a, quint16 b) {
            return ReduceModulo(op == u'+' ? Extended(a) + Extended(b) : Extended(a) - Extended(b));
        });
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
    Value = IntToStr(ReduceModulo(ModuloTokenToWord(t)));
}

} // namespace

quint16 ModuloTokenToWord(const QString &S)
{
    QString t = S;
    int p = pas::Pos(u'[', t);
    if (p > 0)
        pas::Delete(t, p, 1);
    p = pas::Pos(u']', t);
    if (p > 0)
        pas::Delete(t, p, 1);
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
    const int p = pas::Pos(Old, S);
    if (p > 0)
        ReplaceAt(S, p, pas::Length(Old), New);
}

void EvaluateModulo(const QString &Expr, TCalculationError &Err, QString &Value)
{
    // A divisor without inverse and a modulus of 0 are a division by zero
    // wherever they are met.
    try {
        Evaluate(Expr, Err, Value);
    } catch (const EDivByZero &) {
        SetErrorCode(Err, 25);
        Value.clear();
    }
}

void CheckModuloSyntax(const QString &Expr, TCalculationError &Err, const TStringList &Names)
{
    Err.ErrorCode = 0;
    Err.ErrorEnd = 0;
    QString s = Expr;
    s.remove(u' ');
    if (s.isEmpty())
        return;
    const int len = pas::Length(s);

    auto fail = [&](quint8 code, int start, int end) {
        Err.ErrorCode = code;
        Err.ErrorStart = start;
        Err.ErrorEnd = end;
        AdjustErrorPositions(Expr, Err);
    };

    for (int i = 1; i <= len; ++i) {
        const QChar c = pas::At(s, i);
        if (pas::CharInSet(c, u"!%^"))
            return fail(13, i - 1, i);
        if (!pas::CharInSet(c, u"()*+-/") && !pas::IsDigit(c) && !pas::IsAsciiLetter(c))
            return fail(16, i - 1, i);
    }
    if (pas::CharInSet(pas::At(s, 1), u"*/"))
        return fail(2, 0, 1);
    if (pas::CharInSet(pas::At(s, len), u"*+-/"))
        return fail(3, len - 1, len);
    for (int i = 2; i <= len; ++i) {
        const QChar c = pas::At(s, i);
        const QChar p = pas::At(s, i - 1);
        if (pas::CharInSet(c, u"*+-/") && pas::CharInSet(p, u"*+-/"))
            return fail(5, i - 1, i);
        if (pas::CharInSet(p, u"*+-/") && c == u')')
            return fail(7, i - 1, i);
        if (p == u'(' && pas::CharInSet(c, u"*/"))
            return fail(8, i - 1, i);
    }
    const int empty = pas::Pos(QStringLiteral("()"), s);
    if (empty > 0)
        return fail(9, empty - 1, empty + 1);

    // A bracket fault keeps the span CheckBrackets mapped already, unless a
    // function below replaces it.
    CheckBrackets(s, Expr, Err);

    const QString lower = LowerCase(s);
    for (int n = 0; n < Names.Count(); ++n) {
        const int p = pas::Pos(Names[n], lower);
        if (p > 0)
            return fail(14, p - 1, p - 1 + pas::Length(Names[n]));
    }
}
