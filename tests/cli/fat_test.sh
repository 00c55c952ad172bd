#!/usr/bin/env bash
# fat_test.sh PROGRAM: kovra-cli export onto a FAT file system, as a USB stick or a second card
# holds it: the times it keeps (FAT stores them to 2 seconds, and some drivers drop a time set
# before a rename) let a second export find every file, with and without its record.
# A FAT image mounted with fusefat; exit 77 (skipped, with the reason) where that cannot be.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
program=$1
skip() { echo "kovra skipped $*"; exit 77; }
for tool in mkfs.vfat fusefat fusermount; do
  command -v "$tool" >/dev/null || skip "no $tool here (Debian's dosfstools, fusefat, fuse3)"
done
[ -w /dev/fuse ] || skip "no /dev/fuse to mount a FAT image with"

work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-fat-test.XXXXXX")
fat=$work/fat
cleanup() {
  mountpoint -q "$fat" && fusermount -u "$fat"
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$fat" "$work/card/DCIM"
truncate -s 64M "$work/fat.img"
mkfs.vfat "$work/fat.img" >/dev/null
fusefat -o rw+ "$work/fat.img" "$fat" >/dev/null 2>&1 || skip "fusefat could not mount an image"

# A sound recording and one a power cut ended, both at an odd second, which FAT cannot hold.
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=160x120:rate=15 -f lavfi \
  -i sine=frequency=440:sample_rate=8000 -t 2 -c:v mjpeg -c:a pcm_s16le -ac 1 "$work/clip.avi"
cp "$work/clip.avi" "$work/card/DCIM/MOV0001.avi"
head -c $(($(stat -c %s "$work/clip.avi") * 3 / 5)) "$work/clip.avi" >"$work/card/DCIM/MOV0002.avi"
printf 'MARS' | dd of="$work/card/DCIM/MOV0001.avi" bs=1 count=4 conv=notrunc status=none
touch -d '2007-10-16 08:16:47' "$work/card/DCIM/"*.avi

kovra export "$fat/out" --from "$work/card" --json
check "export onto FAT" is "$rc|$(json 'd["exported"], d["repaired"]')" "0|2 1"
for name in MOV0001 MOV0002; do
  apart=$(($(stat -c %Y "$fat/out/DCIM/$name.avi") - $(stat -c %Y "$work/card/DCIM/$name.avi")))
  check "$name keeps its time to FAT's 2 seconds" test "${apart#-}" -le 2
done
kovra export "$fat/out" --from "$work/card" --json
check "second export: the record knows both" is "$rc|$(json 'd["skipped"]')" "0|2"
rm "$fat/out/.kovra-export"
kovra export "$fat/out" --from "$work/card" --json
check "without the record: told by size, time and RIFF" is "$rc|$(json 'd["skipped"]')" "0|2"
check "no temporary file left" is "$(ls -A "$fat/out/DCIM")" "MOV0001.avi
MOV0002.avi"

finish
