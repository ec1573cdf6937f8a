#include "tools/model/uCombinatorics.h"

#include <cmath>
#include <numeric>

namespace {

using u128 = unsigned __int128;

constexpr int WordMax = 65535;

bool InWord(int V)
{
    return V >= 0 && V <= WordMax;
}

// A running product: exact while it fits in 128 bits, then 80-bit floating
// point (an overflow there leaves an infinity, which Finish refuses).
class TProduct
{
public:
    void Multiply(quint32 Factor)
    {
        if (Exact) {
            if (Factor == 0 || Value <= ~u128(0) / Factor) {
                Value *= Factor;
                return;
            }
            Exact = false;
            Approx = Extended(Value);
        }
        Approx *= Factor;
    }
    // Value * Numerator / Denominator where the exact result is known to be
    // a whole number (a binomial step).
    void MultiplyDivide(quint32 Numerator, quint32 Denominator)
    {
        if (Exact) {
            const u128 g = std::gcd(quint64(Value % Denominator), quint64(Denominator));
            const u128 reduced = Value / g;
            const u128 factor = Numerator / (Denominator / g); // divides: gcd(reduced, Denominator / g) = 1
            if (factor == 0 || reduced <= ~u128(0) / factor) {
                Value = reduced * factor;
                return;
            }
            Exact = false;
            Approx = Extended(Value);
        }
        Approx = Approx * Numerator / Denominator;
    }
    bool Finish(Extended &Result) const
    {
        const Extended v = Exact ? Extended(Value) : Approx;
        if (!std::isfinite(v))
            return false;
        Result = v;
        return true;
    }

private:
    bool Exact = true;
    u128 Value = 1;
    Extended Approx = 1;
};

// N (N - 1) ... (N - Count + 1); 1 for Count 0.
bool Falling(int N, int Count, Extended &Result)
{
    TProduct p;
    for (int i = 0; i < Count; ++i)
        p.Multiply(quint32(N - i));
    return p.Finish(Result);
}

bool Binomial(int N, int K, Extended &Result)
{
    if (!InWord(N) || !InWord(K) || K > N)
        return false;
    const int k = qMin(K, N - K);
    TProduct p;
    for (int i = 1; i <= k; ++i)
        p.MultiplyDivide(quint32(N - k + i), quint32(i));
    return p.Finish(Result);
}

} // namespace

bool CombinatoricsValue(TCombinatoricsKind Kind, int N, int K, Extended &Result)
{
    if (!InWord(N) || !InWord(K))
        return false;
    switch (Kind) {
    case TCombinatoricsKind::CombinatorialNumber:
    case TCombinatoricsKind::CombinationWithoutRepetition:
        return Binomial(N, K, Result);
    case TCombinatoricsKind::VariationWithoutRepetition:
        return K <= N && Falling(N, K, Result);
    case TCombinatoricsKind::VariationWithRepetition: {
        TProduct p;
        for (int i = 0; i < K; ++i)
            p.Multiply(quint32(N));
        return p.Finish(Result);
    }
    case TCombinatoricsKind::CombinationWithRepetition:
        // C(n + k - 1, k) with (n + k - 1) - k = n - 1 as the other factorial.
        return N >= 1 && Binomial(N + K - 1, K, Result);
    case TCombinatoricsKind::PermutationWithoutRepetition:
        return Falling(N, N, Result);
    }
    return false;
}
