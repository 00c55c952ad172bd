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

# The Windows tests run under 32-bit Wine when this machine's kernel runs 32-bit code. Some
# hosts run 64-bit user code only; there the same tests are built for 64-bit Windows and run
# under 64-bit Wine.
preset=windows
arch=win32
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=windows64
  arch=win64
  section "this host runs no 32-bit code: the Windows tests run as a 64-bit build under 64-bit Wine"
  cmake --preset windows64 >/dev/null
  cmake --build --preset windows64
fi

export WINEPREFIX=$PWD/build/$preset/wine
xvfb_pid=""
cleanup() {
  WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true
  WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -w 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

source cmake/virtual-display.sh
start_virtual_display

section "windows tests under Wine ($arch, display $DISPLAY)"
ctest --preset "$preset"
