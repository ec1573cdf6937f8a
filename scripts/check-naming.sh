#!/usr/bin/env bash
# Fails when a name in shell/ or tools/ breaks the naming rule of .clang-tidy
# (parameters and locals camelCase, private and protected data members
# m_camelCase). Needs a configured build folder for the compile commands.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
CLANG_TIDY=${CLANG_TIDY:-clang-tidy-14}
root=$(pwd)
git ls-files 'shell/*.cpp' 'tools/*.cpp' | xargs -P "$(nproc)" -n 4 \
  "$CLANG_TIDY" -p "$BUILD" --quiet --warnings-as-errors='*' --header-filter="^$root/(shell|tools)/" 2>/dev/null
