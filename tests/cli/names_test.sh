#!/usr/bin/env bash
# names_test.sh PROGRAM: kovra-cli over a card whose names a hostile user chose: backslashes,
# "..", characters that look like '/'. On POSIX each is a name like any other: every command
# reads only the folders it was given and writes only into DEST or OUT, under the name as it is.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
program=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-names-test.XXXXXX")
run=$(mktemp -d "${TMPDIR:-/tmp}/kovra-names-run.XXXXXX")
trap 'rm -rf "$work" "$run"' EXIT
kovra() {
  "$program" "$@" >"$run/stdout" 2>"$run/stderr" </dev/null
  rc=$?
  out=$(cat "$run/stdout")
  err=$(cat "$run/stderr")
}

# The card, DEST and OUT lie four folders deep; every folder on the way holds victims named as
# a hostile name would reach them: recorder videos ("MARS") other than the card's, so that a
# read of one shows in what is listed or written, and a write to one in its hash. The card holds
# nothing but the hostile names.
inner=$work/a/b/c/d
mkdir -p "$inner/card/DCIM" "$inner/out" "$inner/tmp"
victim=$run/victim.avi
ffmpeg -nostdin -v error -y -f lavfi -i smptebars=size=160x120:rate=15 -t 1 -c:v mjpeg "$victim"
printf 'MARS' | dd of="$victim" bs=1 count=4 conv=notrunc status=none
for dir in "$work" "$work/a" "$work/a/b" "$work/a/b/c" "$inner" "$inner/out"; do
  for name in x.avi b.avi victim.avi; do cp "$victim" "$dir/$name"; done
done
outside() { # every file outside the card and the folders written, with its hash
  (cd "$work" && find . -path ./a/b/c/d/card/DCIM -prune -o -path ./a/b/c/d/dest -prune -o \
    -path ./a/b/c/d/gallery -prune -o -path ./a/b/c/d/out/made -prune -o \
    -path ./a/b/c/d/tmp -prune -o -type f -print0 | sort -z | xargs -0 md5sum)
}

# The card's own recording, as ffmpeg made it ("RIFF"): what every export, repair and copy of
# a hostile name must be.
clip=$run/clip.avi
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=160x120:rate=15 -t 2 -c:v mjpeg -q:v 5 \
  "$clip"
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries \
  stream=nb_read_frames -of csv=p=0 "$clip")

# Each hostile name and the fault it would show.
names=(
  '..\..\..\..\x.avi'            # '\' read as '/': out of the card and DEST, four folders up
  '..\..\..\..\..\..\victim.avi' # up to the scratch folder itself
  'a\b.avi'                      # '\' read as '/': a folder the card does not have
  '..\b.avi'                     # one folder up from DCIM, to the card's own root
  '..∕..∕x.avi'                  # U+2215 DIVISION SLASH, only a look-alike of '/'
  '..／..／x.avi'                # U+FF0F FULLWIDTH SOLIDUS, only a look-alike
  '..⁄x.avi'                     # U+2044 FRACTION SLASH, only a look-alike
)
for name in "${names[@]}"; do
  cp "$clip" "$inner/card/DCIM/$name"
  printf 'MARS' | dd of="$inner/card/DCIM/$name" bs=1 count=4 conv=notrunc status=none
  touch -d '2007-10-16 08:16:47' "$inner/card/DCIM/$name"
done
before=$(outside)

kovra videos "$inner/card" --json
listed=$(json "'\n'.join(v['path'] + ' ' + v['state'] + ' ' + str(v['frames']) for v in d)" |
  LC_ALL=C sort)
expected=$(for name in "${names[@]}"; do echo "DCIM/$name ok $frames"; done | LC_ALL=C sort)
check "videos lists each name as it is, read from the card" is "$listed" "$expected"

kovra export "$inner/dest" --from "$inner/card" --no-gallery --json
check "export writes every video" is "$rc|$(json 'd["exported"], d["failed"]')" \
  "0|${#names[@]} 0"
for name in "${names[@]}"; do
  check "export of $name lands in DEST under its name" cmp -s "$inner/dest/DCIM/$name" "$clip"
done

kovra gallery --from "$inner/card" "$inner/gallery"
check "gallery of the card's own videos" is "$rc|$(has "$out" \
  "(${#names[@]} videos, ${#names[@]} read" && echo all)" "0|all"

mkdir -p "$inner/out/made"
for name in "${names[@]}"; do
  kovra repair "$inner/card/DCIM/$name" "$inner/out/made/$name"
  check "repair of $name writes OUT as named" is "$rc|$(cmp -s "$inner/out/made/$name" "$clip" &&
    echo same)" "0|same"
  TMPDIR=$inner/tmp kovra play --print --json "$inner/card/DCIM/$name"
  check "play --print $name: the copy in the temporary folder, under its name" is \
    "$rc|$(json 'd["copy"]')|$(cmp -s "$inner/tmp/~mr$name" "$clip" && echo same)" \
    "0|$inner/tmp/~mr$name|same"
done
kovra clip "$inner/out/made/clip.avi" --from "$inner/card" --around "2007-10-16 08:16:46" \
  --before 1 --after 0 --json
from_card="all(s['path'].startswith('$inner/card/DCIM/') for s in d['sources'])"
check "clip --from reads the card's own videos" is "$rc|$(json "d['frames'], $from_card")" \
  "0|15 True"

check "nothing outside the folders given was changed or added" is "$(outside)" "$before"

# A card folder whose own name holds a '\' is a folder like any other.
odd=$inner/'card\one'
mkdir -p "$odd/DCIM"
cp "$inner/card/DCIM/a\\b.avi" "$odd/DCIM/MOV0001.avi"
kovra --card "$odd" videos --json
check "--card with '\\' in its name" is "$rc|$(json '[v["path"] for v in d]')" \
  "0|['DCIM/MOV0001.avi']"

# A folder whose name is not UTF-8: each --json document names it as UTF-8 with its raw bytes
# beside it, and the work done is reported as done.
raw=$inner/$(printf 'card\xff')
mkdir -p "$raw"
kovra clock set --output "$raw/TIME.txt" --json
check "clock set --json into a folder not named in UTF-8" is \
  "$rc|$(json 'd["path"].endswith("card\ufffd/TIME.txt"), d["pathBytes"][-20:]')" \
  "0|True ff2f54494d452e747874"
kovra --card "$raw" card --json
check "card --json of a folder not named in UTF-8" is "$rc|$(json 'd["rootBytes"][-10:]')" \
  "0|63617264ff"

finish
