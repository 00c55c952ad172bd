#!/usr/bin/env bash
# make run: builds Kovra and starts it under Wine in the project's prefix, with a folder mapped
# as the removable drive E: the demo card under build/, or the folder CARD names (a mounted
# card: CARD=/media/card make run).
#
# With a display the window is yours to use. Without one (DISPLAY unset) Kovra runs on a
# virtual display; its window is saved as build/kovra.png and closed, and make run exits 0
# when the program ended normally.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash cmake/install-deps.sh

# The shipped program is 32-bit; where this machine's kernel runs no 32-bit code, the 64-bit
# build of the same sources runs under 64-bit Wine instead.
source cmake/wine.sh
choose_windows_build
preset=$windows_preset
arch=$wine_arch
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Kovra

card=${CARD:-}
if [ -z "$card" ]; then
  card=$PWD/build/demo-card
  bash cmake/demo-card.sh "$card"
fi
[ -d "$card" ] || { echo "CARD=$card is not a folder" >&2; exit 2; }
case "$card" in *[[:space:]]*)
  echo "CARD=$card: the Wine runner cannot map a path with spaces; link it elsewhere" >&2
  exit 2 ;;
esac
card=$(cd "$card" && pwd)
echo "drive E: (removable) is $card"
[ -n "${CARD:-}" ] || echo "to use a real card instead: CARD=/path/to/mounted/card make run"
export KOVRA_DRIVES="e=floppy:$card"

if [ -n "${DISPLAY:-}" ]; then
  exec bash cmake/wine-run.sh "$arch" "build/$preset/Kovra.exe"
fi

cmake --build --preset "$preset" --target kovra_snapshot
export WINEPREFIX
WINEPREFIX=$(default_prefix "$arch")
cleanup() {
  stop_prefix "$WINEPREFIX"
  stop_virtual_display
}
trap cleanup EXIT
start_virtual_display
echo "no display: Kovra runs on the virtual display $DISPLAY"

# Relative names: the Windows side sees this folder as its current one.
picture=kovra-window.bmp
rm -f "build/$preset/$picture"
(cd "build/$preset" && bash ../../cmake/wine-run.sh "$arch" tools/kovra_snapshot.exe Kovra.exe \
  "$picture")
ffmpeg -loglevel error -y -i "build/$preset/$picture" build/kovra.png
echo "Kovra's window: build/kovra.png; the program ended normally"
