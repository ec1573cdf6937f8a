#!/usr/bin/env bash
# The whole calculation against `bc -l` on the same expressions, side by side
# in one run: 20,000 plain arithmetic lines and 20,000 lines with sin, ln and
# powers (fixed seeds), each timed as one process reading every line.
# Usage: scripts/arithmetic-speed.sh [build folder] [count]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
COUNT=${2:-20000}
calc=$BUILD/bench/calculate_lines
[ -x "$calc" ] || cmake --build "$BUILD" --target calculate_lines >/dev/null
command -v bc >/dev/null || { echo "bc is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds() { # command and input file; the best of three runs
  local best=
  for _ in 1 2 3; do
    local t0 t1
    t0=$(date +%s.%N)
    "${@:2}" < "$1" > /dev/null
    t1=$(date +%s.%N)
    best=$(echo "$t1 - $t0" | bc -l | awk -v b="$best" '{ if (b == "" || $1 < b) print $1; else print b }')
  done
  printf '%.3f' "$best"
}

printf '%-10s %10s %10s %8s\n' kind bc tandorel ratio
for kind in plain functions; do
  python3 scripts/arithmetic-lines.py "$kind" "$COUNT" 1 calc > "$work/$kind.calc"
  python3 scripts/arithmetic-lines.py "$kind" "$COUNT" 1 bc > "$work/$kind.bc"
  b=$(seconds "$work/$kind.bc" bc -l)
  t=$(seconds "$work/$kind.calc" "$calc" --radians)
  printf '%-10s %9ss %9ss %7.2fx\n' "$kind" "$b" "$t" "$(echo "$t / $b" | bc -l)"
done
