#!/usr/bin/env bash
# watch_test.sh PROGRAM: kovra-cli watch run as a process against a system root of its own:
# the test mounts and unmounts media by rewriting that root's mount table, as the kernel's
# changes when a card goes in or out, and reads what the watcher did to the card and to DEST.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
program=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-watch-test.XXXXXX")
watcher=""
trap '[ -n "$watcher" ] && kill -KILL "$watcher" 2>/dev/null; rm -rf "$work"' EXIT

system=$work/system
table=$system/proc/self/mountinfo
mkdir -p "$system/proc/self"
: >"$table"
config="01 01 14 00 0A 00 1E 00 28 00 03"
# A block device in the fixture's sysfs: an SD card reader's, or a removable USB disk's.
sd_device() { # sd_device N
  mkdir -p "$system/sys/block/mmcblk$1/mmcblk$1p1" "$system/sys/block/mmcblk$1/device"
  echo SD >"$system/sys/block/mmcblk$1/device/type"
  echo 0 >"$system/sys/block/mmcblk$1/removable"
}
usb_device() { # usb_device NAME
  mkdir -p "$system/sys/block/$1/${1}1"
  echo 1 >"$system/sys/block/$1/removable"
}
# The mount table holds exactly the mounts given, "DEVICE FOLDER" each; moved into place in
# one step, as a reader would see the kernel's.
mounts() {
  local line id=30
  : >"$table.new"
  for line in "$@"; do
    printf '%d 1 179:1 / %s rw - vfat %s rw\n' $id "${line#* }" "${line%% *}" >>"$table.new"
    id=$((id + 1))
  done
  mv "$table.new" "$table"
}
bytes() { printf "$(printf '\\x%s' $1)"; }
make_card() { # make_card FOLDER: CONFIG.SYS and one recording the recorder signed "MARS"
  mkdir -p "$1/DCIM"
  bytes "$config" >"$1/CONFIG.SYS"
  cp "$clip" "$1/DCIM/$2"
  printf 'MARS' | dd of="$1/DCIM/$2" bs=1 count=4 conv=notrunc status=none
}
# A notify-send of the test's own on PATH, which notes what it was asked to show.
mkdir -p "$work/bin"
printf '#!/bin/sh\nprintf "%%s|" "$@" >>"%s"\necho >>"%s"\n' "$work/notified" "$work/notified" \
  >"$work/bin/notify-send"
chmod +x "$work/bin/notify-send"
# start ARGS...: the watcher in the background, its words in watch.out and watch.err.
start() {
  PATH=$work/bin:$PATH "$program" --system-root "$system" watch "$@" >"$work/watch.out" \
    2>"$work/watch.err" &
  watcher=$!
  wait_for "watching for"
}
# wait_for TEXT [SECONDS [STREAM]]: until the watcher's stdout (or watch.err) holds TEXT;
# false after the time.
wait_for() {
  local tries=$((${2:-20} * 20))
  while [ $tries -gt 0 ]; do
    grep -qF -- "$1" "$work/watch.${3:-out}" 2>/dev/null && return 0
    sleep 0.05
    tries=$((tries - 1))
  done
  return 1
}
count() { grep -cF -- "$1" "$work/watch.out"; }
# stop: SIGTERM; sets rc, out, err.
stop() {
  kill -TERM "$watcher"
  wait "$watcher"
  rc=$?
  watcher=""
  out=$(cat "$work/watch.out")
  err=$(cat "$work/watch.err")
}
temporaries() { find "$1" -name "${2:-*}.kovra-tmp" | wc -l; }
# wait_for_temporary FOLDER: until the large video is being written there.
wait_for_temporary() {
  local tries=400
  while [ $tries -gt 0 ]; do
    [ "$(temporaries "$1" 'LARGE.AVI.*' 2>/dev/null)" -gt 0 ] && return 0
    sleep 0.01
    tries=$((tries - 1))
  done
  return 1
}

# A short recording, and one large enough (some 300 MB) that a test can act while it is
# being copied: one noisy second of MJPEG, repeated without encoding it again.
clip=$work/clip.avi
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=15 -t 2 -c:v mjpeg "$clip"
ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=1280x720:rate=30,noise=alls=80:allf=t" \
  -t 1 -c:v mjpeg -q:v 2 "$work/noisy.avi"
ffmpeg -nostdin -v error -y -stream_loop 11 -i "$work/noisy.avi" -c copy "$work/large.avi"
rm "$work/noisy.avi"
sd_device 0
sd_device 1
usb_device sdb

# --- a card mounted while it runs: handled once, in order
make_card "$work/card" A.AVI
start --set-clock --export "$work/out"
mounts "/dev/mmcblk0p1 $work/card"
wait_for "may be taken out"
before=$(date +%s)
# Another mount table change that leaves the card where it is: nothing to do again.
mounts "/dev/mmcblk0p1 $work/card"
sleep 0.5
stop
written=$("$program" clock show "$work/card/TIME.txt")
clock=$(( $(date -d "$written" +%s) - before ))
# A clock written late, from another time zone, or not at all.
check "the clock is the PC's within 2 s" test "${clock#-}" -le 2
# A video left on the card: the near miss the loop recording overwrites next.
check "the video exported" is "$(head -c4 "$work/out/DCIM/A.AVI")" RIFF
check "the steps in order" is "$(grep -o 'wrote\|exported DCIM\|flushed\|may be taken out' \
  <<<"$out" | tr '\n' '|')" "wrote|exported DCIM|flushed|may be taken out|"
# A card handled again at every change of the mount table.
check "handled once" is "$(grep -c ": the recorder's card$" <<<"$out")" 1
check "SIGTERM while idle exits 0" is "$rc|$err" "0|"
# No desktop notification, or one that is not the word to take the card out.
check "notified once: take it out" is "$(grep -c 'may be taken out' "$work/notified")" 1
check "each line has the time" is "$(grep -cvE '^[0-9]{2}:[0-9]{2}:[0-9]{2} ' <<<"$out")" 0

# --- a card already in when it starts: handled at once; --once ends with the export's code
bytes "$config" >"$work/card/CONFIG.SYS"
mounts "/dev/mmcblk0p1 $work/card"
"$program" --system-root "$system" watch --export "$work/out" --once >"$work/once.out" 2>&1
rc=$?
check "a card already in is handled; --once exits 0" is "$rc|$(grep -c 'may be taken out' \
  "$work/once.out")|$(grep -c 'skipped as already there' "$work/once.out")" "0|1|1"
printf 'not a video' >"$work/card/DCIM/B.AVI"
"$program" --system-root "$system" watch --export "$work/out" --once >"$work/once.out" 2>&1
# A failed video hidden behind the watcher's own success.
check "--once gives the export's exit code" is "$?" 1
check "the video not saved is said at the end" has "$(grep ': not done: ' "$work/once.out")" \
  "not done: 1 video not saved ($work/card/DCIM/B.AVI: cannot be made playable"
rm "$work/card/DCIM/B.AVI"

# --- something not saved: never "done" in the line or the notification, but what and why
printf 'x' >"$work/a-file"
rm "$work/card/TIME.txt" && mkdir "$work/card/TIME.txt"
record=$work/out/kovra-gallery/.kovra-gallery
rm "$record" && mkdir "$record"
while IFS='|' read -r fault option value words; do
  : >"$work/notified"
  PATH=$work/bin:$PATH "$program" --system-root "$system" watch $option $value --once \
    >"$work/once.out" 2>&1
  check "$fault: --once fails, never \"done\"" is "$(($? != 0))|$(cat "$work/once.out" \
    "$work/notified" | grep -c ': done\|Done\.')" "1|0"
  check "$fault: the line and the notification say why" is \
    "$(cat "$work/once.out" "$work/notified" | grep -Fic "not done: $words")" 2
done <<EOF
DEST below a file|--export|$work/a-file/out|nothing exported ($work/a-file/out: cannot be written: not a folder (a file stands where the path needs a folder) (Not a directory, errno 20)
DEST on the card|--export|$work/card/copy|nothing exported ($work/card/copy: inside $work/card
the clock not set|--set-clock||the clock not set ($work/card/TIME.txt: cannot write: is a folder
the gallery's record not saved|--export|$work/out|the gallery not written whole ($record: cannot be written (the next gallery reads every video again): is a folder
EOF
rmdir "$work/card/TIME.txt" "$record"
mounts

# --- a CONFIG.SYS that is a link to the card's: not the recorder's card
mkdir -p "$work/linked"
ln -s "$work/card/CONFIG.SYS" "$work/linked/CONFIG.SYS"
start --set-clock
mounts "/dev/sdb1 $work/linked"
wait_for "left alone"
stop
mounts
# The link taken for the card: its medium written to and its clock set.
check "a linked CONFIG.SYS is left alone" is \
  "$(grep -c ": the recorder's card$" <<<"$out")|$(ls "$work/linked")" "0|CONFIG.SYS"

# --- a USB stick without CONFIG.SYS: named once, never written
mkdir -p "$work/stick/DCIM"
cp "$clip" "$work/stick/DCIM/HOLIDAY.AVI"
printf 'notes' >"$work/stick/notes.txt"
stick_before=$(cd "$work/stick" && find . -type f -exec md5sum {} + | sort)
start --set-clock --export "$work/stick-out"
mounts "/dev/sdb1 $work/stick"
wait_for "left alone"
mounts "/dev/sdb1 $work/stick"
sleep 0.5
stop
stick_after=$(cd "$work/stick" && find . -type f -exec md5sum {} + | sort)
# A TIME.txt on someone's stick, or their files touched.
check "the stick's bytes are as they were" is "$stick_after" "$stick_before"
check "nothing exported from the stick" test ! -e "$work/stick-out"
check "the stick named once" is "$(count "left alone")|$(count "/dev/sdb1 at $work/stick")" "1|1"

# --- two cards one after the other, into a folder whose parents are not there yet (a
# service's ~/Videos/kovra where ~/Videos was never made)
make_card "$work/card1" ONE.AVI
make_card "$work/card2" TWO.AVI
start --set-clock --export "$work/home/Videos/kovra"
mounts "/dev/mmcblk0p1 $work/card1"
wait_for "mmcblk0p1 at $work/card1: done"
mounts
sleep 0.2
mounts "/dev/mmcblk1p1 $work/card2"
wait_for "mmcblk1p1 at $work/card2: done"
stop
mounts
# The second card missed because the first one's was the last change seen.
check "both cards handled" is "$(ls "$work/home/Videos/kovra/DCIM" | tr '\n' ' ')|$(ls "$work/card1" "$work/card2" | grep -c TIME.txt)" "ONE.AVI TWO.AVI |2"

# --- the card pulled out in the middle of an export. Simulated: once the copy's temporary
# file is there, the card's line leaves the mount table, its folder is moved away and the
# video being read is cut to nothing, so that its reads fail as a pulled card's do.
# The copy of 300 MB may still end before the pull lands, on a busy machine above all: then
# nothing failed to be read, and the scenario is made again, up to three times.
pulled=""
for attempt in 1 2 3; do
  rm -rf "$work/out" "$work/card" "$work/card.out"
  make_card "$work/card" A.AVI
  cp "$work/large.avi" "$work/card/DCIM/LARGE.AVI"
  printf 'MARS' | dd of="$work/card/DCIM/LARGE.AVI" bs=1 count=4 conv=notrunc status=none
  cp "$work/card/DCIM/LARGE.AVI" "$work/large.mars"
  start --export "$work/out"
  mounts "/dev/mmcblk0p1 $work/card"
  if ! wait_for_temporary "$work/out"; then
    stop
    mounts
    break
  fi
  mounts
  mv "$work/card" "$work/card.out"
  truncate -s 0 "$work/card.out/DCIM/LARGE.AVI"
  wait_for "taken out too soon" 20 err
  if [ "$(count "exported DCIM/LARGE.AVI")" -eq 0 ]; then
    pulled=yes
    break
  fi
  stop
  echo "note  the pull came after the large copy had been read (attempt $attempt); again"
done
if [ -n "$pulled" ]; then
  check "the pull: no temporary file left" is "$(temporaries "$work/out")" 0
  check "the pull: what was not saved is said" has "$(cat "$work/watch.err")" "taken out too soon"
  check "the pull: the file is named" has "$(cat "$work/watch.err")" "LARGE.AVI"
  check "the pull: no word to take it out" is "$(count "may be taken out")" 0
  # Put in again, whole: the export finishes.
  mv "$work/card.out" "$work/card"
  cp "$work/large.mars" "$work/card/DCIM/LARGE.AVI"
  mounts "/dev/mmcblk0p1 $work/card"
  wait_for "may be taken out" 30
  stop
  check "the next insertion finishes the export" is "$(stat -c %s "$work/out/DCIM/LARGE.AVI" \
    2>/dev/null)|$(head -c4 "$work/out/DCIM/LARGE.AVI")" "$(stat -c %s "$work/large.mars")|RIFF"
  check "the next insertion: nothing else copied again" has "$out" "1 exported (0 repaired), 1 skipped"
else
  [ -d "$work/card.out" ] && mv "$work/card.out" "$work/card"
  check "the pull: the copy was caught in progress" false
fi

# --- SIGTERM in the middle of a copy: stops cleanly
rm -rf "$work/out"
start --export "$work/out"
mounts
mounts "/dev/mmcblk0p1 $work/card"
if wait_for_temporary "$work/out"; then
  stop
  check "SIGTERM during a copy exits 0" is "$rc" 0
  check "SIGTERM during a copy: no temporary file" is "$(temporaries "$work/out")" 0
  check "SIGTERM during a copy: said" has "$out" "stopped"
else
  stop
  check "SIGTERM: the copy was caught in progress" false
fi

# --- waiting costs nothing: processor time while idle for 10 seconds
mounts
start --set-clock --export "$work/out"
ticks() { awk '{ print $14 + $15 }' "/proc/$watcher/stat"; }
first=$(ticks)
sleep 10
last=$(ticks)
idle_ms=$(((last - first) * 1000 / $(getconf CLK_TCK)))
stop
echo "idle processor time over 10 s: $idle_ms ms"
# A busy loop reading the mount table, or a short timeout polled in a loop.
check "idle for 10 s costs under 50 ms of processor time" test "$idle_ms" -lt 50

finish
