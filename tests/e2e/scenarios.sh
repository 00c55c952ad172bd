#!/usr/bin/env bash
# End-to-end scenarios: the built Kovra.exe as a user meets it.
#   scenarios.sh ARCH BUILD NAME
set -uo pipefail
ARCH=$1 BUILD=$2 NAME=$3
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

# The window's control identifiers, read from the header its code and resources share:
# IDC_SET_CONFIG=1010 and so on; "Close" is the platform's IDCANCEL.
eval "$(awk '$1 == "#define" && $2 ~ /^IDC_[A-Z0-9_]+$/ && $3 ~ /^[0-9]+$/ { print $2 "=" $3 }' \
  "$repo/window/control_ids.h")"
CLOSE=2
# The controls of the card's two records, as the window lists them.
DEVICE_CONTROLS="$IDC_YEAR $IDC_MONTH $IDC_DAY $IDC_HOUR $IDC_MINUTE $IDC_SECOND $IDC_SET_TIME
  $IDC_SET_CURRENT_TIME $IDC_TRIGGER_QVGA $IDC_TRIGGER_VGA $IDC_LOOP_QVGA $IDC_LOOP_VGA
  $IDC_FPS_30 $IDC_FPS_24 $IDC_FPS_15 $IDC_FPS_13_3 $IDC_OVERWRITE_YES $IDC_OVERWRITE_NO
  $IDC_SENSITIVITY $IDC_MAX_GSENSOR $IDC_MAX_MANUAL $IDC_MAX_CYCLE $IDC_SET_CONFIG"
VK_ESCAPE=27 VK_END=35

EXAMPLE_RECORD="01 01 14 00 0a 00 1e 00 28 00 03"
write_bytes() { printf "$(printf '\\x%s' $2)" >"$1"; }

# A "MARS" video: the first four bytes of a RIFF/AVI header rewritten, then some frames' worth.
make_mars_video() {
  { printf 'MARS\x10\x00\x00\x00AVI LIST'; head -c 4096 /dev/urandom; } >"$1"
}

# A recording as the recorder makes one (MJPEG with 8 kHz PCM), signed "MARS".
make_recording() {
  ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=15 -f lavfi \
    -i sine=frequency=440:sample_rate=8000 -t 4 -c:v mjpeg -q:v 5 -c:a pcm_s16le -ac 1 "$1"
  printf 'MARS' | dd of="$1" bs=1 count=4 conv=notrunc status=none
}

# Waits for the test player to note what it was started on; it must be the copy of NAME.
expect_player_on_copy() {
  for _ in $(seq 100); do [ -f "$work/opened.log" ] && break; sleep 0.1; done
  grep -qx "C:\\\\users\\\\.*\\\\Temp\\\\~mr$1" "$work/opened.log" 2>/dev/null &&
    echo "ok    the player was started with the copy" ||
    fail "the player's log: $(cat "$work/opened.log" 2>/dev/null || echo none)"
}

# The card's configuration appears in every control at start-up.
scenario_startup_shows_card() {
  fresh_prefix "e=floppy:$card"
  write_bytes "$card/CONFIG.SYS" "$EXAMPLE_RECORD"
  start_kovra
  drive wait \
    "checked $IDC_TRIGGER_QVGA 0" "checked $IDC_TRIGGER_VGA 1" \
    "checked $IDC_LOOP_QVGA 0" "checked $IDC_LOOP_VGA 1" \
    "checked $IDC_FPS_30 0" "checked $IDC_FPS_24 0" \
    "checked $IDC_FPS_15 0" "checked $IDC_FPS_13_3 1" \
    "enabled $IDC_FPS_30 1" "enabled $IDC_FPS_24 1" \
    "slider $IDC_SENSITIVITY 20" "text $IDC_SENSITIVITY_VALUE 1.00" \
    "text $IDC_MAX_GSENSOR 10" "text $IDC_MAX_MANUAL 30" "text $IDC_MAX_CYCLE 40" \
    "checked $IDC_OVERWRITE_YES 0" "checked $IDC_OVERWRITE_NO 1" \
    "text $IDC_YEAR $(date +%Y)" "text $IDC_MONTH $(date +%-m)" "text $IDC_DAY $(date +%-d)" \
    "click $CLOSE" gone
  expect_exit
  expect_bytes "$card/CONFIG.SYS" "$EXAMPLE_RECORD"
}

# Every setting changed and saved over CONFIG.SYS reaches the card, and a restart shows it.
scenario_save_config() {
  fresh_prefix "e=floppy:$card"
  write_bytes "$card/CONFIG.SYS" "$EXAMPLE_RECORD"
  start_kovra
  drive wait "click $IDC_TRIGGER_QVGA" "click $IDC_FPS_24" "click $IDC_LOOP_QVGA" \
    "click $IDC_OVERWRITE_YES" \
    "set $IDC_MAX_GSENSOR 300" "set $IDC_MAX_MANUAL 7" "set $IDC_MAX_CYCLE 65535" \
    "key $IDC_SENSITIVITY $VK_END" "text $IDC_SENSITIVITY_VALUE 2.00" \
    "click $IDC_SET_CONFIG" 'file E:\CONFIG.SYS' "answer * yes" "click $CLOSE" gone
  expect_exit
  expect_bytes "$card/CONFIG.SYS" "00 00 28 01 2c 00 07 ff ff 01 01"
  start_kovra
  drive wait "checked $IDC_TRIGGER_QVGA 1" "checked $IDC_LOOP_QVGA 1" "checked $IDC_FPS_24 1" \
    "checked $IDC_OVERWRITE_YES 1" "text $IDC_MAX_GSENSOR 300" "text $IDC_MAX_MANUAL 7" \
    "text $IDC_MAX_CYCLE 65535" "slider $IDC_SENSITIVITY 40" "text $IDC_SENSITIVITY_VALUE 2.00" \
    "click $CLOSE" gone
  expect_exit
}

# "Set Time" writes the typed date; "Set Current Time" the PC's clock, whatever is typed.
scenario_set_time() {
  fresh_prefix "e=floppy:$card"
  start_kovra
  drive wait "set $IDC_YEAR 2008" "set $IDC_MONTH 2" "set $IDC_DAY 31" \
    "set $IDC_HOUR 24" "set $IDC_MINUTE 60" \
    "set $IDC_SECOND 5" "click $IDC_SET_TIME" 'file E:\TIME.txt'
  expect_bytes "$card/TIME.txt" "20 08 02 31 24 60 05"
  local before after
  before=$(date +%s)
  drive wait "click $IDC_SET_CURRENT_TIME" 'file E:\TIME.txt' "answer * yes"
  after=$(date +%s)
  local written stamp
  written=$(hex "$card/TIME.txt" | tr -d ' ')
  local when="${written:0:4}-${written:4:2}-${written:6:2}"
  when+=" ${written:8:2}:${written:10:2}:${written:12:2}"
  stamp=$(date -d "$when" +%s 2>/dev/null || echo 0)
  if [ "$stamp" -ge $((before - 2)) ] && [ "$stamp" -le $((after + 2)) ]; then
    echo "ok    TIME.txt holds the clock ($written)"
  else
    fail "TIME.txt holds $written, not the clock between $before and $after"
  fi
  drive wait "text $IDC_YEAR 2008" "text $IDC_HOUR 24" "click $CLOSE" gone
  expect_exit
}

# A bad entry prompts and writes nothing it should not.
scenario_bad_entry() {
  fresh_prefix "e=floppy:$card"
  write_bytes "$card/CONFIG.SYS" "$EXAMPLE_RECORD"
  start_kovra
  drive wait "set $IDC_MAX_CYCLE abc" "click $IDC_SET_CONFIG" "answer integer ok" "quiet 2" \
    "set $IDC_MAX_CYCLE 40" "set $IDC_HOUR 25" "click $IDC_SET_TIME" "answer 24 ok" "quiet 2" \
    "click $CLOSE" gone
  expect_exit
  expect_bytes "$card/CONFIG.SYS" "$EXAMPLE_RECORD"
  expect_no_file "$card/TIME.txt"
}

# Play hands the player a "RIFF" copy of a sound recording in the temporary folder; the card's
# video is untouched.
scenario_play_from_card() {
  fresh_prefix "e=floppy:$card"
  mkdir -p "$card/DCIM"
  make_recording "$card/DCIM/MOV0001.avi"
  cp "$card/DCIM/MOV0001.avi" "$work/original.avi"
  start_kovra
  drive wait "click $IDC_BROWSE" 'file E:\DCIM\MOV0001.avi' \
    "text $IDC_VIDEO_PATH E:\\DCIM\\MOV0001.avi" \
    "click $IDC_PLAY" "enabled $IDC_PLAY 1" "enabled $IDC_SET_CONFIG 1"
  local copy
  copy="$(temp_folder)/~mrMOV0001.avi"
  expect_player_on_copy MOV0001.avi
  [ "$(head -c 4 "$copy" 2>/dev/null)" = "RIFF" ] && echo "ok    the copy begins with RIFF" ||
    fail "the copy begins with $(head -c 4 "$copy" 2>/dev/null)"
  cmp -s <(tail -c +5 "$copy") <(tail -c +5 "$work/original.avi") &&
    echo "ok    the copy differs only in its signature" || fail "the copy's frames differ"
  expect_same "$card/DCIM/MOV0001.avi" "$work/original.avi"
  drive wait "click $CLOSE" gone
  expect_exit
}

# A recording a power cut ended inside a frame reaches the player repaired: the bytes kovra-cli
# repair writes, beginning "RIFF", with an index and every complete frame; the card's video is
# untouched.
scenario_play_cut_from_card() {
  fresh_prefix "e=floppy:$card"
  mkdir -p "$card/DCIM"
  make_recording "$work/whole.avi"
  local size cut frames copy
  size=$(stat -c %s "$work/whole.avi")
  cut=$((size * 6 / 10))
  frames=$(python3 "$repo/tests/cli/avi_layout.py" "$work/whole.avi" frames-before "$cut")
  head -c "$cut" "$work/whole.avi" >"$card/DCIM/MOV0002.avi"
  cp "$card/DCIM/MOV0002.avi" "$work/original.avi"
  "$wine" "$BUILD/kovra-cli.exe" repair "$(winpath "$work/original.avi")" \
    "$(winpath "$work/repaired.avi")" >/dev/null || fail "kovra-cli repair"
  start_kovra
  drive wait "click $IDC_BROWSE" 'file E:\DCIM\MOV0002.avi' "click $IDC_PLAY" "enabled $IDC_PLAY 1"
  copy="$(temp_folder)/~mrMOV0002.avi"
  expect_player_on_copy MOV0002.avi
  cmp -s "$copy" "$work/repaired.avi" && echo "ok    the copy is what kovra-cli repair writes" ||
    fail "the copy differs from kovra-cli repair's"
  [ "$(head -c 4 "$copy" 2>/dev/null)" = "RIFF" ] && grep -qa idx1 "$copy" &&
    echo "ok    the copy begins with RIFF and holds an index" || fail "no RIFF or no idx1"
  local counted
  counted=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=nb_read_frames -of csv=p=0 "$copy" </dev/null)
  [ "$counted" = "$frames" ] && echo "ok    ffprobe counts the $frames complete frames" ||
    fail "ffprobe counts $counted frames, not $frames"
  expect_same "$card/DCIM/MOV0002.avi" "$work/original.avi"
  drive wait "click $CLOSE" gone
  expect_exit
}

# Without a removable drive only "...", "Play" and "Close" work, and Play patches the file.
scenario_no_device() {
  fresh_prefix "d=hd:$disk"
  make_mars_video "$disk/clip.avi"
  start_kovra
  local steps=(wait)
  for id in $DEVICE_CONTROLS; do steps+=("enabled $id 0"); done
  steps+=("enabled $IDC_BROWSE 1" "enabled $IDC_PLAY 1" "enabled $CLOSE 1")
  steps+=("click $IDC_BROWSE" 'file D:\clip.avi' "click $IDC_PLAY" "enabled $IDC_PLAY 1"
    "enabled $IDC_BROWSE 1"
    "enabled $CLOSE 1")
  for id in $DEVICE_CONTROLS; do steps+=("enabled $id 0"); done
  drive "${steps[@]}"
  for _ in $(seq 100); do [ -f "$work/opened.log" ] && break; sleep 0.1; done
  grep -qx 'D:\\clip.avi' "$work/opened.log" 2>/dev/null &&
    echo "ok    the player was started with the chosen file" ||
    fail "the player's log: $(cat "$work/opened.log" 2>/dev/null || echo none)"
  [ "$(head -c 4 "$disk/clip.avi")" = "RIFF" ] &&
    echo "ok    the chosen file now begins with RIFF" ||
    fail "the chosen file begins with $(head -c 4 "$disk/clip.avi")"
  drive wait "click $CLOSE" gone
  expect_exit
}

# Close, Escape and the close box each end the program.
scenario_closing() {
  fresh_prefix "e=floppy:$card"
  for way in "click $CLOSE" "key $IDC_MAX_CYCLE $VK_ESCAPE" close-box; do
    start_kovra
    drive wait "$way" gone
    expect_exit
  done
  expect_no_file "$card/CONFIG.SYS"
}

"scenario_$NAME"
finish
