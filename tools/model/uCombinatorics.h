#pragma once
// The six counting quantities of the combinatorics window, for n and k of
// 0 to 65535. Products are formed exactly in 128-bit integers while they fit
// and continue in 80-bit floating point beyond, so every result up to 2^64
// is exact (C(30, 15) is 155117520 at any number of decimals) and large n
// never fails only because n! alone would overflow (C(2000, 1) is 2000).
#include "platform/SysUtils.h"

enum class TCombinatoricsKind {
    CombinatorialNumber,          // C(n, k)
    VariationWithoutRepetition,   // n! / (n - k)!
    VariationWithRepetition,      // n^k
    CombinationWithoutRepetition, // C(n, k)
    CombinationWithRepetition,    // C(n + k - 1, k)
    PermutationWithoutRepetition, // n!
};

// The quantity of Kind for N and K. False when it is not defined (an
// argument outside 0..65535, k > n where n - k is needed, n + k - 1 or
// n - 1 below 0 for the combination with repetition) or when it exceeds the
// 80-bit range; Result is then unchanged.
bool CombinatoricsValue(TCombinatoricsKind kind, int n, int k, Extended &result);
