#pragma once
// Our own counterpart of the original platform's run-time library: the
// exception classes whose kinds the calculator maps to error codes, the
// process-wide decimal separator, and conversions between numbers and text.
// 80-bit values are long double and are never converted through double.
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <exception>
#include <limits>
#include <string>

using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64, "Extended must be the x87 80-bit format");

// ---------------------------------------------------------------- exceptions

class Exception : public std::exception
{
public:
    explicit Exception(const QString &message) : m_message(message), m_utf8(message.toStdString()) {}
    const QString &Message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    std::string m_utf8;
};

// Text that cannot be read as a number ("'%s' is not a valid floating point value").
class EConvertError : public Exception
{
    using Exception::Exception;
};

// Floating-point faults, as the x87 unit traps them.
class EMathError : public Exception
{
    using Exception::Exception;
};
class EInvalidOp : public EMathError
{
public:
    EInvalidOp() : EMathError(QStringLiteral("Invalid floating point operation")) {}
};
class EZeroDivide : public EMathError
{
public:
    EZeroDivide() : EMathError(QStringLiteral("Floating point division by zero")) {}
};
class EOverflow : public EMathError
{
public:
    EOverflow() : EMathError(QStringLiteral("Floating point overflow")) {}
};
class EUnderflow : public EMathError
{
public:
    EUnderflow() : EMathError(QStringLiteral("Floating point underflow")) {}
};

// Integer faults: integer arithmetic traps instead of wrapping.
class EIntError : public Exception
{
    using Exception::Exception;
};
class EDivByZero : public EIntError
{
public:
    EDivByZero() : EIntError(QStringLiteral("Division by zero")) {}
};
class ERangeError : public EIntError
{
public:
    ERangeError() : EIntError(QStringLiteral("Range check error")) {}
};
class EIntOverflow : public EIntError
{
public:
    EIntOverflow() : EIntError(QStringLiteral("Integer overflow")) {}
};

// File faults of string lists and INI files.
class EStreamError : public Exception
{
    using Exception::Exception;
};
class EFOpenError : public EStreamError
{
    using EStreamError::EStreamError;
}; // "Cannot open file \"%s\". %s"
class EFCreateError : public EStreamError
{
    using EStreamError::EStreamError;
}; // "Cannot create file \"%s\". %s"
class EIniFileException : public Exception
{
    using Exception::Exception;
}; // "Unable to write to %s"
// A file far larger than any the program writes is refused unread, so that a
// damaged or foreign file can neither freeze the program nor be overwritten.
class EFileTooLarge : public EFOpenError
{
    using EFOpenError::EFOpenError;
}; // "File \"%s\" is too large (%d bytes, at most %d)."

// The largest settings, history, constants or variables file that is read.
constexpr qint64 MaxTextFileSize = 1024 * 1024;
// The largest language file that is read.
constexpr qint64 MaxLanguageFileSize = 4 * 1024 * 1024;

// --------------------------------------------------------- decimal separator

// The one process-wide run-time decimal separator that every number text uses.
extern QChar DecimalSeparator;
// The digit-group character that a "," in a FormatFloat pattern writes.
extern QChar ThousandSeparator;
// The system's own separator (from the system locale), read once.
QChar SystemDecimalSeparator();

// ------------------------------------------------------------ number <-> text

// A value as decimal digits: Value = 0.Digits x 10^Exponent. Digits holds
// ASCII digits without trailing zeros and is empty for zero (Exponent 0).
struct TFloatRec
{
    enum Kind {
        Finite,
        Infinite,
        NaN
    };
    Kind Special = Finite;
    bool Negative = false;
    int Exponent = 0;
    std::string Digits;
};

// The value's digits rounded half away from zero to Precision (1..18)
// significant digits and, when Decimals is below 9999, to at most Decimals
// digits after the decimal point. The 18 digits rounded from are the long
// double's own (exact binary-to-decimal), so a value is never read through
// double. A value that rounds to nothing has empty Digits.
TFloatRec FloatToDecimal(Extended value, int precision, int decimals = 9999);

// Optional sign, digits with at most one run-time separator, optional
// exponent "E"/"e" with optional sign; blanks (code 32) may surround it.
// Rejects "", "2e", "1.2.3", the other separator, "INF", "NAN", hex. A
// value beyond the Extended range (1e5000) is rejected as well; one below
// the smallest denormal reads as 0. Independent of the process locale.
bool TryStrToFloat(QStringView s, Extended &value);
inline bool TryStrToFloat(const QString &s, Extended &value)
{
    return TryStrToFloat(QStringView(s), value);
}
// As TryStrToFloat; raises EConvertError "'%s' is not a valid floating point value".
Extended StrToFloat(const QString &s);
// As TryStrToFloat into a 64-bit value: a number beyond the double range is
// rejected (never read as an infinity); one below its smallest denormal is 0.
bool TryStrToDouble(const QString &s, double &value);

// The general float format with 15 significant digits: fixed notation while
// the decimal point position lies in -3..15 ("100000000000000", "0.0001"),
// otherwise scientific ("1E15", "1E-5", "-1.5E-20": no "+", no leading zeros).
// Infinities are "INF" / "-INF", not-a-number "NAN" (none of them reads
// back as a number); negative zero is "0".
QString FloatToStr(Extended value);
// The general format with a chosen precision (FloatToStr is Precision 15).
QString FloatToStrGeneral(Extended value, int precision);

// Pattern formatting with "0", "#", "." and "E-"/"E+" exponent sections
// (also "," grouping and literal text), from 18 significant digits, rounding
// half away from zero, never "-0". Up to three sections "pos;neg;zero"; a
// quoted '...' or "..." is literal. Without an exponent, a value whose
// integer part needs more than 18 digits (from 1E18), an infinity or NaN is
// written in the general format instead. The separator is written only when
// fraction digits follow it ("0." gives "3" for 2.5). The integer digits
// are written at the first integer placeholder, so literal text between
// placeholders follows them ("0'x'0" gives "12x" for 12).
QString FormatFloat(const QString &format, Extended value);

// Decimal integers: optional leading blanks, optional "+" or "-", digits
// and nothing after them; a value out of range raises EConvertError
// ("'%s' is not a valid integer value"). No hexadecimal forms.
bool TryStrToInt64(const QString &s, qint64 &value);
qint64 StrToInt64(const QString &s);
bool TryStrToInt(const QString &s, int &value);
int StrToInt(const QString &s);
QString IntToStr(qint64 value);

// ------------------------------------------------------------- text files

// UTF-8 that keeps every byte: a byte that is not part of a well-formed
// UTF-8 sequence becomes the lone surrogate U+DC00 + byte, which
// EncodeUtf8Lossless writes back as that byte. Valid text is unchanged both
// ways; other lone surrogates are written as U+FFFD.
QString DecodeUtf8Lossless(const QByteArray &bytes);
QByteArray EncodeUtf8Lossless(const QString &text);

// ASCII-only case mapping as the platform's LowerCase/UpperCase; Trim drops
// characters up to blank (code 32) at both ends.
// (They take a view, so that a unit's own LowerCase(QString) is still the
// better match for its calls and nothing becomes ambiguous.)
QString LowerCase(QStringView s);
QString UpperCase(QStringView s);
QString Trim(const QString &s);
QString TrimLeft(const QString &s);
QString TrimRight(const QString &s);

// Folder + Name, cleaned, when it lies below Folder (also after following
// the links on the way); "" otherwise, also for an empty Name. "\"
// separates folders as "/" does, leading separators are dropped, and a
// trailing "/" of Name (a folder) is kept.
QString PathBelowFolder(const QString &Folder, QString Name);
