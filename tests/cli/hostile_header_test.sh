#!/usr/bin/env bash
# hostile_header_test.sh PROGRAM CORPUS: videos, gallery and export on a card with the fuzzer's
# frame a century (strh scale 0xffffffff, rate 1): each ends in its own words, in bounded memory
# (ASan stops a run at 1 GiB; /usr/bin/time tells the peak), its output not grown with the span.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
program=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-hostile-header-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}hard_rss_limit_mb=1024"
kovra() {
  /usr/bin/time -f %M -o "$work/peak" "$program" "$@" >"$work/stdout" 2>"$work/stderr" </dev/null
  rc=$?
  out=$(cat "$work/stdout")
  err=$(cat "$work/stderr")
  [ "$(tail -n 1 "$work/peak")" -lt $((1024 * 1024)) ] && ! has "$err" "unexpected error" &&
    bounded=yes || bounded=no
}
small() { [ "$(stat -c %s "$1")" -lt 262144 ]; }
mkdir -p "$work/card/DCIM"
cp "$2/frame_a_century.avi" "$work/card/DCIM/MOV001.avi"
cp "$2/sound_mars.avi" "$work/card/DCIM/MOV002.avi"
touch -d '2007-10-16 08:16:47' "$work/card/DCIM/"*.avi

kovra videos "$work/card" --json
check "videos: the claimed rate is a finding; repairable at avih's rate, timed as the file" is \
  "$rc $bounded $(json "[(v['state'], round(v['fps'], 2), v['recordedEnd'][:10], v['problems'][-1]) \
  for v in d if v['path'] == 'DCIM/MOV001.avi'][0]")" \
  "0 yes ('repairable', 15.0, '2007-10-16', 'strh frame rate 1/4294967295 of stream 0 is none a recorder makes')"
kovra gallery "$work/gallery" --from "$work/card"
check "gallery: exit 0 in bounded memory" is "$rc $bounded" "0 yes"
check "gallery: a small page" small "$work/gallery/index.html"
kovra export "$work/out" --from "$work/card"
check "export: exit 0 in bounded memory, with its totals" is "$rc $bounded $(has "$out" \
  "2 exported (1 repaired)" && echo totals)" "0 yes totals"
check "export: a small page" small "$work/out/index.html"
kovra videos "$work/out/DCIM/MOV001.avi" --json
check "the repair is sound at avih's rate" is "$(json "d[0]['state'], round(d[0]['fps'], 2)")" "ok 15.0"
# A clock offset past two days is a mistyped one, and would move times out of any calendar.
kovra videos "$work/card" --clock-offset +48:00:01
check "--clock-offset past 48 hours: a usage error that says the bound" is \
  "$rc $(has "$err" "at most 48 hours" && echo said)" "2 said"
kovra videos "$work/card" --clock-offset -48:00:00
check "--clock-offset of 48 hours: taken" is "$rc" 0
finish
