#!/usr/bin/env bash
# clip_test.sh PROGRAM: kovra-cli clip and join on recordings made by ffmpeg as the recorder
# makes them: three consecutive "MARS" videos whose file times follow one another, the last cut
# by a power cut. Every frame of a clip must be the source's, byte for byte (ffmpeg's framemd5
# of the streams copied), and its sound the source's samples, cut at the sample.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
program=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-clip-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The card's times are the recorder's local times; the test reads them in one zone of its own.
export TZ=UTC
card=$work/card/DCIM
mkdir -p "$card" "$work/riff"

# record NAME SIZE RATE SOURCE FREQUENCY SECONDS ENDS: a "MARS" recording of a test pattern and
# a tone, its file time when it ended, and a "RIFF" twin for ffmpeg, which refuses "MARS".
record() {
  ffmpeg -nostdin -v error -y -f lavfi -i "$4=size=$2:rate=$3" -f lavfi \
    -i "sine=frequency=$5:sample_rate=8000" -t "$6" -c:v mjpeg -q:v 5 -c:a pcm_s16le -ac 1 \
    "$work/riff/$1.avi"
  cp "$work/riff/$1.avi" "$card/$1.avi"
  printf 'MARS' | dd of="$card/$1.avi" bs=1 count=4 conv=notrunc status=none
  touch -d "$7" "$card/$1.avi" "$work/riff/$1.avi"
}
# Three loop recordings of 10 s at 15 fps, 14:02:00 to 14:02:30; the third cut at 60 % by a
# power cut, its file time when the power went.
record MOV0001 320x240 15 testsrc 440 10 "2007-10-16 14:02:10"
record MOV0002 320x240 15 testsrc2 660 10 "2007-10-16 14:02:20"
record MOV0003 320x240 15 smptebars 880 10 "2007-10-16 14:02:30"
size=$(stat -c %s "$card/MOV0003.avi")
truncate -s $((size * 3 / 5)) "$card/MOV0003.avi"
kovra videos "$work/card" --json
frames3=$(json '[v["frames"] for v in d if v["path"].endswith("MOV0003.avi")][0]')
# Its file time when the power went: the whole seconds after 14:02:20 its frames reach into.
touch -d "@$(($(date -d '2007-10-16 14:02:20' +%s) + (frames3 + 14) / 15))" "$card/MOV0003.avi"
kovra repair "$card/MOV0003.avi" "$work/riff/MOV0003.avi" --force

# The frames' checksums of a file's video, one a line, as ffmpeg copies them out.
frames_of() { ffmpeg -nostdin -v error -i "$1" -map 0:v -c copy -f framemd5 - | grep -v '^#' |
  awk -F, '{print $NF}'; }
# The sound's samples, as raw 16-bit bytes.
sound_of() { ffmpeg -nostdin -v error -i "$1" -map 0:a -f s16le -; }
for n in 1 2 3; do
  frames_of "$work/riff/MOV000$n.avi" >"$work/frames$n"
  sound_of "$work/riff/MOV000$n.avi" >"$work/sound$n"
done

# The times each recording got: IDIT-less, so from its file time.
kovra videos "$work/card" --json --sort time
check "recording times from the file times" is \
  "$(json '[(v["recordedStart"], v["timeSource"]) for v in d][:2], d[2]["timeSource"]')" \
  "[('2007-10-16T14:02:00.000', 'file time'), ('2007-10-16T14:02:10.000', 'file time')] file time"

# 14:02:07 to 14:02:13: frames 105 to 149 of the first, 0 to 44 of the second, and the sound
# from 7 s into the first to 3 s into the second, cut at the sample.
kovra clip "$work/clip.avi" --from "$work/card" --start "2007-10-16 14:02:07" \
  --end "2007-10-16 14:02:13" --json
check "clip across the first boundary" is "$rc|$(json 'd["frames"], d["start"], d["end"]')" \
  "0|90 2007-10-16T14:02:07.000 2007-10-16T14:02:13.000"
check "each source's first and last frame" is \
  "$(json '[(s["firstFrame"], s["lastFrame"]) for s in d["sources"]]')" "[(105, 149), (0, 44)]"
{ sed -n '106,150p' "$work/frames1"; sed -n '1,45p' "$work/frames2"; } >"$work/expected.frames"
check "every frame is the source's, byte for byte" is "$(frames_of "$work/clip.avi")" \
  "$(cat "$work/expected.frames")"
{ tail -c +$((56000 * 2 + 1)) "$work/sound1"; head -c $((24000 * 2)) "$work/sound2"; } \
  >"$work/expected.sound"
sound_of "$work/clip.avi" >"$work/clip.sound"
check "the sound is the sources' samples, cut at the sample" is \
  "$(stat -c %s "$work/clip.sound")|$(cmp -s "$work/clip.sound" "$work/expected.sound" && echo same)" \
  "$(stat -c %s "$work/expected.sound")|same"
check "ffmpeg reads the clip with no error" is \
  "$(ffmpeg -nostdin -v error -i "$work/clip.avi" -f null - 2>&1)" ""

# Into the recording a power cut ended: only its whole frames; a moment around a time, with an
# offset for a recorder whose clock ran an hour late.
kovra clip "$work/around.avi" --from "$work/card" --around "2007-10-16 15:02:21" --before 2 \
  --after 60 --clock-offset +1:00:00 --json
check "around a true time, to the end of the cut recording" is \
  "$rc|$(json '[(s["firstFrame"], s["lastFrame"]) for s in d["sources"]]')" \
  "0|[(135, 149), (0, $((frames3 - 1)))]"
check "its start in true time" is "$(json 'd["start"]')" "2007-10-16T15:02:19.000"

# One video, the range as offsets into it.
kovra clip "$work/part.avi" "$card/MOV0002.avi" --start 0:02.5 --end 4 --json
# Frames 38 (2.533 s) to 59 (3.933 s): those that start in [2.5 s, 4 s).
check "offsets into one video" is "$rc|$(json 'd["frames"], d["sources"][0]["firstFrame"]')" \
  "0|22 38"
check "its frames" is "$(frames_of "$work/part.avi")" "$(sed -n '39,60p' "$work/frames2")"

# Join: every frame of each, in the order given; the cut one's whole frames only.
kovra join "$work/joined.avi" "$card/MOV0001.avi" "$card/MOV0002.avi" "$card/MOV0003.avi" --json
check "join" is "$rc|$(json 'd["frames"]')" "0|$((300 + frames3))"
check "join: every frame, in order" is "$(frames_of "$work/joined.avi")" \
  "$(cat "$work/frames1" "$work/frames2" "$work/frames3")"
check "join: every sample" cmp -s <(sound_of "$work/joined.avi") \
  <(cat "$work/sound1" "$work/sound2" "$work/sound3")
check "ffmpeg reads the join with no error" is \
  "$(ffmpeg -nostdin -v error -i "$work/joined.avi" -f null - 2>&1)" ""

# A gap between two recordings stays a gap, and is said.
mkdir -p "$work/gap"
cp -p "$card/MOV0001.avi" "$card/MOV0003.avi" "$work/gap/"
kovra clip "$work/gap.avi" --from "$work/gap" --start "2007-10-16 14:02:09" \
  --end "2007-10-16 14:02:21"
check "a gap is said with its length" is "$rc|$(has "$err" "a gap of 10" && echo said)" "0|said"

# Refusals: nothing written.
before=$(cd "$work/card" && find . -type f -exec md5sum {} + | sort)
while IFS='|' read -r label args expected; do
  rm -f "$work/refused.avi"
  eval "kovra clip \"$work/refused.avi\" $args"
  check "refused: $label" is "$rc|$(ls "$work/refused.avi" 2>/dev/null)" "$expected|"
done <<CASES
no video holds the range|--from "$work/card" --start "2007-10-16 15:00:00" --end "2007-10-16 15:01:00"|2
the end before the start|--from "$work/card" --start "2007-10-16 14:02:10" --end "2007-10-16 14:02:05"|2
neither range nor moment|--from "$work/card"|2
a WHEN that is no time|--from "$work/card" --start "yesterday" --end "today"|2
CASES
kovra clip "$card/MOV0001.avi" "$card/MOV0001.avi" --start 1 --end 2 --force
check "OUT over its own source refused, --force or not" is "$rc" 2
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=640x480:rate=15 -t 2 -c:v mjpeg \
  "$work/wide.avi"
kovra join "$work/refused.avi" "$card/MOV0001.avi" "$work/wide.avi"
check "a change of format refused, naming both files" is \
  "$rc|$(has "$err" "wide.avi: not one format with $card/MOV0001.avi" && echo named)|$(ls "$work/refused.avi" 2>/dev/null)" \
  "1|named|"
# A clip is begun from the recording the range starts in while the next is read; refused at
# the next, it leaves nothing beside OUT.
mkdir -p "$work/mixed" "$work/out"
cp -p "$card/MOV0001.avi" "$work/mixed/"
cp "$work/wide.avi" "$work/mixed/MOV0002.avi"
touch -d "2007-10-16 14:02:12" "$work/mixed/MOV0002.avi"
kovra clip "$work/out/refused.avi" --from "$work/mixed" --start "2007-10-16 14:02:05" \
  --end "2007-10-16 14:02:11"
check "a clip refused at its second recording leaves nothing beside OUT" is \
  "$rc|$(has "$err" "MOV0002.avi: not one format with" && echo named)|$(ls -A "$work/out")" \
  "1|named|"
check "the card is untouched" is "$(cd "$work/card" && find . -type f -exec md5sum {} + | sort)" \
  "$before"

# A recording that cannot be read fails a clip of a range it may hold, said as the system says
# it; which ranges it may hold, broken headers and IDIT times in other time zones are the clip
# job's, tested in-process (tests/clips/clip_job_test.cpp).
mkdir -p "$work/folder/MOV0002.avi" "$work/fifo"
cp -p "$card/MOV0001.avi" "$card/MOV0003.avi" "$work/fifo/"
mkfifo "$work/fifo/MOV0002.avi"
holes="$card/MOV0001.avi $work/folder/MOV0002.avi $card/MOV0003.avi"
while IFS='|' read -r label args expected said; do
  rm -f "$work/holed.avi"
  eval "kovra clip \"$work/holed.avi\" $args"
  check "$label" is "$rc|$(has "$err" "$said" && echo said)|$(ls "$work/holed.avi" 2>/dev/null)" \
    "$expected|said|$([ "$expected" = 0 ] && echo "$work/holed.avi")"
done <<CASES
an unreadable middle recording fails the clip|$holes --start "2007-10-16 14:02:07" --end "2007-10-16 14:02:13"|1|MOV0002.avi: cannot be read: 
a FIFO among the recordings fails the clip|--from "$work/fifo" --start "2007-10-16 14:02:07" --end "2007-10-16 14:02:13"|1|MOV0002.avi: not a file
CASES

# Usage errors, OUT on the card, and what was covered said.
touch "$work/plain"
while IFS='|' read -r label args expected said; do
  rm -f "$work/used.avi"
  eval "kovra $args"
  check "$label" is "$rc|$(has "$err" "$said" && echo said)" "$expected|said"
done <<CASES
--from with VIDEO|clip "$work/used.avi" "$card/MOV0001.avi" --from "$work/card" --start 1 --end 2|2|give one of them
--from a missing folder|clip "$work/used.avi" --from "$work/none" --start "2007-10-16 14:02:01" --end "2007-10-16 14:02:05"|2|no such folder
--from a file|clip "$work/used.avi" --from "$work/plain" --start "2007-10-16 14:02:01" --end "2007-10-16 14:02:05"|2|a file, not a folder
clip OUT on the card|clip "$card/clip.avi" --from "$work/card" --start "2007-10-16 14:02:01" --end "2007-10-16 14:02:05"|2|folder outside it
join OUT on the card|--card "$work/card" join "$card/join.avi" "$card/MOV0001.avi" "$card/MOV0002.avi"|2|folder outside it
a range past the recordings|clip "$work/used.avi" --from "$work/card" --start "2007-10-16 14:02:25" --end "2007-10-16 14:03:00"|0|the clip covers 2007-10-16 14:02:25 to 2007-10-16 14:02:
a join out of time order|join "$work/used.avi" "$card/MOV0002.avi" "$card/MOV0001.avi"|0|not in time order
CASES
kovra join "$work/used.avi" "$card/MOV0002.avi" "$card/MOV0001.avi" --force --json
check "a join out of time order says no start or end" is "$(json 'd["start"], d["end"]')" \
  "None None"

# A killed writer's temporary file goes with the next write of its target; a running one's stays.
sh -c 'exit 0' &
ended=$!
wait "$ended"
touch "$work/out/j.avi.$ended.kovra-tmp" "$work/out/j.avi.$$.kovra-tmp"
kovra join "$work/out/j.avi" "$card/MOV0001.avi"
check "an ended writer's temporary file removed, a running one's kept" is \
  "$rc|$(cd "$work/out" && ls -A)" "0|j.avi
j.avi.$$.kovra-tmp"


# A file made at OUT while a repair without --force writes is kept, and the repair fails naming
# it, where the finished repair once replaced it. The run is held once its temporary file shows,
# after the check found OUT free: its source ends in 256 MiB of zeros, which the repair scans.
slow=$work/slow.avi
cp "$card/MOV0001.avi" "$slow"
truncate -s 256M "$slow"
taken=$work/taken.avi
"$program" repair "$slow" "$taken" >"$work/stdout" 2>"$work/stderr" </dev/null &
writer=$!
for _ in $(seq 1000); do
  compgen -G "$taken.*.kovra-tmp" >/dev/null && break
  sleep 0.01
done
kill -STOP "$writer"
printf 'mine' >"$taken"
kill -CONT "$writer"
wait "$writer"
rc=$? err=$(cat "$work/stderr")
check "OUT made while the repair wrote is kept, no temporary file left" is \
  "$rc|$(cat "$taken")|$(compgen -G "$taken.*" | wc -l)" "1|mine|0"
check "OUT made while the repair wrote is named" has "$err" \
  "taken.avi: cannot be written: already exists"
rm -f "$slow"

finish
