#pragma once
// Exact fractions of the fraction mode and the list of small primes used to
// reduce them (and, in an instance of its own, to step the modulus of
// modulo arithmetic from prime to prime).
//
// Fraction token: "[" + sign + numerator + "|" + denominator + "]", the sign
// "+" for a numerator of 0 or more, "|" and the denominator left out when it
// is 1: "[+3|4]", "[-1|2]", "[+5]".
#include "platform/SysUtils.h"

#include <QString>

struct TPrvocislaNode
{
    qint32 Value = 0;
    TPrvocislaNode *Next = nullptr;
};

// Candidate divisors, largest first: 2, 3, 5, 7, 11 and every number up to
// the limit that none of them divides (exactly the primes below 169).
class TPrvocisla
{
public:
    TPrvocisla() = default;
    TPrvocisla(const TPrvocisla &) = delete;
    TPrvocisla &operator=(const TPrvocisla &) = delete;
    virtual ~TPrvocisla();

    // Meant for a fresh list; a second call replaces the chain.
    void Generate(quint16 Limit);

    TPrvocislaNode *Head = nullptr;
    bool Dirty = true; // until Generate has run
};

// The list the reduction uses, generated up to 997 on the first reduction.
TPrvocisla &FractionPrimes();

struct TFraction
{
    Extended Numerator = 0;
    Extended Denominator = 1; // may be negative; output moves the sign up
};

void FractionFromFloat(TFraction &F, Extended X);
// "[n|d]", "[+n]", "n" (blanks and brackets ignored); an empty S leaves F as
// it is. Raises EConvertError for a part that is not a number.
void StrToFraction(const QString &S, TFraction &F);
// The token.
void FractionToInputString(const TFraction &F, QString &S);
// "3 / 4", "-1 / 2", "3": FormatNumber with no decimals in the radix.
void FractionToDisplayString(const TFraction &F, quint8 Radix, QString &S);
// To lowest terms as whole numbers (a decimal value is scaled by 10 first).
// Raises EInvalidOp for a part beyond the 64-bit range and EDivByZero for a
// zero denominator.
void ReduceFraction(TFraction &F);

// No reduction inside the operations.
void AddFractions(const TFraction &A, const TFraction &B, TFraction &R);
void SubtractFractions(const TFraction &A, const TFraction &B, TFraction &R);
void MultiplyFractions(const TFraction &A, const TFraction &B, TFraction &R);
void DivideFractions(const TFraction &A, const TFraction &B, TFraction &R);
// Each part raised to E (a negative E swaps the parts first).
void PowerFraction(const TFraction &F, TFraction &R, Extended E);

// The display text of a result token: read, reduce, write.
void FormatFractionString(const QString &Token, quint8 Radix, QString &S);
