#!/usr/bin/env bash
# make test: installs what is missing, checks the formatting, builds every preset, runs every
# test (natively and under Wine on a virtual display of its own), proves the release files
# reproducible, and stops what it started, also on failure.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash cmake/install-deps.sh

section() { printf '\n==== %s ====\n' "$*"; }

# Every test skipped, with its reason, as the test programs list them at their end; make test
# shows the list last, also when it stops early.
skipped=build/skipped-tests.txt
mkdir -p build
: >"$skipped"
# run_tests PRESET [CTEST OPTIONS...]: runs ctest and notes what it skipped.
tests_ran=0
run_tests() {
  local preset=$1 status=0
  tests_ran=1
  shift
  ctest --preset "$preset" "$@" || status=$?
  local log=build/$preset/Testing/Temporary/LastTest.log
  [ -f "$log" ] && tr -d '\r' <"$log" | awk -v preset="$preset" '
    / Testing: / { test = $NF }
    /^kovra skipped / { sub(/^kovra skipped /, ""); print "  " preset " " test ": " $0 }
  ' >>"$skipped" || true
  return $status
}
report_skips() {
  [ $tests_ran -eq 1 ] || return 0
  section "skipped: $(wc -l <"$skipped") test(s)"
  cat "$skipped"
}
# Wine's processes and the virtual display, once started, end with make test.
WINEPREFIX=""
finish() {
  local status=$?
  [ -z "$WINEPREFIX" ] || stop_prefix "$WINEPREFIX"
  [ -z "$WINEPREFIX" ] || stop_virtual_display
  report_skips
  return $status
}
trap finish EXIT

section "formatting (clang-format, .clang-format)"
bash cmake/check-format.sh

section "native: build"
cmake --preset native >/dev/null
cmake --build --preset native
section "native: tests"
# Two at a time: most of them wait on the programs they start, not on a core.
run_tests native --parallel 2

# The Windows tests run under 32-bit Wine where this machine's kernel runs 32-bit code, and as a
# 64-bit build under 64-bit Wine where it does not; the 32-bit build then makes only the programs
# that ship, which are checked as files and packed by the release check.
source cmake/wine.sh
choose_windows_build
section "windows (32-bit, the shipped program): build"
cmake --preset windows >/dev/null
if [ "$windows_preset" = windows ]; then
  cmake --build --preset windows
else
  cmake --build --preset windows --target Kovra kovra-cli
fi
section "windows: the shipped program's resources and imports"
run_tests windows -L static

if [ "$windows_preset" != windows ]; then
  section "the Windows tests: a 64-bit build under 64-bit Wine"
  cmake --preset "$windows_preset" >/dev/null
  cmake --build --preset "$windows_preset"
fi

export WINEPREFIX
WINEPREFIX=$(default_prefix "$wine_arch")
start_virtual_display

section "windows tests under Wine ($wine_arch, display $DISPLAY)"
run_tests "$windows_preset"

section "release files: make dist twice, in two folders, compared"
bash cmake/check-dist.sh
