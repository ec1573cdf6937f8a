#!/usr/bin/env python3
"""Writes random expressions, one a line, for measuring the calculation's speed.

Usage: arithmetic-lines.py KIND COUNT SEED FORM
  KIND  plain      numbers, + - * /, brackets and negative numbers
        functions  the same with sin, ln, whole powers and square roots
        mixed      both kinds, and the operators and forms only the
                   calculator knows (%, !, nad, mod, implicit products)
  FORM  calc       as typed into the calculator (angles in radians)
        bc         the same expression as `bc -l` reads it (plain and
                   functions only)

The same KIND, COUNT and SEED give the same expressions in both forms, so the
calculator and bc get the same work. Every line is valid for both and has a
result: no division by zero, no logarithm of a number below 1, no root of a
negative number.
"""
import random
import sys


def number(rnd):
    k = rnd.random()
    if k < 0.4:
        return str(rnd.randint(1, 99))
    if k < 0.8:
        return "%d.%d" % (rnd.randint(0, 999), rnd.randint(1, 99))
    return "%d.%02d" % (rnd.randint(100, 99999), rnd.randint(0, 99))


class Term:
    """One piece of an expression in the calculator's and bc's writing."""

    def __init__(self, calc, bc):
        self.calc = calc
        self.bc = bc


def plain_operand(rnd, depth):
    k = rnd.random()
    if depth < 2 and k < 0.25:
        inner = plain_sum(rnd, depth + 1)
        return Term("(" + inner.calc + ")", "(" + inner.bc + ")")
    if k < 0.33:
        n = number(rnd)
        return Term("(-" + n + ")", "(-" + n + ")")
    n = number(rnd)
    return Term(n, n)


# Each function term as the calculator and as bc write it, with the share of
# operands it takes; arguments of ln and sqrt stay at 1 or above (a literal
# number plus one).
FUNCTIONS = [
    (0.2, "sin({n})", "s({n})"),
    (0.35, "ln(1+{n})", "l(1+{n})"),
    (0.5, "{n}^{e}", "{n}^{e}"),
    (0.6, "sqrt(1+{n})", "sqrt(1+{n})"),
    (0.65, "cos({n})", "c({n})"),
]


def function_operand(rnd, depth):
    k = rnd.random()
    for below, calc, bc in FUNCTIONS:
        if k < below:
            n = number(rnd)
            e = str(rnd.randint(2, 5)) if "{e}" in calc else ""
            return Term(calc.format(n=n, e=e), bc.format(n=n, e=e))
    return plain_operand(rnd, depth)


def mixed_operand(rnd, depth):
    k = rnd.random()
    if k < 0.06:
        return Term(str(rnd.randint(0, 12)) + "!", None)
    if k < 0.12:
        return Term(number(rnd) + "%", None)
    if k < 0.16:
        return Term("(%d nad %d)" % (rnd.randint(5, 20), rnd.randint(0, 5)), None)
    if k < 0.2:
        return Term("(%d mod %d)" % (rnd.randint(10, 999), rnd.randint(2, 9)), None)
    if k < 0.24:
        return Term("2(" + number(rnd) + "+" + number(rnd) + ")", None)
    if k < 0.5:
        return function_operand(rnd, depth)
    return plain_operand(rnd, depth)


def chain(rnd, depth, operand, count):
    first = operand(rnd, depth)
    calc, bc = first.calc, first.bc
    for _ in range(count):
        op = rnd.choice("+-*/")
        t = operand(rnd, depth)
        if op == "/":
            # A divisor that is never zero: a number above 1.
            n = "%d.%d" % (rnd.randint(1, 99), rnd.randint(1, 9))
            t = Term(n, n)
        calc += op + t.calc
        bc = None if bc is None or t.bc is None else bc + op + t.bc
    return Term(calc, bc)


def plain_sum(rnd, depth):
    return chain(rnd, depth, plain_operand, rnd.randint(1, 3))


def line(rnd, kind):
    if kind == "plain":
        return chain(rnd, 0, plain_operand, rnd.randint(2, 6))
    if kind == "functions":
        return chain(rnd, 0, function_operand, rnd.randint(2, 5))
    return chain(rnd, 0, mixed_operand, rnd.randint(1, 6))


def main():
    if len(sys.argv) != 5 or sys.argv[1] not in ("plain", "functions", "mixed") or sys.argv[4] not in ("calc", "bc"):
        sys.exit(__doc__)
    kind, count, seed, form = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    if kind == "mixed" and form == "bc":
        sys.exit("arithmetic-lines: mixed lines hold operators bc does not know")
    rnd = random.Random(seed)
    out = []
    for _ in range(count):
        t = line(rnd, kind)
        out.append(t.calc if form == "calc" else t.bc)
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
