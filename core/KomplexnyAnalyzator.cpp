#include "core/KomplexnyAnalyzator.h"

#include "core/PrevodySustav.h"
#include "core/uReduction.h"
#include "platform/FloatMath.h"

using namespace ExpressionChars;

bool ComplexFirstCall = true;

namespace {

bool IsLiteralChar(QChar c)
{
    return IsAsciiDigit(c) || c == u',' || c == u'.' || c == u'e' || c == ImaginaryUnit;
}

using TComplexText = TReduction<TComplex>;

TComplex ReadComplex(QStringView s)
{
    TComplex z;
    StrToComplex(s.toString(), z);
    return z;
}

// A complex token is read again from its text: the text of an exponential
// form does not read back as the value it was written from.
void SetToken(TTokenResult<TComplex> &result, const TComplex &z)
{
    QString s;
    ComplexToStr(z, s);
    result.SetText(s);
}

TPassRules ComplexRules()
{
    TPassRules rules;
    rules.Left = TLeftOperand::ComplexRun;
    rules.Right = TRightOperand::ComplexRun;
    rules.Unit = ImaginaryUnit;
    return rules;
}

void ReduceAbs(TComplexText &t)
{
    TPassRules rules = ComplexRules();
    rules.Left = TLeftOperand::None;
    static const QStringView abs[] = {u"abs"};
    ReduceWords(t, abs, rules,
                [](size_t, const TComplexText::TOperand &, const TComplexText::TOperand &right,
                   TTokenResult<TComplex> &result) {
                    TComplex r;
                    ComplexAbs(ReadComplex(right.Text), r);
                    SetToken(result, r);
                    return true;
                });
}

// False (with code 20 set) for an exponent that is not a whole non-negative
// real number.
bool ReducePowers(TComplexText &t, TCalculationError &err, QString &value)
{
    TPassRules rules = ComplexRules();
    rules.Right = TRightOperand::SignedComplexRun;
    // A "^" inside a token or after the "e" of an exponential form is none.
    const auto isPower = [&t](QChar c, qsizetype i) {
        return c == u'^' && !IsInsideToken(t.Text, i) && !(i > 0 && t.Text.At(i - 1) == u'e');
    };
    return ReduceRightToLeft(t, isPower, rules,
                             [&](QChar, const TComplexText::TOperand &left, const TComplexText::TOperand &right,
                                 TTokenResult<TComplex> &result) {
                                 const QStringView exponent = right.Text;
                                 if (exponent.contains(DecimalSeparator) || exponent.contains(ImaginaryUnit)
                                     || exponent.contains(u'-')) {
                                     SetErrorCode(err, 20);
                                     value.clear();
                                     return false;
                                 }
                                 const Extended e = ReadComplex(exponent).Re;
                                 if (!(e < 65535.5L))
                                     throw ERangeError();
                                 const quint16 n = RangeToUInt16(Round(e));
                                 TComplex r;
                                 ComplexIntPower(ReadComplex(left.Text), n, r);
                                 SetToken(result, r);
                                 return true;
                             });
}

void ReduceBinary(TComplexText &t, QChar a, QChar b, bool outsideTokens)
{
    TPassRules rules = ComplexRules();
    rules.OutsideTokens = outsideTokens;
    ReduceLeftToRight(
        t, [a, b](QChar c) { return c == a || c == b; }, rules,
        [](QChar op, const TComplexText::TOperand &left, const TComplexText::TOperand &right,
           TTokenResult<TComplex> &result) {
            // An empty left operand (a sign that starts the text) reads as 0.
            const TComplex x = ReadComplex(left.Text);
            const TComplex y = ReadComplex(right.Text);
            TComplex r;
            switch (op.unicode()) {
            case u'*':
                ComplexMul(x, y, r);
                break;
            case u'/':
                ComplexDiv(x, y, r);
                break;
            case u'+':
                ComplexAdd(x, y, r);
                break;
            default:
                ComplexSub(x, y, r);
                break;
            }
            SetToken(result, r);
            return true;
        });
}

// Result, when given, receives the result token.
void Evaluate(TComplexText &t, TCalculationError &Err, QString &Value, TTokenResult<TComplex> *result)
{
    Err.ErrorCode = 0;
    if (!ReduceBracketsOrFail(t, Err, Value, Evaluate))
        return;

    try {
        ReduceAbs(t);
        if (!ReducePowers(t, Err, Value))
            return;
        ReduceBinary(t, u'*', u'/', false);
        ReduceBinary(t, u'+', u'-', true);
    } catch (const EInvalidOp &) {
        SetErrorCode(Err, 25);
    } catch (const EZeroDivide &) {
        SetErrorCode(Err, 25);
    } catch (const EConvertError &) {
        SetErrorCode(Err, 1);
    }
    Value = t.Text.ToString();
    if (result)
        result->SetText(Value);
}

} // namespace

void BracketComplexLiterals(QString &S)
{
    // Built as a new text: inserting each pair of brackets in place would
    // move the rest of a long text once per literal.
    const QString in = S;
    const qsizetype n = in.size();
    QString out;
    out.reserve(in.size() + in.size() / 2);
    qsizetype i = 0;
    while (i < n) {
        if (!IsLiteralChar(in.at(i))) {
            out += in.at(i);
            ++i;
            continue;
        }
        qsizetype j = i;
        for (; j < n; ++j) {
            const QChar c = in.at(j);
            const QChar p = j > 0 ? in.at(j - 1) : QChar();
            const bool first = j == i;
            const bool take =
                IsAsciiDigit(c) || c == u',' || c == u'.' || c == u'e'
                || (c == ImaginaryUnit && (first || p == u'+' || p == u'-' || IsAsciiDigit(p) || p == u'^'))
                || (!first && (c == u'+' || c == u'-') && p == u'^') || (!first && c == u'^' && p == u'e');
            if (!take)
                break;
        }
        out += u'[';
        out += QStringView(in).mid(i, j - i);
        out += u']';
        i = j;
    }
    // Every run of "[" and then every run of "]" shrinks to one.
    S = WithSingleBrackets(out);
}

void ExtractComplexOperands(const QString &S, qsizetype Pos, QString &Left, QString &Right)
{
    OperandTexts(S, Pos, TLeftOperand::ComplexRun, TRightOperand::ComplexRun, ImaginaryUnit, Left, Right);
}

bool ComplexNotInsideToken(qsizetype Pos, const QString &S)
{
    return !IsInsideToken(S, Pos);
}

void ComplexReplaceFirst(QString &S, const QString &Old, const QString &New)
{
    ReplaceFirst(S, Old, New);
}

void EvaluateComplex(const QString &Expr, TCalculationError &Err, QString &Value)
{
    QString t = Expr;
    if (ComplexFirstCall) {
        t.remove(u' ');
        t += QStringLiteral("+0");
        SubstituteVariables(t);
        SubstituteConstants(t);
        BracketComplexLiterals(t);
        InsertImplicitMultiplication(t, TCharSet(u",.0123456789^e"),
                                     TCharSet::Digits() + TCharSet::Letters() - TCharSet(u"E"));
        LowerAsciiInPlace(t);
        ComplexFirstCall = false;
    }
    TComplexText text;
    text.Assign(t);
    Evaluate(text, Err, Value, nullptr);
}

void CheckComplexSyntax(const QString &Expr, TCalculationError &Err, const TStringList &Names)
{
    const TSyntaxText s(Expr, Err, false);
    const qsizetype len = s.Size();
    if (len == 0)
        return;
    const QChar u = ImaginaryUnit;
    const QChar d = DecimalSeparator;

    // An exponential angle may not stand in brackets.
    if (s.IndexOf(u"e^") >= 0) {
        for (const QString &head : {QStringLiteral("e^"), QStringLiteral("e^+"), QStringLiteral("e^-")}) {
            const QString pattern = head + u + u'(';
            const qsizetype p = s.IndexOf(pattern);
            if (p >= 0)
                return s.Fail(32, p, p + pattern.size());
        }
    }

    for (qsizetype i = 0; i < len; ++i) {
        const QChar c = s.At(i);
        if (c == u'!' || c == u'%')
            return s.Fail(13, i, i + 1);
        if (!IsCharIn(c, u"$()*+,-./0123456789^") && !IsAsciiLetter(c))
            return s.Fail(16, i, i + 1);
    }
    if (s.FailsAtEnds(u"!%*/^", u"*+-/^", d))
        return;

    for (qsizetype i = 1; i < len; ++i) {
        const QChar c = s.At(i);
        const QChar p = s.At(i - 1);
        if (IsCharIn(c, u"*+-/^") && IsCharIn(p, u"!%*+-/^") && !(p == u'^' && (c == u'+' || c == u'-')))
            return s.Fail(5, i, i + 1);
        if ((c == u'e' || c == u) && (p == u'e' || p == u))
            return s.Fail(32, i, i + 1);
        if (p == d && IsCharIn(c, u"!%()*+-/^"))
            return s.Fail(6, i, i + 1);
        if (IsCharIn(p, u"*+-/^") && c == u')')
            return s.Fail(7, i, i + 1);
        if (p == u'(' && IsCharIn(c, u"!%*/^"))
            return s.Fail(8, i, i + 1);
        if (p == u'$' && (IsCharIn(c, u"!%*+-/^$") || c == d))
            return s.Fail(18, i - 1, i);
        if ((p == u'(' || p == u')') && c == d)
            return s.Fail(30, i, i + 1);
    }
    if (s.At(len - 1) == u'$')
        return s.Fail(18, len - 1, len);
    const qsizetype empty = s.IndexOf(u"()");
    if (empty >= 0)
        return s.Fail(9, empty, empty + 2);

    // A bracket fault keeps the span CheckBrackets mapped already, unless a
    // function fault below replaces it.
    CheckBrackets(s.Text(), Expr, Err);

    QString names = LowerCase(s.Text()) + u'+';
    for (int n = 0; n < Names.Count(); ++n) {
        const QString &name = Names[n];
        if (name != u"abs") {
            const qsizetype p = names.indexOf(name);
            if (p >= 0)
                return s.Fail(14, p, p + name.size());
            continue;
        }
        for (qsizetype p = names.indexOf(name); p >= 0; p = names.indexOf(name, p + 3)) {
            if (IsCharIn(names.at(p + 3), u"!%)*+-/^")) {
                Err.ErrorText = name;
                return s.Fail(12, p, p + 3);
            }
            // Out of the search, every other character keeping its place.
            for (qsizetype k = p; k < p + 3; ++k)
                names[k] = QChar(1);
        }
    }
}

void ComplexToDisplayString(const TComplex &Z, quint8 Decimals, quint8 Radix, QString &S, bool Scientific)
{
    S = ComplexLayout(Z, [&](Extended x) { return FormatNumber(Decimals, Radix, Scientific, x); });
}
