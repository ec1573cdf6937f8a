#include "core/Analyzator.h"

#include "core/PrevodySustav.h"
#include "core/uProgramState.h"
#include "core/uReduction.h"
#include "platform/FloatMath.h"

#include <array>
#include <cfenv>
#include <cmath>
#include <limits>
#include <numbers>

using namespace ExpressionChars;

bool ExpressionValid = true;
bool RealPreprocessed = false;

namespace {

constexpr Extended Pi = std::numbers::pi_v<Extended>;

// ------------------------------------------------------------ text helpers

// Letter case of expressions is ASCII only.
QString LowerAscii(QString s)
{
    LowerAsciiInPlace(s);
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
        if (IsAsciiDigit(c) || c == u'.' || c == u',' || c == u'e' || c == u'E')
            continue;
        if (c == u'-' && (i == 0 || body.at(i - 1) == u'e' || body.at(i - 1) == u'E'))
            continue;
        return false;
    }
    return true;
}

// S holds the two characters A and B next to each other.
bool HasPair(QStringView s, QChar a, QChar b)
{
    for (qsizetype i = 0; i + 1 < s.size(); ++i)
        if (s.at(i) == a && s.at(i + 1) == b)
            return true;
    return false;
}

bool HasPair(const TReductionText &t, QChar a, QChar b)
{
    if (HasPair(t.Left(), a, b) || HasPair(t.Right(), a, b))
        return true;
    return t.LeftSize() > 0 && t.RightSize() > 0 && t.Left().back() == a && t.Right().front() == b;
}

void SetCode(TCalculationError &err, quint8 code)
{
    err.ErrorCode = code;
    err.ErrorStart = 0;
    err.ErrorEnd = 0;
}

bool IsLetter(QChar c)
{
    return IsAsciiLetter(c);
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

using TRealText = TReduction<Extended>;
using TRealOperand = TRealText::TOperand;
using TRealResult = TTokenResult<Extended>;

// An operand's number: the value kept beside a result token, or its text
// read without its first "[" and "]".
bool ReadNumber(const TRealOperand &o, Extended &x)
{
    if (o.Value) {
        x = *o.Value;
        return true;
    }
    if (IsSingleToken(o.Text))
        return TryStrToFloat(o.Text.mid(1, o.Text.size() - 2), x);
    return TryStrToFloat(WithoutFirstBrackets(o.Text), x);
}

Extended ReadOperand(const TRealOperand &o)
{
    Extended x;
    if (!ReadNumber(o, x))
        throw EConvertError(
            QStringLiteral("'%1' is not a valid floating point value").arg(WithoutFirstBrackets(o.Text)));
    return x;
}

// The token of a computed value in the general float format (15 significant
// digits), with the value its text reads as: the digits times a power of
// ten, in the one multiplication or division by an exactly held power that
// reading the text does, or the text read where that power is not held.
void SetNumberToken(TRealResult &result, Extended x)
{
    const TFloatRec r = FloatToDecimal(x, 15);
    QVarLengthArray<char16_t, 64> &t = result.Text;
    t.clear();
    t.append(u'[');
    result.HasValue = false;
    if (r.Special != TFloatRec::Finite) {
        const QStringView special = r.Special == TFloatRec::NaN ? u"NAN" : (r.Negative ? u"-INF" : u"INF");
        for (const QChar c : special)
            t.append(c.unicode());
        t.append(u']');
        return;
    }
    if (r.Digits.empty()) {
        t.append(u'0');
        t.append(u']');
        result.HasValue = true;
        result.Value = 0;
        return;
    }
    const int n = int(r.Digits.size());
    const int e = r.Exponent;
    const char16_t separator = DecimalSeparator.unicode();
    const auto digit = [&r](int i) { return char16_t(r.Digits[size_t(i)]); };
    // Written through a pointer into room for the longest token: a sign,
    // 15 digits with the separator, and 15 zeros or "0.000" or an exponent.
    char16_t text[48];
    char16_t *w = text;
    if (r.Negative)
        *w++ = u'-';
    if (e > 15 || e < -3) {
        *w++ = digit(0);
        if (n > 1) {
            *w++ = separator;
            for (int i = 1; i < n; ++i)
                *w++ = digit(i);
        }
        *w++ = u'E';
        int power = e - 1;
        if (power < 0) {
            *w++ = u'-';
            power = -power;
        }
        char16_t reversed[12];
        int k = 0;
        do {
            reversed[k++] = char16_t(u'0' + power % 10);
            power /= 10;
        } while (power != 0);
        while (k > 0)
            *w++ = reversed[--k];
    } else if (e <= 0) {
        *w++ = u'0';
        *w++ = separator;
        for (int i = 0; i < -e; ++i)
            *w++ = u'0';
        for (int i = 0; i < n; ++i)
            *w++ = digit(i);
    } else {
        for (int i = 0; i < n; ++i) {
            if (i == e)
                *w++ = separator;
            *w++ = digit(i);
        }
        for (int i = n; i < e; ++i)
            *w++ = u'0';
    }
    t.append(text, w - text);
    t.append(u']');
    const int power = e - n;
    if (power >= -27 && power <= 27) {
        quint64 m = 0;
        for (int i = 0; i < n; ++i)
            m = m * 10 + quint64(r.Digits[size_t(i)] - '0');
        static constexpr Extended Pow10[28] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                               1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
                                               1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
        const Extended v = power >= 0 ? Extended(m) * Pow10[power] : Extended(m) / Pow10[-power];
        result.Value = r.Negative ? -v : v;
        result.HasValue = true;
    } else {
        result.HasValue = TryStrToFloat(result.View().mid(1, t.size() - 2), result.Value);
    }
}

} // namespace

// =================================================================== tokens

QString NumberToToken(Extended x)
{
    TRealResult r;
    SetNumberToken(r, x);
    return r.View().toString();
}

QString FunctionResultToToken(Extended x)
{
    if (std::isinf(x) || std::isnan(x) || std::fabs(x) >= 1e18L)
        return NumberToToken(x);
    return u'[' + FormatFloat(QStringLiteral("0.#################"), x) + u']';
}

qsizetype LastPos(const QString &sub, const QString &s)
{
    return sub.isEmpty() ? -1 : s.lastIndexOf(sub);
}

bool NotInsideToken(qsizetype pos, const QString &s)
{
    return !IsInsideToken(s, pos);
}

void CollapseSigns(QString &s)
{
    DeleteGoingPluses(s, nullptr);
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
    s.replace(p, oldText.size(), newText);
    CleanUpSigns(s, nullptr);
}

void ExtractOperands(const QString &s, const QString &op, QString &left, bool fromEnd, QString &right)
{
    left.clear();
    right.clear();
    const qsizetype p = fromEnd ? s.lastIndexOf(op) : s.indexOf(op);
    if (p < 0 || op.isEmpty())
        return;
    TReductionText t;
    t.Assign(s);
    t.MoveToLeft(p);
    left = t.Left().right(LeftOperandLength(t, p, TLeftOperand::FromOpenBracket)).toString();
    right = t.Right().mid(op.size(), RightOperandLength(t, p + op.size(), TRightOperand::ToCloseBracket)).toString();
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
                for (int i = 2; i <= int(a); ++i)
                    product *= i;
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
    } catch (const EZeroDivide &) {
        err.ErrorCode = 25;
    } catch (const ERangeError &) {
        err.ErrorCode = 20;
    } catch (const EInvalidOp &) {
        err.ErrorCode = 25;
    }
    // Every fault closes the gate until the next clean check.
    if (err.ErrorCode != 0)
        ExpressionValid = false;
}

// ================================================================ evaluator

namespace {

// The operations of the passes, named by their operator text: each gives 0
// and its value in R, or the code of its fault (setting what else the
// message needs). Exceptions that are no codes here reach the caller.
using TRealOperation = quint8 (*)(QStringView op, const TRealOperand &left, const TRealOperand &right,
                                  TCalculationError &err, Extended &r);

// Both operands as numbers; code 1 when one is none.
quint8 ReadOperands(const TRealOperand &left, const TRealOperand &right, Extended &a, Extended &b)
{
    return ReadNumber(left, a) && ReadNumber(right, b) ? 0 : 1;
}

// "+", "-", "*", "/" and "!" (A!, with no right operand).
quint8 ArithmeticOf(QStringView op, const TRealOperand &left, const TRealOperand &right, TCalculationError &,
                    Extended &r)
{
    Extended a, b = 0;
    if (op == u"!" ? !ReadNumber(left, a) : ReadOperands(left, right, a, b) != 0)
        return 1;
    TCalculationError local;
    ApplyOperator(r, op.front(), local, a, b);
    return local.ErrorCode;
}

quint8 PowerOf(QStringView, const TRealOperand &left, const TRealOperand &right, TCalculationError &, Extended &r)
{
    Extended a, b;
    if (ReadOperands(left, right, a, b) != 0)
        return 1;
    try {
        r = Power(a, b);
    } catch (const EOverflow &) {
        return 20;
    } catch (const EInvalidOp &) {
        return 21;
    }
    return 0;
}

// The operands of an operator word: both must be whole (and, where asked,
// not negative); code 27 with the word otherwise.
quint8 ReadWholeOperands(QStringView op, const TRealOperand &left, const TRealOperand &right, TCalculationError &err,
                         bool nonNegative, Extended &a, Extended &b)
{
    a = ReadOperand(left);
    b = ReadOperand(right);
    if (!HasFractionalPart(a) && !HasFractionalPart(b) && !(nonNegative && (a < 0 || b < 0)))
        return 0;
    err.ErrorText = op.toString();
    return 27;
}

// n nad k: code 28 for k above n.
quint8 Binomial(Extended n, Extended k, Extended &r)
{
    if (k > n)
        return 28;
    try {
        const quint16 fn = RangeToUInt16(Round(n));
        const quint16 fnk = RangeToUInt16(Round(n - k));
        const quint16 fk = RangeToUInt16(Round(k));
        const Extended num = CheckFloat(Factorial(fn));
        const Extended den = FMul(CheckFloat(Factorial(fnk)), CheckFloat(Factorial(fk)));
        r = FDiv(num, den);
    } catch (const ERangeError &) {
        return 20;
    }
    return 0;
}

// The operator words "nad", "div", "mod", "xor", "and", "or": both operands
// must be whole (code 27 with the word otherwise; for "nad" also not
// negative); the others work on 64-bit integers, out of whose range is an
// invalid operation.
quint8 WordOf(QStringView op, const TRealOperand &left, const TRealOperand &right, TCalculationError &err, Extended &r)
{
    const bool binomial = op == u"nad";
    Extended a, b;
    if (const quint8 code = ReadWholeOperands(op, left, right, err, binomial, a, b))
        return code;
    if (binomial)
        return Binomial(a, b, r);
    const qint64 x = Round(a);
    const qint64 y = Round(b);
    if (op == u"div")
        r = Extended(IDiv(x, y));
    else if (op == u"mod")
        r = Extended(IMod(x, y));
    else if (op == u"xor")
        r = Extended(x ^ y);
    else if (op == u"and")
        r = Extended(x & y);
    else
        r = Extended(x | y);
    return 0;
}

// The token of an operation for its pass, or its code in Err (no faulty
// part) and the end of the pass.
bool Rewrite(TCalculationError &err, TRealOperation operation, QStringView op, const TRealOperand &left,
             const TRealOperand &right, TRealResult &result)
{
    Extended r = 0;
    const quint8 code = operation(op, left, right, err, r);
    if (code != 0) {
        SetCode(err, code);
        return false;
    }
    SetNumberToken(result, r);
    return true;
}

// Compute of a pass of one-character operators, and of a pass of words.
auto ByCharacter(TCalculationError &err, TRealOperation operation)
{
    return [&err, operation](QChar op, const TRealOperand &left, const TRealOperand &right, TRealResult &result) {
        return Rewrite(err, operation, QStringView(&op, 1), left, right, result);
    };
}

template <size_t N>
auto ByWord(TCalculationError &err, TRealOperation operation, const QStringView (&words)[N])
{
    return
        [&err, operation, &words](size_t w, const TRealOperand &left, const TRealOperand &right, TRealResult &result) {
            return Rewrite(err, operation, words[w], left, right, result);
        };
}

// The text as a whole, as the value Value receives.
void TakeValue(TRealText &t, QString &value, TRealResult *result)
{
    t.Text.AllToRight();
    value = t.Text.ToString();
    if (result) {
        result->SetText(value);
        const Extended *known = IsSingleToken(value) ? t.ValueAt(0) : nullptr;
        result->HasValue = known != nullptr;
        if (known)
            result->Value = *known;
    }
}

// A rewrite of the whole text by QString routines, for the sign rewrites
// that are rare enough not to need a scan of their own; the values kept
// beside the tokens go, and are read again from the texts.
template <class F>
void RewriteWhole(TRealText &t, F rewrite)
{
    QString s = t.Text.ToString();
    rewrite(s);
    t.Assign(s);
}

// Steps 5 to 17 of the evaluation: everything after the brackets, on a text
// that holds none. Value (and Result, when given: the token with its value)
// receives the result, or stays as it is where the evaluation returns
// without one.
void ReduceOperators(TRealText &t, TCalculationError &err, const TStringList &names, QString &value,
                     TRealResult *result)
{
    if (!ExpressionValid)
        return;
    // The passes whose operators the text lacks are left out.
    TTextCensus census = CensusOf(t.Text);
    if (census.MinusMinus) {
        RewriteWhole(t, [](QString &s) {
            while (HasPair(s, u'-', u'-'))
                ReplaceOccurrence(s, QStringLiteral("--"), QStringLiteral("+"), false);
        });
        census = CensusOf(t.Text);
    }
    bool signCleanUp = census.SignCleanUp;
    if (t.Text.IsEmpty())
        return;

    // Functions: each takes the one token right after its name. A name with
    // a letter the text lacks cannot occur in it.
    const quint32 letters = census.Letters;
    for (int n = 0; n < names.Count() && letters != 0; ++n) {
        const QString &name = names[n];
        if (!MayOccur(name, letters) || (!t.Text.Left().contains(name) && !t.Text.Right().contains(name)))
            continue;
        t.Text.AllToRight();
        for (;;) {
            const qsizetype at = t.Text.Right().indexOf(name);
            if (at < 0)
                break;
            t.Text.MoveToLeft(at);
            // The argument must be the token that follows the name; anything
            // else could never be replaced.
            const qsizetype open = t.Text.LeftSize() + name.size();
            if (open >= t.Text.Size() || t.Text.At(open) != u'[') {
                SetCode(err, 1);
                return;
            }
            // It is read from after its "[" through the next "]", without the
            // first "[" and "]" there.
            const qsizetype rightLength = RightOperandLength(t.Text, open + 1, TRightOperand::ToCloseBracket);
            const TRealOperand token = t.Operand(open, 1 + rightLength);
            const TRealOperand argument = IsSingleToken(token.Text) ? token : t.Operand(open + 1, rightLength);
            Extended x;
            if (rightLength == 0 || argument.Text.back() != u']' || !ReadNumber(argument, x)) {
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
            t.Text.DropRight(name.size() + 1 + rightLength);
            t.Text.PushLeft(FunctionResultToToken(r), -1);
            if (signCleanUp) {
                CleanUpSigns(t.Text);
                signCleanUp = false;
            }
        }
    }

    if (census.MinusPlus || census.MinusMinus) {
        RewriteWhole(t, [](QString &s) {
            ReplaceEachFromStart(s, u"-+", u"-");
            ReplaceEachFromStart(s, u"--", u"+");
        });
        signCleanUp = NeedsSignCleanUp(t.Text);
    }

    TPassRules rules;
    rules.SignCleanUp = &signCleanUp;

    // Percent: a + b% is a(1 + b/100), a - b% is a(1 - b/100), b% elsewhere
    // is b/100.
    if (census.Has(u'%'))
        ReducePercent(
            t,
            [&t](QChar c, qsizetype i) {
                return c == u',' || c == u'.' || IsAsciiDigit(c) || c == u'E' || c == u'e' || c == u'[' || c == u']'
                       || ((c == u'+' || c == u'-') && IsInsideToken(t.Text, i));
            },
            rules,
            [](QChar sign, const TRealOperand &operand, TRealResult &result) {
                const Extended b = ReadOperand(operand);
                Extended f = b / 100;
                if (sign == u'+')
                    f = (b + 100) / 100;
                else if (sign == u'-')
                    f = (100 - b) / 100;
                SetNumberToken(result, f);
                return true;
            });

    // Powers, right to left; one at the very start is none.
    TPassRules power = rules;
    power.First = 1;
    if (census.Has(u'^')
        && !ReduceRightToLeft(
            t, [](QChar c, qsizetype) { return c == u'^'; }, power, ByCharacter(err, PowerOf)))
        return;

    // Factorials, while the first "!" stands after the first character.
    TPassRules postfix = rules;
    postfix.First = 1;
    postfix.StopAtLead = true;
    postfix.Right = TRightOperand::None;
    if (census.Has(u'!')
        && !ReduceLeftToRight(
            t, [](QChar c) { return c == u'!'; }, postfix, ByCharacter(err, ArithmeticOf)))
        return;

    // The operator words, when the text can hold them at all.
    if (letters != 0) {
        static const QStringView nad[] = {u"nad"};
        if (!ReduceWords(t, nad, rules, ByWord(err, WordOf, nad)))
            return;
        // Integer division and remainder, one level, left to right.
        static const QStringView divMod[] = {u"div", u"mod"};
        if (!ReduceWords(t, divMod, rules, ByWord(err, WordOf, divMod)))
            return;
        // A fault of the logical operators is reported but does not end the
        // evaluation: the remaining text still goes through the passes below.
        static const QStringView logical[][1] = {{u"xor"}, {u"and"}, {u"or"}};
        for (const auto &word : logical)
            if (err.ErrorCode == 0)
                ReduceWords(t, word, rules, ByWord(err, WordOf, word));
    }

    // Multiplication and division, left to right.
    TPassRules binary = rules;
    binary.First = 1;
    binary.SkipLast = true;
    // (A percent after a sign leaves a "*".)
    if ((census.Has(u'*') || census.Has(u'/') || census.Has(u'%'))
        && !ReduceLeftToRight(
            t, [](QChar c) { return c == u'*' || c == u'/'; }, binary, ByCharacter(err, ArithmeticOf)))
        return;

    if (t.Text.Size() > 0 && t.Text.At(0) == u'+') {
        t.Text.AllToRight();
        t.Text.DropRight(1);
    }
    if (census.MinusMinus && HasPair(t.Text, u'-', u'-'))
        RewriteWhole(t, [](QString &s) { ReplaceEachFromStart(s, u"--", u"+"); });
    if (t.Text.Size() > 0 && t.Text.At(0) == u'-') {
        t.Text.AllToRight();
        const Extended zero = 0;
        t.PushRight(u"[0]", &zero);
    }
    // Only the "+" that started the text may have been why it was due.
    if (signCleanUp)
        signCleanUp = NeedsSignCleanUp(t.Text);

    // Addition and subtraction, left to right; a sign inside a token is none.
    binary.OutsideTokens = true;
    binary.Left = TLeftOperand::Token;
    if (!ReduceLeftToRight(
            t, [](QChar c) { return c == u'+' || c == u'-'; }, binary, ByCharacter(err, ArithmeticOf)))
        return;

    ExpressionValid = !t.Text.IsEmpty();
    t.Text.AllToRight();
    QStringView whole = t.Text.Right();
    if (whole.startsWith(u'-') && whole.indexOf(u'[') == 1) {
        t.Text.DropRight(2);
        t.Text.PushRight(u"[-", -1);
    }
    if (HasPair(t.Text.Right(), u'-', u'-')) {
        QString s = t.Text.ToString();
        const qsizetype dd = s.indexOf(u"--");
        s.replace(dd, 2, QStringLiteral("+"));
        value = s;
        if (result)
            result->SetText(s);
        return;
    }
    TakeValue(t, value, result);
}

} // namespace

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
        static const TCharSet wordSet = TCharSet(u"+,-.") + TCharSet::Digits();
        static const TCharSet runSet = TCharSet::Digits() + TCharSet::Letters();
        InsertImplicitMultiplication(s, wordSet, runSet);
        s.remove(QChar(u' '));
        RealPreprocessed = true;
        s = LowerAscii(s);
    }
    // Positions in an expression are 16-bit.
    if (s.size() > 65535)
        throw ERangeError();

    TRealText t;
    t.Assign(s);
    bool signCleanUp = NeedsSignCleanUp(t.Text);
    // Brackets, innermost first, each by a nested evaluation of what it
    // holds. A nested evaluation that leaves the gate closed (a bracket that
    // reduced to nothing) lets the later ones give nothing either.
    const TBracketOutcome brackets = ReduceBrackets(
        t, &signCleanUp, [&](const TRealText &outer, qsizetype start, qsizetype length, TRealResult &result) {
            const TRealOperand inner = outer.Operand(start, length);
            if (IsPlainToken(inner.Text)) {
                result.SetText(inner.Text);
                return true;
            }
            if (!ExpressionValid)
                return true;
            TRealText text;
            text.AssignFrom(outer, start, length);
            TCalculationError local;
            QString r;
            ReduceOperators(text, local, names, r, &result);
            if (local.ErrorCode != 0) {
                err = local;
                value.clear();
                return false;
            }
            if (r.isEmpty())
                result = TRealResult();
            return true;
        });
    if (brackets == TBracketOutcome::Unclosed || brackets == TBracketOutcome::Empty) {
        // An empty or unclosed pair can never be reduced.
        SetCode(err, 1);
        value.clear();
        return;
    }
    if (brackets == TBracketOutcome::Failed)
        return;
    ReduceOperators(t, err, names, value, nullptr);
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
    // Each occurrence of the word, from the first on: a whole word (no letter
    // before it, no letter or digit after it) receives the value; any other
    // is hidden from the search (in upper case) until the end. The search
    // goes on after what was put in, so a value is never searched. Every
    // rewrite goes through the sign clean-up.
    const QString hidden = UpperAscii(w);
    qsizetype from = 0;
    for (qsizetype p = s.indexOf(w); p >= 0; p = s.indexOf(w, from)) {
        const qsizetype after = p + w.size();
        const QChar before = p > 0 ? s.at(p - 1) : QChar();
        const QChar next = after < s.size() ? s.at(after) : QChar();
        const bool whole = !IsLetter(before) && !(IsLetter(next) || IsAsciiDigit(next));
        const QString &put = whole ? v : hidden;
        s.replace(p, w.size(), put);
        from = p + put.size();
        CleanUpSigns(s, &from);
    }
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

bool IsAllowed(QChar c)
{
    return c == QChar(8) || IsExpressionCharacter(c);
}

bool IsNumeral(QChar c)
{
    return IsAsciiDigit(c) || (c >= u'a' && c <= u'f');
}

bool IsInfix(QChar c)
{
    return IsCharIn(c, u"*+-/^");
}

// A character that a function name must not be followed by.
bool EndsFunctionArgument(QChar c)
{
    return IsCharIn(c, u"!%)*+-/^");
}

// The classes of the ASCII characters that the pair rules of the syntax
// check ask about, looked up once per character instead of asked rule by
// rule; any other character is in none (and not allowed).
enum TSyntaxClass : quint8 {
    AllowedClass = 1,
    InfixClass = 2,
    AfterOperandClass = 4,
    NumeralClass = 8,
    NotAfterOpenClass = 16,   // "!%*/^": no operand after "("
    NotAfterDollarClass = 32, // "!%*+-/^$": no name after "$"
    // Digits and letters: between two of them (neither the separator) no
    // pair rule applies.
    QuietClass = 64,
};

const std::array<quint8, 128> SyntaxClasses = [] {
    std::array<quint8, 128> t{};
    for (char16_t u = 0; u < 128; ++u) {
        const QChar c(u);
        t[u] = quint8((IsAllowed(c) ? AllowedClass : 0) | (IsInfix(c) ? InfixClass : 0)
                      | (IsOperatorAfterOperand(c) ? AfterOperandClass : 0) | (IsNumeral(c) ? NumeralClass : 0)
                      | (IsCharIn(c, u"!%*/^") ? NotAfterOpenClass : 0)
                      | (IsCharIn(c, u"!%*+-/^$") ? NotAfterDollarClass : 0)
                      | (IsAsciiDigit(c) || IsAsciiLetter(c) ? QuietClass : 0));
    }
    return t;
}();

inline quint8 SyntaxClassOf(QChar c)
{
    return c.unicode() < 128 ? SyntaxClasses[c.unicode()] : 0;
}

// The function names of a lower-case text, checked in list order, each
// occurrence from the first on: a name followed by nothing it could take
// is code 12; any other is deleted, so that a shorter name inside it
// ("sin" in "arcsinh") is not examined again at the same place. A name lies
// within one run of letters, and deleting one joins only letters of the
// same run, so each run is followed on its own; the character after a run
// is what follows a name at its end ("+" after the end of the text).
// Returns false with Start and End (positions in S) of the faulty name.
bool FunctionNamesTakeArguments(QStringView s, const TStringList &names, QString &faulty, qsizetype &start,
                                qsizetype &end)
{
    struct TRun
    {
        QString Letters;
        std::vector<qsizetype> Origins;
        QChar Follower;
    };
    std::vector<TRun> runs;
    quint32 letters = 0;
    for (qsizetype i = 0; i < s.size();) {
        if (s.at(i) < u'a' || s.at(i) > u'z') {
            ++i;
            continue;
        }
        TRun run;
        for (; i < s.size() && s.at(i) >= u'a' && s.at(i) <= u'z'; ++i) {
            run.Letters += s.at(i);
            run.Origins.push_back(i);
        }
        run.Follower = i < s.size() ? s.at(i) : QChar(u'+');
        letters |= LetterMask(run.Letters);
        runs.push_back(std::move(run));
    }
    for (int n = 0; n < names.Count() && !runs.empty(); ++n) {
        const QString &name = names[n];
        if (!MayOccur(name, letters))
            continue;
        const qsizetype length = name.size();
        for (TRun &run : runs) {
            if (run.Letters.size() < length || !run.Letters.contains(name))
                continue;
            // Deleting the first occurrence again and again is deleting each
            // as soon as it ends, the names being of one length.
            QString kept;
            std::vector<qsizetype> origins;
            for (qsizetype k = 0; k < run.Letters.size(); ++k) {
                kept += run.Letters.at(k);
                origins.push_back(run.Origins[size_t(k)]);
                if (!kept.endsWith(name))
                    continue;
                const QChar follower = k + 1 < run.Letters.size() ? run.Letters.at(k + 1) : run.Follower;
                if (EndsFunctionArgument(follower)) {
                    faulty = name;
                    start = origins[origins.size() - size_t(length)];
                    end = origins.back() + 1;
                    return false;
                }
                kept.chop(length);
                origins.resize(origins.size() - size_t(length));
            }
            run.Letters = kept;
            run.Origins = std::move(origins);
        }
    }
    return true;
}

} // namespace

void CheckRealSyntax(const QString &expr, TCalculationError &err, const TStringList &names)
{
    ExpressionValid = false;
    const TSyntaxText s(expr, err, true);
    const qsizetype len = s.Size();
    if (len == 0)
        return;
    const QChar sep = DecimalSeparator;

    if (s.FailsAtEnds(u"!%*/^", u"*+-/^", sep))
        return;
    if (!IsAllowed(s.At(0)))
        return s.Fail(16, 0, 1);
    if (s.At(len - 1) == u'$')
        return s.Fail(18, len - 1, len);

    // The first "!!", "%%" and "()" count only once every pair has passed.
    qsizetype twoFactorials = -1, twoPercents = -1, emptyPair = -1;
    const QChar *text = s.Text().data();
    quint8 before = SyntaxClassOf(text[0]);
    for (qsizetype i = 1; i < len; ++i) {
        const QChar p = text[i - 1];
        const QChar c = text[i];
        const quint8 now = SyntaxClassOf(c);
        const bool separator = c == sep;
        if ((before & now & QuietClass) && !separator && p != sep) {
            before = now;
            continue;
        }
        if (!(now & AllowedClass))
            return s.Fail(16, i, i + 1);
        if ((before & InfixClass) && (now & AfterOperandClass))
            return s.Fail(5, i, i + 1);
        if (p == sep && !(now & NumeralClass))
            return s.Fail(6, i, i + 1);
        if ((before & InfixClass) && (c == u')' || separator))
            return s.Fail(7, i, i + 1);
        if (p == u'(' && (now & NotAfterOpenClass))
            return s.Fail(8, i, i + 1);
        if (p == u'$' && ((now & NotAfterDollarClass) || separator))
            return s.Fail(18, i - 1, i);
        if (separator && !(before & NumeralClass))
            return s.Fail(30, i, i + 1);
        before = now;
        if (p == c && c == u'!' && twoFactorials < 0)
            twoFactorials = i;
        if (p == c && c == u'%' && twoPercents < 0)
            twoPercents = i;
        if (p == u'(' && c == u')' && emptyPair < 0)
            emptyPair = i - 1;
    }
    // The second "!" or "%" is marked; both brackets of "()".
    if (twoFactorials >= 0)
        return s.Fail(5, twoFactorials, twoFactorials + 1);
    if (twoPercents >= 0)
        return s.Fail(5, twoPercents, twoPercents + 1);
    if (emptyPair >= 0)
        return s.Fail(9, emptyPair, emptyPair + 2);

    // A bracket fault is reported, but the function names are still checked
    // and a fault there takes its place.
    CheckBrackets(s.Text(), expr, err);

    QString name;
    qsizetype start = 0, end = 0;
    if (!FunctionNamesTakeArguments(s.Text(), names, name, start, end)) {
        err.ErrorText = name;
        return s.Fail(12, start, end);
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
    const qsizetype p = t.indexOf(DecimalSeparator);
    if (p < 0) {
        whole = StrToFloat(t);
        fraction = 0;
        return;
    }
    whole = StrToFloat(t.left(p));
    const QString digits = t.mid(p + 1);
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
