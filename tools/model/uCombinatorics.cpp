#include "tools/model/uCombinatorics.h"

#include <cmath>
#include <numeric>

namespace {

using u128 = unsigned __int128;

constexpr int WordMax = 65535;

bool InWord(int v)
{
    return v >= 0 && v <= WordMax;
}

// A running product: exact while it fits in 128 bits, then 80-bit floating
// point (an overflow there leaves an infinity, which Finish refuses).
class TProduct
{
public:
    void Multiply(quint32 factor)
    {
        if (m_exact) {
            if (factor == 0 || Value <= ~u128(0) / factor) {
                Value *= factor;
                return;
            }
            m_exact = false;
            m_approx = Extended(Value);
        }
        m_approx *= factor;
    }
    // Value * Numerator / Denominator where the exact result is known to be
    // a whole number (a binomial step).
    void MultiplyDivide(quint32 numerator, quint32 denominator)
    {
        if (m_exact) {
            const u128 g = std::gcd(quint64(Value % denominator), quint64(denominator));
            const u128 reduced = Value / g;
            const u128 factor = numerator / (denominator / g); // divides: gcd(reduced, Denominator / g) = 1
            if (factor == 0 || reduced <= ~u128(0) / factor) {
                Value = reduced * factor;
                return;
            }
            m_exact = false;
            m_approx = Extended(Value);
        }
        m_approx = m_approx * numerator / denominator;
    }
    bool Finish(Extended &result) const
    {
        const Extended v = m_exact ? Extended(Value) : m_approx;
        if (!std::isfinite(v))
            return false;
        result = v;
        return true;
    }

private:
    bool m_exact = true;
    u128 Value = 1;
    Extended m_approx = 1;
};

// N (N - 1) ... (N - Count + 1); 1 for Count 0.
bool Falling(int n, int count, Extended &result)
{
    TProduct p;
    for (int i = 0; i < count; ++i)
        p.Multiply(quint32(n - i));
    return p.Finish(result);
}

bool Binomial(int n, int k, Extended &result)
{
    if (!InWord(n) || !InWord(k) || k > n)
        return false;
    const int smaller = qMin(k, n - k);
    TProduct p;
    for (int i = 1; i <= smaller; ++i)
        p.MultiplyDivide(quint32(n - smaller + i), quint32(i));
    return p.Finish(result);
}

} // namespace

bool CombinatoricsValue(TCombinatoricsKind kind, int n, int k, Extended &result)
{
    if (!InWord(n) || !InWord(k))
        return false;
    switch (kind) {
    case TCombinatoricsKind::CombinatorialNumber:
    case TCombinatoricsKind::CombinationWithoutRepetition:
        return Binomial(n, k, result);
    case TCombinatoricsKind::VariationWithoutRepetition:
        return k <= n && Falling(n, k, result);
    case TCombinatoricsKind::VariationWithRepetition: {
        TProduct p;
        for (int i = 0; i < k; ++i)
            p.Multiply(quint32(n));
        return p.Finish(result);
    }
    case TCombinatoricsKind::CombinationWithRepetition:
        // C(n + k - 1, k) with (n + k - 1) - k = n - 1 as the other factorial.
        return n >= 1 && Binomial(n + k - 1, k, result);
    case TCombinatoricsKind::PermutationWithoutRepetition:
        return Falling(n, n, result);
    }
    return false;
}
