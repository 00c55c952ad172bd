#!/usr/bin/env bash
# cli_test.sh MODE PROGRAM VERSION: the built kovra-cli run as a user runs it, every command, with the
# card's bytes checked after each. MODE is native (the card found through a fixture mount
# table) or win32/win64 (kovra-cli.exe under Wine, the card a folder mapped as removable E:).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
mode=$1
program=$2
version=$3
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-cli-test.XXXXXX")
card=$work/card
mkdir -p "$card"
trap 'rm -rf "$work"' EXIT

example="01 01 14 00 0A 00 1E 00 28 00 03"

if [ "$mode" = native ]; then
  # A system whose one removable medium, an SD card, is mounted at the card folder.
  fixture=$work/system
  mkdir -p "$fixture/proc/self" "$fixture/sys/block/mmcblk0/mmcblk0p1" \
    "$fixture/sys/block/mmcblk0/device"
  echo SD >"$fixture/sys/block/mmcblk0/device/type"
  echo 0 >"$fixture/sys/block/mmcblk0/removable"
  printf '30 1 179:1 / %s rw - vfat /dev/mmcblk0p1 rw\n' "$card" >"$fixture/proc/self/mountinfo"
  system_root=$fixture
  on_card() { printf '%s/%s' "$card" "$1"; }
  card_root=$card
  given_card=$card
else
  source "$repo/cmake/wine.sh"
  export KOVRA_WINEPREFIX
  KOVRA_WINEPREFIX=$(default_prefix "$mode")
  export KOVRA_DRIVES="e=floppy:$card"
  on_card() { printf 'E:\\%s' "$1"; }
  card_root='E:\'
  given_card="Z:${card//\//\\}"
fi

# kovra DRIVE-ARGS...: runs the program; sets out, err and rc.
kovra() {
  if [ "$mode" = native ]; then
    "$program" --system-root "$system_root" "$@" >"$work/out" 2>"$work/err"
    rc=$?
  else
    bash "$repo/cmake/wine-run.sh" "$mode" "$program" "$@" >"$work/out" 2>"$work/err"
    rc=$?
    # A Wine server ends once the last run's processes have; a run that connects just as it
    # ends is dropped ("wine client error") before the program starts. It is run again.
    if [ $rc -ne 0 ] && grep -q '^wine client error' "$work/err"; then
      bash "$repo/cmake/wine-run.sh" "$mode" "$program" "$@" >"$work/out" 2>"$work/err"
      rc=$?
    fi
  fi
  out=$(tr -d '\r' <"$work/out")
  err=$(tr -d '\r' <"$work/err")
}

hex() { od -An -v -tx1 "$1" 2>/dev/null | tr -s ' \n' '  ' | sed 's/^ //; s/ $//' | tr a-f A-F; }
put() { printf "$(printf '\\x%s' $2)" >"$card/$1"; }


# --- the program itself
kovra --version
check "version" is "$out" "$version"
kovra --help
check "help lists the commands" has "$out" "config"
kovra config set --help
check "command help" has "$out" "--max-cycle"
kovra frobnicate
check "unknown command is a usage error, named" is "$rc|$err" \
  "2|kovra-cli: unknown command 'frobnicate' (kovra-cli --help lists them)"
# An empty path names no file: never the card's by default, never a card found instead.
put CONFIG.SYS "$example"
for args in '--card "" config show' 'config set --max-cycle 1 --output ""' \
  'clock set --output ""' 'videos ""'; do
  eval "kovra $args"
  check "empty path refused: $args" is "$rc|$(hex "$card/CONFIG.SYS")|$(ls "$card")" \
    "2|$example|CONFIG.SYS"
done
kovra config
check "config without a command is a usage error" is "$rc" 2

# --- finding the card
kovra card --json
check "card found without --card" is "$(json 'd["root"]')|$(json 'd["removable"]')" "$card_root|True"
check "card --json: how it was found, named" is "$(json 'd["foundBy"]')" removableMedia

# --- the configuration
put CONFIG.SYS "$example"
kovra config show
check "show in the window's words" has "$out" "VGA 6.375FPS"
check "show: frame rate" has "$out" "13.3FPS"
check "show: sensitivity" has "$out" "1.00"
put CONFIG.SYS "07 01 14 00 0A 00 1E 00 28 00 09"
kovra config show
check "a stored value outside its choices shows as unknown" has "$out" "unknown (7)"
check "an unknown frame rate shows its number" has "$out" "unknown (9)"
put CONFIG.SYS "$example"
kovra config show --json
# The stored indices keep their keys; beside each, the choice it means ("overwrite": 1 is No).
check "show --json" is "$(json 'd["triggerResolution"], d["frameRate"], d["maxGsensorFiles"],
  d["sensitivity"], d["triggerResolutionText"], d["frameRateText"], d["loopResolutionText"],
  d["overwrite"], d["overwriteText"], len(d)')" "1 3 10 1.00 VGA 13.3FPS VGA 6.375FPS 1 No 13"

# Each change starts from the card's record; the last one writes the example from defaults.
while IFS='|' read -r label args expected; do
  put CONFIG.SYS "$example"
  eval "kovra config set $args"
  check "set $label: exit" is "$rc" 0
  check "set $label: bytes" is "$(hex "$card/CONFIG.SYS")" "$expected"
  check "set $label: no temporary file" is "$(ls "$card")" "CONFIG.SYS"
done <<'CASES'
one count|--max-cycle 7|01 01 14 00 0A 00 1E 00 07 00 03
QVGA and 30, any case|--trigger-resolution QVGA --frame-rate 30fps|00 01 14 00 0A 00 1E 00 28 00 00
sensitivity ends|--sensitivity 0.1 --overwrite YES|01 01 02 00 0A 00 1E 00 28 01 03
example from defaults|--defaults --trigger-resolution vga --frame-rate 13.3 --loop-resolution vga --sensitivity 1.00 --max-gsensor 10 --max-manual 30 --max-cycle 40 --overwrite no|01 01 14 00 0A 00 1E 00 28 00 03
CASES

# VGA chosen while the card records at 30FPS: 15FPS, said on stderr.
put CONFIG.SYS "00 00 08 00 14 00 14 00 14 01 00"
kovra config set --trigger-resolution vga
check "VGA moves 30FPS to 15FPS" is "$(hex "$card/CONFIG.SYS")" "01 00 08 00 14 00 14 00 14 01 02"
check "VGA says so" has "$err" "15FPS"

# Every refused value: exit 2, a message naming the option, the card's bytes unchanged.
while IFS='|' read -r args named; do
  put CONFIG.SYS "$example"
  eval "kovra config set $args"
  check "refused: $args" is "$rc|$(hex "$card/CONFIG.SYS")|$(ls "$card")" "2|$example|CONFIG.SYS"
  check "refused $args names $named" has "$err" "$named"
done <<'CASES'
--max-cycle 70000|--max-cycle
--max-cycle -1|--max-cycle
--max-gsensor 12abc|--max-gsensor
--max-manual 65536|--max-manual
--sensitivity 0.07|--sensitivity
--sensitivity 2.05|--sensitivity
--sensitivity 0.05|--sensitivity
--frame-rate 25|--frame-rate
--overwrite maybe|--overwrite
--trigger-resolution svga|--trigger-resolution
--frame-rate 30|--frame-rate
--trigger-resolution vga --frame-rate 24|--frame-rate
--max-cycle 0x10|--max-cycle
--max-cycle " 5"|--max-cycle
--max-cycle +5|--max-cycle
--max-cycle 1e3|--max-cycle
|config set
CASES
# Counts are decimal whatever their leading zeros: 010 is ten, never eight.
put CONFIG.SYS "$example"
kovra config set --max-cycle 010 --max-gsensor 00065535
check "leading zeros are decimal" is "$rc|$(hex "$card/CONFIG.SYS")" \
  "0|01 01 14 FF FF 00 1E 00 0A 00 03"

# Values the window never writes are shown as they are, and said.
put CONFIG.SYS "01 01 50 00 0A 00 1E 00 28 00 00"
kovra config show
check "impossible sensitivity shown and warned" is \
  "$rc|$(has "$out" "4.00" && echo shown)|$(has "$err" "outside 0.10 to 2.00" && echo warned)" \
  "0|shown|warned"
put CONFIG.SYS "01 01 14 00 0A 00 1E 00 28 00 00"
kovra config show
check "VGA at 30FPS warned" has "$err" "VGA at 30FPS"

# A read-only CONFIG.SYS: exit 1, its bytes kept.
put CONFIG.SYS "$example"
chmod a-w "$card/CONFIG.SYS"
kovra config set --max-cycle 1
check "read-only target" is "$rc|$(hex "$card/CONFIG.SYS")|$(ls "$card")" "1|$example|CONFIG.SYS"
check "read-only target named" has "$err" "CONFIG.SYS"
chmod u+w "$card/CONFIG.SYS"

# --output writes elsewhere; the card's record stays.
kovra config set --defaults --max-cycle 3 --output "$(on_card backup.SYS)"
check "--output" is "$rc|$(hex "$card/backup.SYS")|$(hex "$card/CONFIG.SYS")" \
  "0|00 00 08 00 14 00 14 00 03 01 00|$example"
rm -f "$card/backup.SYS"
# A file of the user's replaced by --output unasked (the card's own record needs no --force).
for which in config clock; do
  [ $which = config ] && args=(config set --defaults --max-cycle 3) || args=(clock set now)
  put OLD.bin "AA BB"
  kovra "${args[@]}" --output "$(on_card OLD.bin)"
  check "$which set --output keeps a file without --force" is "$rc|$(hex "$card/OLD.bin")|$(has \
    "$err" "OLD.bin: already there (--force replaces it)" && echo said)" "2|AA BB|said"
  kovra "${args[@]}" --output "$(on_card OLD.bin)" --force
  check "$which set --output --force replaces it" is "$rc|$(hex "$card/OLD.bin")" \
    "0|$(hex "$card/OLD.bin" | grep -v '^AA BB$')"
done
rm -f "$card/OLD.bin"

# Missing, short and long files.
rm -f "$card/CONFIG.SYS"
kovra config show
check "missing CONFIG.SYS" is "$rc" 1
check "missing named" has "$err" "CONFIG.SYS: no such file"
put CONFIG.SYS "01 01 14 00 0A"
kovra config show
check "short CONFIG.SYS" is "$rc" 1
check "short CONFIG.SYS says its length" has "$err" "only 5 bytes"
kovra config set --max-cycle 9
check "set over a short file starts from the defaults" is "$rc|$(hex "$card/CONFIG.SYS")" \
  "0|00 00 08 00 14 00 14 00 09 01 00"
put CONFIG.SYS "$example EE EE"
kovra config show --json
check "long CONFIG.SYS: first 11 bytes, a warning" is "$rc|$(json 'd["maxCycleFiles"]')" "0|40"
check "long CONFIG.SYS warned" has "$err" "13 bytes"

# --- the clock
kovra clock set "2007-10-16 08:16:47"
check "clock set" is "$rc|$(hex "$card/TIME.txt")" "0|20 07 10 16 08 16 47"
check "clock set prints bytes" has "$out" "20 07 10 16 08 16 47"
kovra clock show
check "clock show" is "$out" "2007-10-16 08:16:47"
kovra clock show --json
check "clock show --json" is "$(json 'd["year"]')-$(json 'd["month"]')-$(json 'd["second"]')" "2007-10-47"
for typed in "2007-02-31 08:16:47" "2007-10-16 24:00:00" "0000-01-01 00:00:00" "2007-10-16" \
  "yesterday" "2007-13-01 00:00:00"; do
  kovra clock set "$typed"
  check "clock refused: $typed" is "$rc|$(hex "$card/TIME.txt")" "2|20 07 10 16 08 16 47"
done
kovra clock set "2024-02-29 23:59:59"
check "leap day" is "$rc|$(hex "$card/TIME.txt")" "0|20 24 02 29 23 59 59"
# Dates the window lets through are shown as they are, and said.
for record in "20 07 02 30 08 16 47" "20 07 13 01 00 00 00" "20 07 10 16 24 00 00"; do
  put TIME.txt "$record"
  kovra clock show
  check "impossible date shown and warned: $record" is \
    "$rc|$(has "$err" "is no real date and time" && echo warned)" "0|warned"
done
kovra clock set --json
check "clock set now" is "$rc|$(json 'd["year"]')" "0|$(date +%Y)"
put TIME.txt "20 07 10 16 08 16"
kovra clock show
check "6-byte TIME.txt" is "$rc" 1
put TIME.txt "20 07 1A 16 08 16 47"
kovra clock show
check "non-decimal byte named" is "$rc|$(has "$err" "byte 2 (1A)" && echo named)" "1|named"

# --- playing a video
ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=15 -t 1 -c:v mjpeg "$card/MOV0001.avi"
printf 'MARS' | dd of="$card/MOV0001.avi" bs=1 count=4 conv=notrunc status=none
before=$(md5sum <"$card/MOV0001.avi")
kovra play --print "$(on_card MOV0001.avi)"
copy=$out
if [ "$mode" != native ]; then
  copy=${copy//\\//}
  copy=$KOVRA_WINEPREFIX/drive_c${copy#C:}
fi
check "play --print" is "$rc|$(head -c4 "$copy" 2>/dev/null)|$(md5sum <"$card/MOV0001.avi")" \
  "0|RIFF|$before"
put NOTE.avi "52 49 46 58 00 00"
kovra play --print "$(on_card NOTE.avi)"
check "play refuses other files" is "$rc|$out" "1|"

# --- a folder's words: the file given for a folder of videos, and a folder where the lock goes
if [ "$mode" = native ]; then spelled=$work/dest; else spelled="Z:${work//\//\\}\\dest"; fi
mkdir -p "$work/dest/.kovra-export.lock"
for command in export gallery; do
  kovra "$command" "$spelled" --from "$(on_card MOV0001.avi)"
  # "no such folder" for a file that is there.
  check "$command --from FILE says it is a file" is "$rc|$(has "$err" "MOV0001.avi: is a file" \
    && echo said)" "1|said"
done
kovra export "$spelled" --from "$card_root"
# The folder's own name blamed, with a permission or a "no such file" it does not have.
check "a folder at the lock is named as the lock" is "$rc|$(has "$err" \
  ".kovra-export.lock: is a folder, not Kovra's lock" && echo said)|$(ls -A "$work/dest")" \
  "1|said|.kovra-export.lock"
rm -rf "$work/dest"
if [ "$mode" = native ]; then
  # A link at the lock's name would have the lock made where it points, outside DEST.
  mkdir -p "$work/dest" && ln -s "$work/lock-elsewhere" "$work/dest/.kovra-export.lock"
  kovra export "$work/dest" --from "$card_root"
  check "a link at the lock is not followed" is "$rc|$(has "$err" \
    ".kovra-export.lock: is a link, not Kovra's lock" && echo said)|$([ -e "$work/lock-elsewhere" ] && echo made || echo none)" \
    "1|said|none"
  rm -rf "$work/dest"
fi

# --- no card
if [ "$mode" = native ]; then
  system_root=$work/empty-system
else
  export KOVRA_DRIVES=""
fi
kovra config show
check "no card" is "$rc" 3
check "no card says what to do" has "$err" "--card"
put TIME.txt "20 07 10 16 08 16 47"
kovra --card "$given_card" clock show
check "--card with no card found" is "$rc|$out" "0|2007-10-16 08:16:47"

if [ "$mode" = native ]; then
  # Two removable media: the first by mount point, the other named.
  mkdir -p "$work/a card" "$fixture/sys/block/sdb/sdb1"
  echo 1 >"$fixture/sys/block/sdb/removable"
  printf '31 1 8:17 / %s rw - vfat /dev/sdb1 rw\n' "${work// /\\040}/a\\040card" \
    >>"$fixture/proc/self/mountinfo"
  system_root=$fixture
  kovra card --json
  check "two cards: first by mount point" is "$(json 'd["root"]')" "$work/a card"
  check "two cards: the other named" has "$err" "/dev/mmcblk0p1"

  # Only a regular file, or nothing, is replaced: a device, a folder never; a link when forced.
  kovra --card "$card" config set --defaults --output /dev/null
  check "a device is no output" is "$rc|$(stat -c %F /dev/null)" "2|character special file"
  check "a device is named" has "$err" "not a regular file"
  mkdir -p "$work/folder"
  kovra --card "$card" clock set --output "$work/folder"
  check "a folder is no output" is "$rc|$err" "2|kovra-cli: $work/folder: is a folder"
  ln -s "$work/nowhere" "$work/dangling"
  kovra --card "$card" clock set --output "$work/dangling"
  check "a dangling link needs --force" is "$rc|$(readlink "$work/dangling")" "2|$work/nowhere"
  kovra --card "$card" clock set "2007-10-16 08:16:47" --output "$work/dangling" --force
  check "--force replaces the link itself" is "$rc|$(hex "$work/dangling")|$(ls "$work/nowhere" 2>&1 | grep -c 'No such')" \
    "0|20 07 10 16 08 16 47|1"

  # An opener that finds no program fails, and says so; one that works opens.
  mkdir -p "$work/bin"
  printf '#!/bin/sh\nexit 3\n' >"$work/bin/xdg-open"
  chmod +x "$work/bin/xdg-open"
  PATH="$work/bin:$PATH" kovra play "$(on_card MOV0001.avi)"
  check "a failed opener is exit 1, named" is "$rc|$(has "$err" "no program to open it with" && echo said)" "1|said"
  printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open"
  PATH="$work/bin:$PATH" kovra play "$(on_card MOV0001.avi)"
  check "an opener that worked" is "$rc" 0
fi

finish
