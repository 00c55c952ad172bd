#!/usr/bin/env bash
# hostile_header_test.sh PROGRAM CORPUS: videos, gallery and export on a card with the fuzzer's
# find, a recording whose strh claims a frame every 136 years (CORPUS/frame_a_century.avi):
# each ends in its own words, in bounded memory, with output that does not grow with the span
# the header claims; and --clock-offset is held to its bound.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
program=$1
corpus=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-hostile-header-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
# A run sized by the claimed span grew past gigabytes: ASan stops one at 1 GiB of memory, and
# /usr/bin/time tells the peak where the program is built without it.
most_kib=$((1024 * 1024))
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}hard_rss_limit_mb=1024"
peak=0
kovra() {
  /usr/bin/time -f %M -o "$work/peak" "$program" "$@" >"$work/stdout" 2>"$work/stderr" </dev/null
  rc=$?
  out=$(cat "$work/stdout")
  err=$(cat "$work/stderr")
  peak=$(tail -n 1 "$work/peak")
}
bounded() { [ "$peak" -lt "$most_kib" ] && ! has "$err" "unexpected error"; }

card=$work/card/DCIM
mkdir -p "$card"
cp "$corpus/frame_a_century.avi" "$card/MOV001.avi"
cp "$corpus/sound_mars.avi" "$card/MOV002.avi"
touch -d '2007-10-16 08:16:47' "$card/MOV001.avi" "$card/MOV002.avi"

kovra videos "$work/card" --json
check "videos: exit 0 in bounded memory" is "$rc" 0
check "videos: no unexpected error" bounded
check "videos: the claimed rate is a finding; repairable at avih's rate, timed as the file" is \
  "$(json "[(v['state'], round(v['fps'], 2), v['recordedEnd'][:10], v['problems'][-1]) \
  for v in d if v['path'] == 'DCIM/MOV001.avi'][0]")" \
  "('repairable', 15.0, '2007-10-16', 'strh frame rate 1/4294967295 of stream 0 is none a recorder makes')"
check "videos: the output stays small" test "${#out}" -lt 4096

kovra gallery "$work/gallery" --from "$work/card"
check "gallery: exit 0 in bounded memory" is "$rc" 0
check "gallery: no unexpected error" bounded
check "gallery: the page stays small" test "$(stat -c %s "$work/gallery/index.html")" -lt 262144

kovra export "$work/out" --from "$work/card"
check "export: exit 0 in bounded memory, with its totals" is "$rc|$(bounded && echo bounded)" \
  "0|bounded"
check "export: its totals" has "$out" "2 exported (1 repaired)"
check "export: the gallery's page stays small" \
  test "$(stat -c %s "$work/out/index.html")" -lt 262144
kovra videos "$work/out/DCIM/MOV001.avi" --json
check "the repair is sound at avih's rate" is "$(json "d[0]['state'], round(d[0]['fps'], 2)")" "ok 15.0"

# A clock offset past two days is a mistyped one, and would move times out of any calendar.
kovra videos "$work/card" --clock-offset +48:00:01
check "--clock-offset past 48 hours: a usage error that says the bound" is \
  "$rc|$(has "$err" "at most 48 hours" && echo said)" "2|said"
kovra videos "$work/card" --clock-offset -48:00:00
check "--clock-offset of 48 hours: taken" is "$rc" 0
finish
