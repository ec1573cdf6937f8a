#include "tools/model/uQuadraticSolver.h"

#include <cmath>

namespace {

// Adding +0 turns -0 into +0 and leaves every other value as it is.
Extended NoNegativeZero(Extended v)
{
    return v + Extended(0);
}

} // namespace

bool SolveQuadratic(Extended a, Extended b, Extended c, TQuadraticRoots &roots)
{
    if (a == 0)
        return false;
    TQuadraticRoots r;
    r.Discriminant = NoNegativeZero(b * b - 4 * a * c);
    if (r.Discriminant >= 0) {
        const Extended root = std::sqrt(r.Discriminant);
        const Extended q = -(b + (std::signbit(b) ? -root : root)) / 2;
        if (q == 0) {
            // b = 0 and D = 0, so c = 0: the double root 0.
            r.X1 = r.X2 = 0;
        } else if (!std::signbit(b)) {
            // q holds -b - sqrt(D): the root with the minus sign.
            r.X1 = q / a;
            r.X2 = c / q;
        } else {
            r.X1 = c / q;
            r.X2 = q / a;
        }
        r.X1 = NoNegativeZero(r.X1);
        r.X2 = NoNegativeZero(r.X2);
    } else {
        r.Complex = true;
        r.Re = NoNegativeZero(-b / (2 * a));
        r.Im = NoNegativeZero(std::sqrt(-r.Discriminant) / (2 * a));
    }
    roots = r;
    return true;
}
