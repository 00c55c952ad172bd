#!/usr/bin/env bash
# demo-card.sh DIR: a card as the recorder leaves it, the same bytes and times on every run: its
# configuration, its clock record and recordings over two days that begin with "MARS", one of
# them cut by a power cut and one that is no video at all. A folder that holds recordings
# already is left as it is.
set -euo pipefail
card=$1
mkdir -p "$card/DCIM"
compgen -G "$card/DCIM/*.avi" >/dev/null && exit 0
[ -f "$card/CONFIG.SYS" ] ||
  printf '\x01\x01\x14\x00\x0a\x00\x1e\x00\x28\x00\x03' >"$card/CONFIG.SYS"
[ -f "$card/TIME.txt" ] || printf '\x20\x07\x10\x16\x08\x00\x00' >"$card/TIME.txt"

# recording NAME SECONDS PATTERN CLOSED-AT: a 320x240 MJPEG recording with 8 kHz sound, signed
# "MARS", whose file time says when the recorder closed it (the zone is this machine's).
recording() {
  local file=$card/DCIM/$1.avi
  ffmpeg -nostdin -loglevel error -y -f lavfi -i "$3=size=320x240:rate=15" -f lavfi \
    -i sine=frequency=440:sample_rate=8000 -t "$2" -c:v mjpeg -q:v 5 -c:a pcm_s16le -ac 1 \
    -fflags +bitexact -flags:v +bitexact "$file"
  printf 'MARS' | dd of="$file" bs=1 count=4 conv=notrunc status=none
  touch -d "$4" "$file"
}
recording MOV0001 2 testsrc '2007-10-16 08:16:47'
recording MOV0002 4 smptebars '2007-10-16 08:41:10'
recording MOV0003 3 testsrc2 '2007-10-16 10:05:30'
recording MOV0004 4 rgbtestsrc '2007-10-17 07:12:00'
# A power cut: the recording ends in the middle of a frame, with no index.
size=$(stat -c %s "$card/DCIM/MOV0003.avi")
truncate -s $((size * 3 / 5)) "$card/DCIM/MOV0003.avi"
touch -d '2007-10-16 10:05:30' "$card/DCIM/MOV0003.avi"
# What a failing card gives back: bytes that are no video.
head -c 4096 /dev/zero | tr '\0' 'k' >"$card/DCIM/MOV0005.avi"
touch -d '2007-10-17 07:20:00' "$card/DCIM/MOV0005.avi"
