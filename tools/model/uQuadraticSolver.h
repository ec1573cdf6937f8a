#pragma once
// The roots of a x^2 + b x + c = 0 in 80-bit floating point.
//
// Real roots come from q = -(b + sign(b) sqrt(D)) / 2 as q / a and c / q,
// so the smaller root does not lose its digits to cancellation
// (1, 1e8, 1 gives -1e-8 and -1e8 to the last digit). No result is a
// negative zero.
#include "platform/SysUtils.h"

struct TQuadraticRoots
{
    Extended Discriminant = 0; // b^2 - 4 a c
    bool Complex = false;
    // Real roots (Complex false): X1 = (-b - sqrt(D)) / 2a, X2 = (sqrt(D) - b) / 2a.
    Extended X1 = 0, X2 = 0;
    // Complex roots (Complex true): X1 = Re + i Im, X2 = Re - i Im, with
    // Re = -b / 2a and Im = sqrt(-D) / 2a.
    Extended Re = 0, Im = 0;
};

// False (Roots unchanged) when A is 0: then it is no quadratic equation.
// The coefficients are meant to be doubles (as the window reads them), so
// that no intermediate value leaves the 80-bit range.
bool SolveQuadratic(Extended a, Extended b, Extended c, TQuadraticRoots &roots);
