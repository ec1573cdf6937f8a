#pragma once
// Numeral systems of the calculator (bases 2, 8, 10 and 16) and the display
// text of a real result. Every decimal text uses the run-time decimal
// separator as the only separator between integer and fractional digits.
#include "core/uCommon.h"
#include "platform/SysUtils.h"

#include <QChar>
#include <QString>
#include <QtGlobal>

// "0".."9" are 0..9, "A".."F" 10..15; any other character 0.
int DigitValue(QChar c);
// 0..15 back to "0".."9", "A".."F"; any other value "#".
QChar DigitChar(quint8 d);
// Deletes Count characters at Pos and inserts Text there; ERangeError for a
// position or count beyond those of a 65535-character text.
void ReplaceAt(QString &s, qsizetype pos, qsizetype count, const QString &text);

// A number written in Radix (either letter case) as a decimal text with at
// most 16 fractional digits. Raises ERangeError for a part longer than 255
// characters.
QString BaseToDecimal(quint8 radix, const QString &s);
// A decimal text (scientific notation allowed) written in Radix with at
// most MaxFracDigits fractional digits. Raises EConvertError for text that
// is no number or whose integer part exceeds the signed 64-bit range,
// ERangeError for a part longer than 255 characters.
QString DecimalToBase(quint8 radix, const QString &s, quint8 maxFracDigits);
// Every character a digit of Radix, the decimal separator or Extra (Extra
// at most once; QChar(0) for none); false for an empty text.
bool IsNumberInBase(quint8 radix, QChar extra, const QString &s);

// Rewrites every number of an expression from one base into another;
// operator words and names stay. Every failure is code 26 without a span;
// never raises.
void ConvertExpressionBase(quint8 fromRadix, quint8 toRadix, QChar extra, QString &s, TCalculationError &err);
// Rewrites a result text into another base with the display grouping of
// that base. Every failure is code 26 without a span; never raises.
void ConvertResultBase(quint8 fromRadix, quint8 toRadix, QChar extra, QString &s, TCalculationError &err,
                       quint8 decimals);

// " div " <-> "[div]" and so on for the six operator words.
void BracketOperatorWords(QString &s);
void UnbracketOperatorWords(QString &s);

// The display text of a real value: Decimals places, exponent form when
// asked for or when the value would show as zero (not in base 16), the
// digits in Radix, grouped with blanks (4/3/3/2 digits in base 2/8/10/16).
QString FormatNumber(quint8 decimals, quint8 radix, bool scientific, Extended x);

// A whole number with all its digits in Radix and the same digit groups
// (FormatNumber writes values from 1E18 on in exponent form).
QString FormatWholeNumber(quint8 radix, qint64 x);

// The number of places in ToRadix that is worth Digits places in FromRadix.
quint8 DigitCountForBase(quint8 fromRadix, quint8 toRadix, quint8 digits);
