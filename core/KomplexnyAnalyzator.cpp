#include "core/KomplexnyAnalyzator.h"

#include "core/PrevodySustav.h"
#include "platform/FloatMath.h"
#include "platform/PascalString.h"

bool ComplexFirstCall = true;

namespace {

bool IsLiteralChar(QChar c)
{
    return pas::IsDigit(c) || c == u',' || c == u'.' || c == u'e' || c == ImaginaryUnit;
}

// A character of an operand run: a literal character, or the "^" of an
// exponential form ("e^").
bool IsRunChar(const QString &s, int k)
{
    const QChar c = pas::At(s, k);
    return IsLiteralChar(c) || (c == u'^' && pas::At(s, k - 1) == u'e');
}

TComplex ReadComplex(const QString &s)
{
    TComplex z;
    StrToComplex(s, z);
    return z;
}

QString Token(const TComplex &z)
{
    QString s;
    ComplexToStr(z, s);
    return s;
}

// Each pass below rewrites one operation at a time in place and starts its
// scan again; every rewrite removes one operator, so each pass ends.

void ReduceAbs(QString &t)
{
    int p;
    while ((p = pas::Pos(QStringLiteral("abs"), t)) > 0) {
        QString left, right;
        ExtractComplexOperands(t, p + 2, left, right);
        TComplex r;
        ComplexAbs(ReadComplex(right), r);
        ReplaceAt(t, p, 3 + pas::Length(right), Token(r));
    }
}

// False (with code 20 set) for an exponent that is not a whole non-negative
// real number.
bool ReducePowers(QString &t, TCalculationError &err, QString &value)
{
    int k = pas::Length(t);
    while (k >= 1) {
        if (pas::At(t, k) != u'^' || !ComplexNotInsideToken(k, t) || pas::At(t, k - 1) == u'e') {
            --k;
            continue;
        }
        QString left, right, rest;
        ExtractComplexOperands(t, k, left, right);
        const QChar sign = pas::At(t, k + 1);
        if (sign == u'+' || sign == u'-') {
            ExtractComplexOperands(t, k + 1, rest, right);
            right.prepend(sign);
        }
        if (right.contains(DecimalSeparator) || right.contains(ImaginaryUnit) || right.contains(u'-')) {
            SetErrorCode(err, 20);
            value.clear();
            return false;
        }
        const Extended e = ReadComplex(right).Re;
        if (!(e < 65535.5L))
            throw ERangeError();
        const quint16 n = RangeToUInt16(Round(e));
        TComplex r;
        ComplexIntPower(ReadComplex(left), n, r);
        const QString token = Token(r);
        const int at = k - pas::Length(left);
        ReplaceAt(t, at, pas::Length(left) + 1 + pas::Length(right), token);
        // A "^" after this one was an exponent mark or inside a token; what
        // the scan back from one finds changes only up to the first bracket
        // after the new token, so the scan goes on from there.
        const int tokenEnd = at + int(token.size()) - 1;
        int next = tokenEnd + 1;
        while (next < pas::Length(t) && pas::At(t, next) != u'[' && pas::At(t, next) != u']')
            ++next;
        k = qMin(pas::Length(t), next);
    }
    return true;
}

void ReduceProducts(QString &t)
{
    for (int k = 1; k <= pas::Length(t); ++k) {
        const QChar op = pas::At(t, k);
        if (op != u'*' && op != u'/')
            continue;
        QString left, right;
        ExtractComplexOperands(t, k, left, right);
        TComplex r;
        if (op == u'*')
            ComplexMul(ReadComplex(left), ReadComplex(right), r);
        else
            ComplexDiv(ReadComplex(left), ReadComplex(right), r);
        const int at = k - pas::Length(left);
        ReplaceAt(t, at, pas::Length(left) + 1 + pas::Length(right), Token(r));
        // No operator stood before this one, and that part is as it was.
        k = at - 1;
    }
}

void ReduceSums(QString &t)
{
    for (int k = 1; k <= pas::Length(t); ++k) {
        const QChar op = pas::At(t, k);
        if ((op != u'+' && op != u'-') || !ComplexNotInsideToken(k, t))
            continue;
        QString left, right;
        ExtractComplexOperands(t, k, left, right);
        // An empty left operand (a sign that starts the text) reads as 0.
        TComplex r;
        if (op == u'+')
            ComplexAdd(ReadComplex(left), ReadComplex(right), r);
        else
            ComplexSub(ReadComplex(left), ReadComplex(right), r);
        const int at = k - pas::Length(left);
        ReplaceAt(t, at, pas::Length(left) + 1 + pas::Length(right), Token(r));
        k = at - 1;
    }
}

} // namespace

void BracketComplexLiterals(QString &S)
{
    // Built as a new text: inserting each pair of brackets in place would
    // move the rest of a long text once per literal.
    const QString in = S;
    const int n = pas::Length(in);
    QString out;
    out.reserve(in.size() + in.size() / 2);
    int i = 1;
    while (i <= n) {
        if (!IsLiteralChar(pas::At(in, i))) {
            out += pas::At(in, i);
            ++i;
            continue;
        }
        int j = i;
        while (j <= n) {
            const QChar c = pas::At(in, j);
            const QChar p = pas::At(in, j - 1);
            const bool first = j == i;
            const bool take =
                pas::IsDigit(c) || c == u',' || c == u'.' || c == u'e'
                || (c == ImaginaryUnit && (first || p == u'+' || p == u'-' || pas::IsDigit(p) || p == u'^'))
                || (!first && (c == u'+' || c == u'-') && p == u'^') || (!first && c == u'^' && p == u'e');
            if (!take)
                break;
            ++j;
        }
        out += u'[';
        out += QStringView(in).mid(i - 1, j - i);
        out += u']';
        i = j;
    }
    // Every run of "[" and then every run of "]" shrinks to one.
    S = WithSingleBrackets(out);
}

void ExtractComplexOperands(const QString &S, int Pos, QString &Left, QString &Right)
{
    const int len = pas::Length(S);
    Left.clear();
    Right.clear();
    if (Pos > 1) {
        if (pas::At(S, Pos - 1) == u']') {
            int k = Pos - 1;
            while (k > 1 && pas::At(S, k) != u'[')
                --k;
            Left = pas::Copy(S, k, Pos - k);
        } else {
            int k = Pos - 1;
            while (k >= 1 && IsRunChar(S, k))
                --k;
            Left = pas::Copy(S, k + 1, Pos - 1 - k);
        }
    }
    if (Pos < len) {
        if (pas::At(S, Pos + 1) == u'[') {
            const int q = pas::Pos(u']', S, Pos + 1);
            Right = pas::Copy(S, Pos + 1, q > 0 ? q - Pos : len - Pos);
        } else {
            int k = Pos + 1;
            while (k <= len && IsRunChar(S, k))
                ++k;
            Right = pas::Copy(S, Pos + 1, k - Pos - 1);
        }
    }
}

bool ComplexNotInsideToken(int Pos, const QString &S)
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

void ComplexReplaceFirst(QString &S, const QString &Old, const QString &New)
{
    const int p = pas::Pos(Old, S);
    if (p == 0)
        return;
    ReplaceAt(S, p, pas::Length(Old), New);
}

void EvaluateComplex(const QString &Expr, TCalculationError &Err, QString &Value)
{
    QString t = Expr;
    Err.ErrorCode = 0;

    if (ComplexFirstCall) {
        t.remove(u' ');
        t += QStringLiteral("+0");
        SubstituteVariables(t);
        SubstituteConstants(t);
        BracketComplexLiterals(t);
        InsertImplicitMultiplication(t, TCharSet(u",.0123456789^e"),
                                     TCharSet::Digits() + TCharSet::Letters() - TCharSet(u"E"));
        t = LowerCase(t);
        ComplexFirstCall = false;
    }

    if (!ReduceBrackets(t, Err, Value, EvaluateComplex))
        return;

    try {
        ReduceAbs(t);
        if (!ReducePowers(t, Err, Value))
            return;
        ReduceProducts(t);
        ReduceSums(t);
    } catch (const EInvalidOp &) {
        SetErrorCode(Err, 25);
    } catch (const EZeroDivide &) {
        SetErrorCode(Err, 25);
    } catch (const EConvertError &) {
        SetErrorCode(Err, 1);
    }
    Value = t;
}

void CheckComplexSyntax(const QString &Expr, TCalculationError &Err, const TStringList &Names)
{
    Err.ErrorCode = 0;
    Err.ErrorEnd = 0;
    QString s = Expr;
    s.remove(u' ');
    if (s.isEmpty())
        return;
    const int len = pas::Length(s);
    const QChar u = ImaginaryUnit;
    const QChar d = DecimalSeparator;

    auto fail = [&](quint8 code, int start, int end) {
        Err.ErrorCode = code;
        Err.ErrorStart = start;
        Err.ErrorEnd = end;
        AdjustErrorPositions(Expr, Err);
    };

    // An exponential angle may not stand in brackets.
    if (pas::Pos(QStringLiteral("e^"), s) > 0) {
        for (const QString &head : {QStringLiteral("e^"), QStringLiteral("e^+"), QStringLiteral("e^-")}) {
            const QString pattern = head + u + u'(';
            const int p = pas::Pos(pattern, s);
            if (p > 0)
                return fail(32, p - 1, p - 1 + pattern.size());
        }
    }

    static const QString allowed = QStringLiteral("$()*+,-./0123456789^");
    for (int i = 1; i <= len; ++i) {
        const QChar c = pas::At(s, i);
        if (c == u'!' || c == u'%')
            return fail(13, i - 1, i);
        if (!allowed.contains(c) && !pas::IsAsciiLetter(c))
            return fail(16, i - 1, i);
    }
    if (pas::CharInSet(pas::At(s, 1), u"!%*/^"))
        return fail(2, 0, 1);
    if (pas::CharInSet(pas::At(s, len), u"*+-/^"))
        return fail(3, len - 1, len);
    if (pas::At(s, len) == d)
        return fail(4, len - 1, len);

    for (int i = 2; i <= len; ++i) {
        const QChar c = pas::At(s, i);
        const QChar p = pas::At(s, i - 1);
        if (pas::CharInSet(c, u"*+-/^") && pas::CharInSet(p, u"!%*+-/^") && !(p == u'^' && (c == u'+' || c == u'-')))
            return fail(5, i - 1, i);
        if ((c == u'e' || c == u) && (p == u'e' || p == u))
            return fail(32, i - 1, i);
        if (p == d && pas::CharInSet(c, u"!%()*+-/^"))
            return fail(6, i - 1, i);
        if (pas::CharInSet(p, u"*+-/^") && c == u')')
            return fail(7, i - 1, i);
        if (p == u'(' && pas::CharInSet(c, u"!%*/^"))
            return fail(8, i - 1, i);
        if (p == u'$' && (pas::CharInSet(c, u"!%*+-/^$") || c == d))
            return fail(18, i - 2, i - 1);
        if ((p == u'(' || p == u')') && c == d)
            return fail(30, i - 1, i);
    }
    if (pas::At(s, len) == u'$')
        return fail(18, len - 1, len);
    const int empty = pas::Pos(QStringLiteral("()"), s);
    if (empty > 0)
        return fail(9, empty - 1, empty + 1);

    // A bracket fault keeps the span CheckBrackets mapped already, unless a
    // function fault below replaces it.
    CheckBrackets(s, Expr, Err);

    QString names = LowerCase(s) + u'+';
    for (int n = 0; n < Names.Count(); ++n) {
        const QString &name = Names[n];
        if (name != u"abs") {
            const int p = pas::Pos(name, names);
            if (p > 0)
                return fail(14, p - 1, p - 1 + pas::Length(name));
            continue;
        }
        int p;
        while ((p = pas::Pos(name, names)) > 0) {
            if (pas::CharInSet(pas::At(names, p + 3), u"!%)*+-/^")) {
                Err.ErrorText = name;
                return fail(12, p - 1, p + 2);
            }
            // Out of the search, every other character keeping its place.
            ReplaceAt(names, p, 3, QString(3, QChar(1)));
        }
    }
}

void ComplexToDisplayString(const TComplex &Z, quint8 Decimals, quint8 Radix, QString &S, bool Scientific)
{
    S = ComplexLayout(Z, [&](Extended x) { return FormatNumber(Decimals, Radix, Scientific, x); });
}
