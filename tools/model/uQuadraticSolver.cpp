#include "tools/model/uQuadraticSolver.h"

#include <cmath>

namespace {

// Adding +0 turns -0 into +0 and leaves every other value as it is.
Extended NoNegativeZero(Extended V)
{
    return V + Extended(0);
}

} // namespace

bool SolveQuadratic(Extended A, Extended B, Extended C, TQuadraticRoots &Roots)
{
    if (A == 0)
        return false;
    TQuadraticRoots r;
    r.Discriminant = NoNegativeZero(B * B - 4 * A * C);
    if (r.Discriminant >= 0) {
        const Extended root = std::sqrt(r.Discriminant);
        const Extended q = -(B + (std::signbit(B) ? -root : root)) / 2;
        if (q == 0) {
            // b = 0 and D = 0, so c = 0: the double root 0.
            r.X1 = r.X2 = 0;
        } else if (!std::signbit(B)) {
            // q holds -b - sqrt(D): the root with the minus sign.
            r.X1 = q / A;
            r.X2 = C / q;
        } else {
            r.X1 = C / q;
            r.X2 = q / A;
        }
        r.X1 = NoNegativeZero(r.X1);
        r.X2 = NoNegativeZero(r.X2);
    } else {
        r.Complex = true;
        r.Re = NoNegativeZero(-B / (2 * A));
        r.Im = NoNegativeZero(std::sqrt(-r.Discriminant) / (2 * A));
    }
    Roots = r;
    return true;
}
