#!/usr/bin/env bash
# gallery_test.sh PROGRAM: kovra-cli's gallery and export as processes, in a DEST the owner keeps
# other things in: a link out of DEST refused with the usage error's exit status, one writer at a
# time, an export stopped by SIGTERM still records what it copied, and what an export's gallery
# says when a copy fails between others.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
program=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-gallery-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
card=$work/card
mkdir -p "$card/DCIM"
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=160x120:rate=15 -t 2 -c:v mjpeg \
  "$card/DCIM/A.avi"
cp "$card/DCIM/A.avi" "$card/DCIM/B.avi"
mine() { mkdir -p "$1" && echo "the owner's own" >"$1/README.txt"; }

# A kovra-gallery that is a link to the owner's folder: refused by both, the folder untouched.
for command in gallery export; do
  dest=$work/link-$command
  mine "$work/own-$command"
  mkdir -p "$dest" && ln -s "$work/own-$command" "$dest/kovra-gallery"
  kovra "$command" "$dest" --from "$card"
  check "$command: a kovra-gallery link refused, said, the folder kept" is \
    "$rc|$(has "$err" "kovra-gallery: a link" && echo said)|$(ls "$work/own-$command")" \
    "2|said|README.txt"
done
# The owner's files in DEST kept, a page of ours replaced: tests/gallery/gallery_build_test.cpp.
# A record that cannot be saved: the page still written, the record named, and exit 1, not a
# success the next gallery pays for by reading every video again.
mkdir -p "$work/no-record/kovra-gallery/.kovra-gallery"
kovra gallery "$work/no-record" --from "$card"
check "a record not saved: named with the system's reason, exit 1" is "$rc|$(has "$err" \
  ".kovra-gallery: cannot be written (the next gallery reads every video again): is a folder" \
  && echo said)|$([ -f "$work/no-record/index.html" ] && echo page)" "1|said|page"
dest=$work/out
mkdir -p "$dest"

# One writer at a time: a gallery while another holds DEST's lock is refused, and says so.
kovra_locked() { flock -n "$dest/.kovra-export.lock" "$program" "$@" >"$work/stdout" 2>"$work/stderr"; }
kovra_locked gallery "$dest" --from "$card"
rc=$? err=$(cat "$work/stderr")
check "a gallery meets the lock another holds" is "$rc|$(has "$err" "refused rather than waiting" \
  && echo said)" "1|said"

# SIGTERM after the first copy is said: the record names it. Its stdout is a full pipe, so the program
# stops in its first line (said once the copy is done) until the signal.
python3 - "$program" "$card" "$work/stopped" <<'PY'
import fcntl, os, signal, subprocess, sys, time
program, card, dest = sys.argv[1:]
read, write = os.pipe()
fcntl.fcntl(write, 1031, 4096)  # F_SETPIPE_SZ
os.set_blocking(write, False)
try:
    while True:
        os.write(write, b"x" * 4096)
except BlockingIOError:
    pass
os.set_blocking(write, True)
child = subprocess.Popen([program, "export", dest, "--from", card], stdout=write,
                         stderr=subprocess.DEVNULL)
while child.poll() is None:
    with open(f"/proc/{child.pid}/wchan") as wchan:
        if wchan.read().endswith("pipe_write"):
            break
    time.sleep(0.01)  # a look at where it waits, not a time it must keep
child.send_signal(signal.SIGTERM)
os.close(read)
child.wait()
PY
# The copies flushed together are named and recorded together, before the first is said.
recorded=$(grep -o 'DCIM/[AB].avi' "$work/stopped/.kovra-export" 2>&1)
check "SIGTERM after the first copy: the record names it, and only copies in place" is \
  "$(grep -c 'DCIM/A.avi' <<<"$recorded")|$(for name in $recorded; do
    [ -f "$work/stopped/$name" ] || echo "$name missing"; done)" "1|"
# A copy that waits to be named is removed by the interrupt.
check "SIGTERM after the first copy: the next one's flushed file removed" is \
  "$(find "$work/stopped" -name '*.kovra-tmp' | wc -l)" 0

# A copy that fails (a folder where B goes) and a file that gives no picture (C) between videos
# whose pictures are made while the next ones copy: said as they always were, the gallery the
# same bytes as one made after every copy (a second export, all skipped, whose copies are
# none), nothing partial left.
mid=$work/mid
mkdir -p "$mid/DCIM" "$work/mid-out/DCIM/B.avi"
for name in A B D; do cp "$card/DCIM/A.avi" "$mid/DCIM/$name.avi"; done
printf 'not a video, and no picture of it' >"$mid/DCIM/C.avi"
kovra export "$work/mid-out" --from "$mid"
check "a failed copy and no picture in the middle: said, exit 1" is "$rc|$out|$err" \
  "1|DCIM/A.avi
DCIM/D.avi
gallery: $work/mid-out/index.html
2 exported (0 repaired), 0 skipped as already there, 2 failed|kovra-cli: $work/mid-out/DCIM/B.avi: \
cannot be written: is a folder (Is a directory, errno 21)
kovra-cli: $mid/DCIM/C.avi: cannot be made playable: not an AVI file; kept as it is in \
$work/mid-out/DCIM/C.avi"
check "no temporary file left, the pictures of A, B (from the card) and D" is \
  "$(find "$work/mid-out" -name '*.kovra-tmp*' | wc -l)|$(ls "$work/mid-out/kovra-gallery" | \
  cut -c1 | uniq -c | tr -s ' ' | tr '\n' ,)" "0| 9 A, 9 B, 9 D,"
mv "$work/mid-out" "$work/mid-first"
mkdir -p "$work/mid-out/DCIM/B.avi"
kovra export "$work/mid-out" --from "$mid" --no-gallery
kovra export "$work/mid-out" --from "$mid"
check "the gallery made during the copies is the one made after them, byte for byte" is \
  "$rc|$(diff -r "$work/mid-first" "$work/mid-out" 2>&1)" "1|"

finish
