#!/usr/bin/env bash
# make test: installs what is missing, builds every preset, runs every test (natively and
# under Wine on a virtual display of its own), and stops what it started, also on failure.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash cmake/install-deps.sh

section() { printf '\n==== %s ====\n' "$*"; }

section "native: build"
cmake --preset native >/dev/null
cmake --build --preset native
section "native: tests"
ctest --preset native

section "windows (32-bit, the shipped program): build"
cmake --preset windows >/dev/null
cmake --build --preset windows
section "windows: the shipped program's resources and imports"
ctest --preset windows -L static

# The Windows tests run under 32-bit Wine where this machine's kernel runs 32-bit code, and as a
# 64-bit build under 64-bit Wine where it does not.
source cmake/wine.sh
choose_windows_build
if [ "$windows_preset" != windows ]; then
  section "the Windows tests: a 64-bit build under 64-bit Wine"
  cmake --preset "$windows_preset" >/dev/null
  cmake --build --preset "$windows_preset"
fi

export WINEPREFIX
WINEPREFIX=$(default_prefix "$wine_arch")
cleanup() {
  stop_prefix "$WINEPREFIX"
  stop_virtual_display
}
trap cleanup EXIT
start_virtual_display

section "windows tests under Wine ($wine_arch, display $DISPLAY)"
ctest --preset "$windows_preset"
