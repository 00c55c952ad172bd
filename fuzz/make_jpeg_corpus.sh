#!/usr/bin/env bash
# Writes the picture fuzzer's seed corpus, fuzz/corpus/jpeg/: small frames ffmpeg makes as a
# recorder's (with tables of their own, and coded with the standard tables, with and without
# them) and one cut short. Run once; its outputs are committed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
out=corpus/jpeg
rm -rf "$out"
mkdir -p "$out"
frame() { # NAME FFMPEG-OUTPUT-OPTIONS...
  local name=$1
  shift
  ffmpeg -v error -nostdin -y -f lavfi -i testsrc=size=48x32 -frames:v 1 -fflags +bitexact \
    "$@" -f mjpeg "$out/$name.jpg"
}
frame own_tables -c:v mjpeg -q:v 8
frame standard_tables -c:v mjpeg -q:v 8 -huffman default
# The recorder's kind: coded with the standard tables, which the frame leaves out (each DHT
# before the scan becomes a comment of the same length).
python3 - "$out/standard_tables.jpg" "$out/no_tables.jpg" <<'PY'
import sys
d = bytearray(open(sys.argv[1], 'rb').read())
pos = 2
while d[pos] == 0xFF and d[pos + 1] != 0xDA:
    if d[pos + 1] == 0xC4:
        d[pos + 1] = 0xFE
    pos += 2 + (d[pos + 2] << 8 | d[pos + 3])
open(sys.argv[2], 'wb').write(d)
PY
head -c 900 "$out/no_tables.jpg" >"$out/cut.jpg"
ls -l "$out"
