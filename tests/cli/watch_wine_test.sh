#!/usr/bin/env bash
# watch_wine_test.sh win32|win64 BUILD PROGRAM: kovra-cli.exe watch --once under Wine, in a
# prefix of its own, with the card put into removable drive E: after the watcher has started.
# Wine reads its drives when a prefix's session starts, so E: is mapped (as a floppy, which
# Windows programs see as removable) to a folder that is not there yet: an empty reader. The
# card goes in when that folder appears.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
mode=$1
build=$2
program=$3
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/cmake/wine.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-watch-wine.XXXXXX")
prefix=$build/wine-watch
watcher=""
cleanup() {
  [ -n "$watcher" ] && kill -KILL "$watcher" 2>/dev/null
  stop_prefix "$prefix"
  rm -rf "$work"
}
trap cleanup EXIT

slot=$work/slot
mkdir -p "$slot"
# The prefix made, its drive E: a removable one, its session stopped.
ready_prefix "$mode" "$prefix" "$program" "e=floppy:$slot" || { echo "FAIL  the prefix not made"; exit 1; }
rmdir "$slot"

# The card: its CONFIG.SYS and one recording signed "MARS".
mkdir -p "$work/card/DCIM"
printf '\x01\x01\x14\x00\x0a\x00\x1e\x00\x28\x00\x03' >"$work/card/CONFIG.SYS"
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=15 -t 2 -c:v mjpeg \
  "$work/card/DCIM/A.AVI"
printf 'MARS' | dd of="$work/card/DCIM/A.AVI" bs=1 count=4 conv=notrunc status=none

export WINEPREFIX=$prefix WINEARCH=$mode
[ -n "${DISPLAY:-}" ] || { start_virtual_display; trap 'cleanup; stop_virtual_display' EXIT; }
dest="Z:${work//\//\\}\\out"
# A Wine session that hangs at its start (as a set-up step now and then does) is started once
# more, and said: the test is of the watcher, not of Wine's start.
for attempt in 1 2; do
  "$(wine_loader "$mode")" "$program" watch --once --set-clock --export "$dest" \
    >"$work/watch.out" 2>"$work/watch.err" &
  watcher=$!
  for _ in $(seq 600); do
    grep -q "watching for" "$work/watch.out" 2>/dev/null && break 2
    sleep 0.1
  done
  kill -KILL "$watcher" 2>/dev/null
  wait "$watcher" 2>/dev/null
  watcher=""
  stop_prefix "$prefix"
  echo "note  the watcher did not start within 60 s (attempt $attempt): $(tr -d '\r' <"$work/watch.err")"
done
[ -n "$watcher" ] || { echo "FAIL  the watcher did not start"; exit 1; }
# Two looks at the drives with the reader empty: nothing to handle.
sleep 2.5
check "an empty reader is no card" is "$(grep -c "E:" "$work/watch.out")" 0
mv "$work/card" "$slot"
for _ in $(seq 300); do
  kill -0 "$watcher" 2>/dev/null || break
  sleep 0.1
done
now=$(date +%s)
rc=still-running
if ! kill -0 "$watcher" 2>/dev/null; then
  wait "$watcher"
  rc=$?
  watcher=""
fi
out=$(tr -d '\r' <"$work/watch.out")
err=$(tr -d '\r' <"$work/watch.err")
# --once that does not end (the card not seen, or a step that hangs), or ends with an error.
check "--once ends with 0 within 30 s of the card" is "$rc|$err" "0|"
written=$(od -An -tx1 "$slot/TIME.txt" 2>/dev/null | tr -d ' \n')
clock=$(($(date -u -d "${written:0:8} ${written:8:2}:${written:10:2}:${written:12:2}" +%s) - now))
# A clock not written, or written from another moment than the insertion.
check "the clock is the PC's within 2 s" test "${clock#-}" -le 2
check "the video exported" is "$(head -c4 "$work/out/DCIM/A.AVI" 2>/dev/null)" RIFF
check "the steps in order" is "$(grep -o 'wrote\|exported DCIM\|flushed\|may be taken out' \
  <<<"$out" | tr '\n' '|')" "wrote|exported DCIM|flushed|may be taken out|"

finish
