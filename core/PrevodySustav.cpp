#include "core/PrevodySustav.h"

#include "core/uCommon.h"
#include "platform/FloatMath.h"

#include <cmath>

using namespace ExpressionChars;

namespace {

// A number in another base keeps at most this many characters per part.
constexpr int MaxPartLength = 255;

void ReplaceEvery(QString &s, const QString &oldText, const QString &newText)
{
    // New never contains Old here, so replacing from the start terminates.
    for (qsizetype p = s.indexOf(oldText); p >= 0; p = s.indexOf(oldText, p))
        s.replace(p, oldText.size(), newText);
}

void DeleteBlanks(QString &s)
{
    s.remove(QChar(u' '));
}

bool IsRadixDigit(quint8 radix, QChar c)
{
    int v;
    if (c >= u'0' && c <= u'9')
        v = c.unicode() - u'0';
    else if (c >= u'a' && c <= u'f')
        v = c.unicode() - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        v = c.unicode() - u'A' + 10;
    else
        return false;
    return v < radix;
}

QChar UpperAscii(QChar c)
{
    return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 32) : c;
}

// Splits a number text at its first decimal separator; further separators
// are dropped from the fractional part.
void SplitAtSeparator(const QString &s, QString &intPart, QString &fracPart)
{
    const qsizetype p = s.indexOf(DecimalSeparator);
    if (p < 0) {
        intPart = s;
        fracPart.clear();
        return;
    }
    intPart = s.left(p);
    fracPart = s.mid(p + 1);
    fracPart.remove(DecimalSeparator);
}

void CheckPartLength(const QString &part)
{
    if (part.size() > MaxPartLength)
        throw ERangeError();
}

bool HasExponent(const QString &s)
{
    return s.contains(u'e') || s.contains(u'E');
}

bool HasDigit(const QString &s)
{
    for (QChar c : s)
        if (c.isLetterOrNumber())
            return true;
    return false;
}

// Group size of the display text per base.
int GroupSize(quint8 radix)
{
    switch (radix) {
    case 2:
        return 4;
    case 16:
        return 2;
    default:
        return 3;
    }
}

QString GroupDigits(const QString &t, quint8 radix)
{
    const qsizetype size = GroupSize(radix);
    const qsizetype sep = t.indexOf(DecimalSeparator);
    const qsizetype intEnd = sep < 0 ? t.size() : sep;
    const qsizetype intStart = intEnd > 0 && t.at(0) == u'-' ? 1 : 0;
    const qsizetype whole = intEnd - intStart;
    const qsizetype fraction = sep < 0 ? 0 : t.size() - sep - 1;
    // Written into a text of its final length: one blank between groups.
    const qsizetype length = intStart + whole + (whole > 0 ? (whole - 1) / size : 0)
                             + (sep < 0 ? 0 : 1 + fraction + (fraction > 0 ? (fraction - 1) / size : 0));
    QString out(length, Qt::Uninitialized);
    const char16_t *in = reinterpret_cast<const char16_t *>(t.constData());
    char16_t *w = reinterpret_cast<char16_t *>(out.data());
    if (intStart > 0)
        *w++ = u'-';
    for (qsizetype i = 0; i < whole; ++i) {
        if (i > 0 && (whole - i) % size == 0)
            *w++ = u' ';
        *w++ = in[intStart + i];
    }
    if (sep >= 0) {
        *w++ = DecimalSeparator.unicode();
        for (qsizetype i = 0; i < fraction; ++i) {
            if (i > 0 && i % size == 0)
                *w++ = u' ';
            *w++ = in[sep + 1 + i];
        }
    }
    return out;
}

} // namespace

int DigitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return 0;
}

QChar DigitChar(quint8 d)
{
    if (d <= 9)
        return QChar(u'0' + d);
    if (d <= 15)
        return QChar(u'A' + d - 10);
    return QChar(u'#');
}

void ReplaceAt(QString &s, qsizetype pos, qsizetype count, const QString &text)
{
    // Positions of an expression of at most 65535 characters.
    RangeCheck(pos, 0, 65534);
    RangeToUInt16(count);
    s.replace(pos, count, text);
}

QString BaseToDecimal(quint8 radix, const QString &s)
{
    QString intPart, fracPart;
    SplitAtSeparator(s, intPart, fracPart);
    CheckPartLength(intPart);
    CheckPartLength(fracPart);
    const Extended base = radix;
    Extended value = 0;
    const int n = int(intPart.size());
    for (int i = 0; i < n; ++i)
        value += DigitValue(UpperAscii(intPart.at(i))) * std::pow(base, Extended(n - 1 - i));
    for (int i = 0; i < fracPart.size(); ++i)
        value += DigitValue(UpperAscii(fracPart.at(i))) * std::pow(base, -Extended(i + 1));
    return FormatFloat(QStringLiteral("0.################"), value);
}

QString DecimalToBase(quint8 radix, const QString &s, quint8 maxFracDigits)
{
    if (radix < 2 || radix > 16)
        throw ERangeError();
    QString t = s;
    if (HasExponent(t)) {
        const Extended v = StrToFloat(t);
        t = FormatFloat(QStringLiteral("0.################"), v);
        if (HasExponent(t)) {
            // Too large for the fixed pattern: the whole part must still fit
            // the 64-bit integer it is converted through.
            if (!(std::fabs(v) < 9223372036854775808.0L))
                throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
            const qint64 whole = Trunc(v);
            const QString frac = FormatFloat(QStringLiteral("0.################"), std::fabs(v - whole));
            const qsizetype sep = frac.indexOf(DecimalSeparator);
            t = IntToStr(whole);
            if (v < 0 && whole == 0)
                t.prepend(u'-');
            if (sep >= 0)
                t += frac.mid(sep);
        }
    }
    bool negative = false;
    if (t.startsWith(u'-')) {
        negative = true;
        t.remove(0, 1);
    }
    QString intPart, fracPart;
    SplitAtSeparator(t, intPart, fracPart);
    CheckPartLength(intPart);
    CheckPartLength(fracPart);

    QString result;
    qint64 whole = StrToInt64(intPart);
    if (whole == 0) {
        result = QStringLiteral("0");
    } else {
        while (whole != 0) {
            qint64 digit = whole % radix;
            if (digit < 0)
                digit = -digit;
            result.prepend(DigitChar(quint8(digit)));
            whole /= radix;
        }
    }

    if (!fracPart.isEmpty()) {
        Extended f = StrToFloat(QStringLiteral("0") + DecimalSeparator + fracPart);
        if (!(f >= 0 && f < 1))
            throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
        if (f != 0) {
            result += DecimalSeparator;
            for (int k = 0; k < maxFracDigits && f != 0; ++k) {
                f *= radix;
                const Extended digit = std::trunc(f);
                result += DigitChar(quint8(digit));
                f -= digit;
            }
        }
    }
    if (negative)
        result.prepend(u'-');
    return result;
}

bool IsNumberInBase(quint8 radix, QChar extra, const QString &s)
{
    if (s.isEmpty())
        return false;
    int extras = 0;
    for (QChar c : s) {
        if (IsRadixDigit(radix, c) || c == DecimalSeparator)
            continue;
        if (extra != QChar(0) && c == extra) {
            ++extras;
            continue;
        }
        return false;
    }
    return extras <= 1;
}

void BracketOperatorWords(QString &s)
{
    for (QStringView w : OperatorWords) {
        const QString word = w.toString();
        ReplaceEvery(s, u' ' + word + u' ', u'[' + word + u']');
    }
}

void UnbracketOperatorWords(QString &s)
{
    for (QStringView w : OperatorWords) {
        const QString word = w.toString();
        ReplaceEvery(s, u'[' + word + u']', u' ' + word + u' ');
    }
}

namespace {

enum class BaseScan {
    Expression,
    Result
};

// The scan shared by the expression and the result conversion: number runs
// are rewritten in place, names are passed over whole.
void ConvertRuns(quint8 fromRadix, quint8 toRadix, QChar extra, QString &s, BaseScan kind, quint8 decimals)
{
    const QString w = s;
    const auto inDigitSet = [&](QChar c) {
        return IsRadixDigit(fromRadix, c) || c == DecimalSeparator || (extra != QChar(0) && c == extra);
    };
    const auto inNameSet = [&](QChar c) { return (IsAsciiLetter(c) || IsAsciiDigit(c)) && !inDigitSet(c); };

    qint64 offset = 0;
    qsizetype i = 0;
    const qsizetype n = w.size();
    while (i < n) {
        qsizetype start = i;
        const QChar c = w.at(i);
        qsizetype runEnd = i; // one past the run
        if (inDigitSet(c)) {
            while (runEnd < n && inDigitSet(w.at(runEnd)))
                ++runEnd;
        } else if (inNameSet(c)) {
            while (runEnd < n && (inNameSet(w.at(runEnd)) || inDigitSet(w.at(runEnd))))
                ++runEnd;
        } else if (c == u'[' && kind == BaseScan::Expression) {
            const qsizetype close = w.indexOf(u']', i + 1);
            i = close < 0 ? n : close + 1;
            continue;
        } else {
            ++i;
            continue;
        }
        const QString run = w.mid(start, runEnd - start);
        i = runEnd;
        if (kind == BaseScan::Result)
            ++i; // the character that ended the run is passed over too

        if (!IsNumberInBase(fromRadix, extra, run))
            continue;
        QString num = run;
        if (extra != QChar(0)) {
            if (run.startsWith(extra))
                ++start;
            num.remove(extra);
        }
        // A lone imaginary unit or separator holds no digit to convert.
        if (!HasDigit(num))
            continue;
        QString out;
        if (kind == BaseScan::Expression)
            out = DecimalToBase(toRadix, BaseToDecimal(fromRadix, num), 16);
        else
            out = FormatNumber(decimals, toRadix, false, StrToFloat(BaseToDecimal(fromRadix, num)));
        ReplaceAt(s, start + offset, num.size(), out);
        offset += out.size() - num.size();
    }
}

void ClearError(TCalculationError &err)
{
    err.ErrorCode = 0;
    err.ErrorStart = 0;
    err.ErrorEnd = 0;
}

void SetConversionFailure(TCalculationError &err)
{
    err.ErrorCode = 26;
    err.ErrorStart = 0;
    err.ErrorEnd = 0;
}

} // namespace

void ConvertExpressionBase(quint8 fromRadix, quint8 toRadix, QChar extra, QString &s, TCalculationError &err)
{
    ClearError(err);
    try {
        BracketOperatorWords(s);
        DeleteBlanks(s);
        ConvertRuns(fromRadix, toRadix, extra, s, BaseScan::Expression, 0);
        UnbracketOperatorWords(s);
    } catch (...) {
        // Whatever went wrong, the caller gets the one code of a failed
        // conversion and no exception.
        SetConversionFailure(err);
    }
}

void ConvertResultBase(quint8 fromRadix, quint8 toRadix, QChar extra, QString &s, TCalculationError &err,
                       quint8 decimals)
{
    ClearError(err);
    try {
        DeleteBlanks(s);
        ConvertRuns(fromRadix, toRadix, extra, s, BaseScan::Result, decimals);
    } catch (...) {
        SetConversionFailure(err);
    }
}

QString FormatNumber(quint8 decimals, quint8 radix, bool scientific, Extended x)
{
    // The pattern of the last number of decimals, which seldom changes.
    thread_local int patternDecimals = -1;
    thread_local QString pattern;
    if (patternDecimals != decimals) {
        pattern = decimals == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(decimals, u'#');
        patternDecimals = decimals;
    }
    QString t = FormatFloat(pattern, x);
    if (x != 0 && radix != 16) {
        Extended shown = 0;
        const bool readsAsZero = TryStrToFloat(t, shown) && shown == 0;
        if (scientific || readsAsZero)
            t = FormatFloat(QStringLiteral("0.################E-0"), x);
    }
    if (radix != 10)
        t = DecimalToBase(radix, t, decimals);
    if (radix != 16 && (t.contains(u'E') || t.contains(u'e')))
        return t;
    return GroupDigits(t, radix);
}

QString FormatWholeNumber(quint8 radix, qint64 x)
{
    if (radix < 2 || radix > 16)
        throw ERangeError();
    // The magnitude as unsigned, so that the lowest value has one as well.
    quint64 m = x < 0 ? quint64(0) - quint64(x) : quint64(x);
    QString digits;
    do {
        digits.prepend(DigitChar(quint8(m % radix)));
        m /= radix;
    } while (m != 0);
    if (x < 0)
        digits.prepend(u'-');
    return GroupDigits(digits, radix);
}

quint8 DigitCountForBase(quint8 fromRadix, quint8 toRadix, quint8 digits)
{
    const Extended places = std::log10(Extended(fromRadix)) * digits / std::log10(Extended(toRadix));
    return RangeToUInt8(Round(places));
}
