#!/usr/bin/env bash
# videos_test.sh PROGRAM: kovra-cli's videos, repair and export as a user runs them, on a
# recording made by ffmpeg as the recorder makes them and damaged as a power cut leaves it.
# The repaired files are judged by ffprobe and ffmpeg.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
program=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-videos-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
layout() { python3 "$here/avi_layout.py" "$@"; }
probe_frames() {
  ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
    -of csv=p=0 "$1" </dev/null
}

# A recording as the recorder makes it: MJPEG at 15 fps with 8 kHz PCM, signed "MARS".
clip=$work/clip.avi
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=15 -f lavfi \
  -i sine=frequency=440:sample_rate=8000 -t 4 -c:v mjpeg -q:v 5 -c:a pcm_s16le -ac 1 "$clip"
mars() { cp "$clip" "$1" && printf 'MARS' | dd of="$1" bs=1 count=4 conv=notrunc status=none; }
size=$(stat -c %s "$clip")
read -r start30 length30 < <(layout "$clip" video-chunk 30)
idx1=$(layout "$clip" idx1 0)
total=$(layout "$clip" frames-before "$size")

# Each damage: a name, how it is made from the MARS copy, and the frames left complete.
card=$work/card/DCIM
mkdir -p "$card"
damage() { # damage NAME EXPECTED COMMAND...
  local name=$1 expected=$2
  shift 2
  mars "$card/$name.avi"
  "$@" "$card/$name.avi"
  echo "$name $expected" >>"$work/cases"
}
cut_at() { truncate -s "$1" "$2"; }
zero_tail() { dd if=/dev/zero of="$2" bs=1 seek="$1" count=$((size - $1 - 8)) conv=notrunc \
  status=none; }
zero_sizes() { # the RIFF, movi and avih frame counts as a recorder leaves them while recording
  printf '\0\0\0\0' | dd of="$1" bs=1 seek=4 conv=notrunc status=none
  printf '\0\0\0\0' | dd of="$1" bs=1 seek=48 conv=notrunc status=none
}
damage sound "$total" true
damage cut_in_frame "$(layout "$clip" frames-before $((start30 + 8 + length30 / 2)))" \
  cut_at $((start30 + 8 + length30 / 2))
damage cut_in_header "$(layout "$clip" frames-before $((start30 + 4)))" cut_at $((start30 + 4))
damage cut_on_boundary "$(layout "$clip" frames-before "$start30")" cut_at "$start30"
damage cut_in_index "$total" cut_at $((idx1 + 40))
damage zeroed_sizes "$total" zero_sizes
damage zeros_at_end "$(layout "$clip" frames-before "$start30")" zero_tail "$start30"
printf 'not a video' >"$card/NOTES.AVI"

kovra videos "$work/card" --json
listing=$out
listed() { out=$listing json "$1"; }
check "videos lists every file" is "$(listed 'len(d)')" 8
# Guards against findings given only in English: each has its stable kind, its words beside it.
check "videos --json: each finding's kind, its problem as problems says it" is \
  "$(listed "sorted((v['path'], [f['kind'] for f in v['findings']][:2],
    [f['problem'] for f in v['findings']] == v['problems'])
    for v in d if v['path'] in ('DCIM/cut_in_frame.avi', 'DCIM/NOTES.AVI'))")" \
  "[('DCIM/NOTES.AVI', ['notAvi'], True), ('DCIM/cut_in_frame.avi', ['noIndex', 'lastChunkCutOff'], True)]"
while read -r name expected; do
  got=$(listed "[v for v in d if v['path'] == 'DCIM/$name.avi'][0]['frames']")
  check "videos: $name holds $expected complete frames" is "$got" "$expected"
  kovra repair "$card/$name.avi" "$work/$name.avi"
  check "repair $name" is "$rc" 0
  check "repaired $name: ffprobe counts $expected frames" is "$(probe_frames "$work/$name.avi")" \
    "$expected"
  check "repaired $name decodes cleanly" is "$(ffmpeg -nostdin -v error -i "$work/$name.avi" -f null - 2>&1)" ""
  kovra repair "$work/$name.avi" "$work/$name.again.avi"
  check "repairing $name again changes nothing" cmp -s "$work/$name.avi" "$work/$name.again.avi"
done <"$work/cases"
check "a sound video's repair is the same bytes with RIFF" cmp -s "$clip" "$work/sound.avi"
# play hands the player what repair writes: a cut recording repaired, a sound one as its own
# bytes with RIFF; the card's file is never written.
mkdir -p "$work/tmp"
for name in cut_in_frame zeroed_sizes sound; do
  before=$(md5sum <"$card/$name.avi")
  TMPDIR=$work/tmp kovra play --print --json "$card/$name.avi"
  check "play --print $name: the copy is the repair" cmp -s "$(json 'd["copy"]')" "$work/$name.avi"
  check "play --print $name: repaired said, the card untouched" is \
    "$(json 'd["repaired"]')|$(md5sum <"$card/$name.avi")" \
    "$([ "$name" = sound ] && echo False || echo True)|$before"
  check "play --json $name: the choices named" is "$(json 'd["action"], d["copyMade"]')" \
    "printed $([ "$name" = sound ] && echo signatureRewritten || echo repaired)"
done
check "unreadable listed as such" is \
  "$(listed "[v['state'] for v in d if v['path'] == 'DCIM/NOTES.AVI'][0]")" unreadable

kovra repair "$card/zeroed_sizes.avi" "$work/zeroed_sizes.json.avi" --json
check "repair --json: the source's state named, each finding's kind" is \
  "$rc|$(json 'd["sourceState"], d["wasSound"], "riffSize" in [f["kind"] for f in d["findings"]]')" \
  "0|repairable False True"

# Refusals: nothing is written.
kovra repair "$card/NOTES.AVI" "$work/notes.avi"
check "unreadable: exit 1, no OUT" is "$rc|$(ls "$work/notes.avi" 2>/dev/null)" "1|"
kovra repair "$card/sound.avi" "$work/sound.avi"
check "existing OUT refused" is "$rc" 2
kovra repair "$card/sound.avi" "$card/../DCIM/sound.avi" --force
check "OUT over IN refused" is "$rc" 2
kovra repair "$card/sound.avi" /dev/null --force
check "a device is never replaced, --force or not" is "$rc|$(stat -c %F /dev/null)" \
  "2|character special file"
ln -s self.avi "$work/self.avi"
kovra videos "$work/self.avi"
check "a link to itself said in words" is "$rc|$(has "$err" "too many levels of links" && echo said)" \
  "1|said"
rm "$work/self.avi"
# A limit on the size of the files written (64 KiB; SIGXFSZ left as it kills): the program
# survives it, names OUT and the system's reason, and leaves nothing behind.
for name in sound cut_in_frame; do
  (ulimit -f 64 && kovra repair "$card/$name.avi" "$work/full.avi" && exit "$rc")
  rc=$? out=$(cat "$work/stdout") err=$(cat "$work/stderr")
  check "$name past the size limit: exit 1, OUT named, no OUT or temporary file" is \
    "$rc|$err|$(ls "$work" | grep -c '^full\.avi')" \
    "1|kovra-cli: $work/full.avi: cannot be written: file too large (errno 27)|0"
done

# Export: every video playable under the same path, the card untouched, times kept.
before=$(cd "$work/card" && find . -type f -exec md5sum {} + | sort)
touch -d '2007-10-16 08:16:47' "$card/sound.avi"
kovra export "$work/out" --from "$work/card"
check "export exit 1 for the unreadable file" is "$rc" 1
check "export names the failed file" has "$err" "NOTES.AVI"
check "export summary" has "$out" "7 exported (6 repaired), 0 skipped as already there, 1 failed"
check "export keeps the time" is "$(stat -c %Y "$work/out/DCIM/sound.avi")" \
  "$(stat -c %Y "$card/sound.avi")"
check "exported files are the repairs" cmp -s "$work/out/DCIM/cut_in_frame.avi" "$work/cut_in_frame.avi"
check "a file that cannot be played is kept as it is" cmp -s "$work/out/DCIM/NOTES.AVI" "$card/NOTES.AVI"
check "and said so" has "$err" "kept as it is"
check "the card is untouched" is "$(cd "$work/card" && find . -type f -exec md5sum {} + | sort)" "$before"
kovra export "$work/out" --from "$work/card" --json
check "second export copies nothing" is "$(json 'd["exported"], d["skipped"]')" "0 7"
# The record vouches for what an export wrote: a second export reads no video, and a target
# changed since (another time) is written again.
check "the record is kept in DEST" test -s "$work/out/.kovra-export"
touch -d '2001-01-01' "$work/out/DCIM/cut_in_frame.avi"
kovra export "$work/out" --from "$work/card" --json
check "a changed target is exported again" is "$(json 'd["exported"], d["skipped"]')" "1 6"
# Without the record, a plain copy of a card's file (same size and time, still "MARS") is no
# export of it.
rm "$work/out/.kovra-export"
cp -p "$card/sound.avi" "$work/out/DCIM/sound.avi"
kovra export "$work/out" --from "$work/card"
check "a plain copy is exported over" cmp -s "$work/out/DCIM/sound.avi" "$work/sound.avi"
# An export stopped half-way: one file missing, a temporary file left.
rm "$work/out/DCIM/zeros_at_end.avi"
printf 'partial' >"$work/out/DCIM/zeros_at_end.avi.kovra-tmp"
printf 'partial' >"$work/out/DCIM/sound.avi.kovra-tmp"
kovra export "$work/out" --from "$work/card" --dry-run
check "dry run writes nothing" is "$(ls "$work/out/DCIM" | grep -c kovra-tmp)|$out" \
  "2|would export DCIM/zeros_at_end.avi (repaired)
1 would be exported (1 repaired), 6 skipped as already there, 1 failed"
kovra export "$work/out" --from "$work/card"
check "the rest is finished" cmp -s "$work/out/DCIM/zeros_at_end.avi" "$work/zeros_at_end.avi"
check "no temporary file is left" is "$(find "$work/out" -name '*.kovra-tmp')" ""

# Export never writes where it reads: into the card, the card itself however spelled, or a
# folder that holds it. Exit 2, nothing written.
ln -s "$work/card" "$work/card-link"
for dest in "$work/card" "$work/card/./" "$work/card-link" "$work/card/DCIM" "$work/card/new" \
  "$work"; do
  kovra export "$dest" --from "$work/card"
  check "export into $dest refused" is \
    "$rc|$(cd "$work/card" && find . -type f -exec md5sum {} + | sort)|$(ls -A "$work/card")" \
    "2|$before|DCIM"
done
# One export at a time into a destination: one that finds it busy says so and writes nothing.
exec 9>"$work/out/.kovra-export.lock"
flock -n 9
rm "$work/out/DCIM/sound.avi"
kovra export "$work/out" --from "$work/card"
check "a busy destination is refused" is "$rc|$(ls "$work/out/DCIM" | grep -c '^sound.avi$')" "1|0"
check "and said so" has "$err" "another export"
exec 9>&-

# Hostile names and files on a card: nothing hangs, loops or reaches the terminal raw.
hostile=$work/hostile
mkdir -p "$hostile/DCIM"
cp "$card/sound.avi" "$hostile/DCIM/"
mkfifo "$hostile/DCIM/pipe.avi"
ln -s . "$hostile/DCIM/loop"
ln -s "$work/card" "$hostile/away"
cp "$card/cut_in_frame.avi" "$hostile/DCIM/$(printf 'esc\033[31m\nred.avi')"
cp "$card/cut_in_frame.avi" "$hostile/DCIM/$(printf 'latin1-\xe9.avi')"
timeout 20 "$program" videos "$hostile" --json >"$work/stdout" 2>"$work/stderr"
rc=$? out=$(cat "$work/stdout") err=$(cat "$work/stderr")
check "videos: no hang, every file once, the FIFO unreadable" is \
  "$rc|$(json 'len(d), sorted(v["state"] for v in d)')" \
  "1|4 ['ok', 'repairable', 'repairable', 'unreadable']"
check "videos --json: a name that is no UTF-8 kept in bytes" is \
  "$(json '[v["pathBytes"] for v in d if "pathBytes" in v]')" "['4443494d2f6c6174696e312de92e617669']"
check "videos: the loop and the link out said" is \
  "$(has "$err" "a folder reached again" && has "$err" "a link out of" && echo said)" said
timeout 20 "$program" videos "$hostile" >"$work/stdout" 2>"$work/stderr"
check "videos: control characters never reach the terminal raw" is \
  "$(grep -c $'\033' "$work/stdout")|$(grep -c 'esc\\x1B\[31m\\x0Ared.avi' "$work/stdout")" "0|1"
timeout 60 "$program" export "$work/hostile-out" --from "$hostile" --json >"$work/stdout" 2>"$work/stderr"
rc=$? out=$(cat "$work/stdout")
check "export: no hang, each video once, valid JSON" is "$rc|$(json 'd["exported"], d["failed"]')" \
  "0|3 0"
check "export: the FIFO named, not exported" is "$(ls "$work/hostile-out/DCIM" | grep -c pipe)" 0
timeout 20 "$program" repair "$hostile/DCIM/pipe.avi" "$work/pipe-out.avi" >/dev/null 2>"$work/stderr"
check "repair of a FIFO: refused at once" is "$?|$(cat "$work/stderr")" \
  "1|kovra-cli: $hostile/DCIM/pipe.avi: not a regular file"
timeout 20 "$program" play --print "$hostile/DCIM/pipe.avi" >/dev/null 2>&1
check "play of a FIFO: refused at once" is "$?" 1

# What sits in DEST at a video's path and is no regular file is refused, named; the rest go on.
# Guards against a FIFO or a device in DEST replaced by the export's file.
mkdir -p "$work/special/DCIM" "$work/special-out/DCIM"
for name in A B C; do cp "$card/sound.avi" "$work/special/DCIM/$name.avi"; done
mkfifo "$work/special-out/DCIM/A.avi"
refused=1
if mknod "$work/special-out/DCIM/B.avi" c 1 3 2>/dev/null; then
  refused=2
else
  echo "SKIP  a device in DEST: mknod is refused to this user (only the FIFO is tried)"
fi
timeout 60 "$program" export "$work/special-out" --from "$work/special" --no-gallery --json \
  >"$work/stdout" 2>"$work/stderr"
rc=$? out=$(cat "$work/stdout") err=$(cat "$work/stderr")
check "export beside a FIFO: refused, named, the rest exported" is \
  "$rc|$(json 'd["exported"], d["failed"]')|$(stat -c %F "$work/special-out/DCIM/A.avi")" \
  "1|$((3 - refused)) $refused|fifo"
check "and the FIFO named with why" has "$err" "$work/special-out/DCIM/A.avi: cannot be written: not a regular file"
[ "$refused" = 1 ] || check "the device in DEST is left as it is" is \
  "$(stat -c %F "$work/special-out/DCIM/B.avi")" "character special file"

finish
