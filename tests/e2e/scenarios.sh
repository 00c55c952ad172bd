#!/usr/bin/env bash
# End-to-end scenarios: the built Kovra.exe as a user meets it.
#   scenarios.sh ARCH BUILD NAME
set -uo pipefail
ARCH=$1 BUILD=$2 NAME=$3
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

# Control identifiers, as the window numbers them.
CLOSE=2 SET_CURRENT_TIME=1000 TRIGGER_QVGA=1001 TRIGGER_VGA=1002 LOOP_QVGA=1003 LOOP_VGA=1004
FPS_30=1005 FPS_24=1006 SET_TIME=1007 BROWSE=1008 PLAY=1009 SET_CONFIG=1010
MAX_GSENSOR=1011 MAX_MANUAL=1012 MAX_CYCLE=1013 VIDEO_PATH=1014 SENSITIVITY=1015
SENSITIVITY_VALUE=1017 FPS_15=1018 FPS_13_3=1019 OVERWRITE_YES=1020 OVERWRITE_NO=1021
YEAR=1022 MONTH=1023 DAY=1024 HOUR=1025 MINUTE=1026 SECOND=1027
DEVICE_CONTROLS="$YEAR $MONTH $DAY $HOUR $MINUTE $SECOND $SET_TIME $SET_CURRENT_TIME
  $TRIGGER_QVGA $TRIGGER_VGA $LOOP_QVGA $LOOP_VGA $FPS_30 $FPS_24 $FPS_15 $FPS_13_3
  $OVERWRITE_YES $OVERWRITE_NO $SENSITIVITY $MAX_GSENSOR $MAX_MANUAL $MAX_CYCLE $SET_CONFIG"
VK_ESCAPE=27 VK_END=35

EXAMPLE_RECORD="01 01 14 00 0a 00 1e 00 28 00 03"
write_bytes() { printf "$(printf '\\x%s' $2)" >"$1"; }

# A "MARS" video: the first four bytes of a RIFF/AVI header rewritten, then some frames' worth.
make_mars_video() {
  { printf 'MARS\x10\x00\x00\x00AVI LIST'; head -c 4096 /dev/urandom; } >"$1"
}

# The card's configuration appears in every control at start-up.
scenario_startup_shows_card() {
  fresh_prefix "e=floppy:$card"
  write_bytes "$card/CONFIG.SYS" "$EXAMPLE_RECORD"
  start_kovra
  drive wait \
    "checked $TRIGGER_QVGA 0" "checked $TRIGGER_VGA 1" \
    "checked $LOOP_QVGA 0" "checked $LOOP_VGA 1" \
    "checked $FPS_30 0" "checked $FPS_24 0" "checked $FPS_15 0" "checked $FPS_13_3 1" \
    "enabled $FPS_30 1" "enabled $FPS_24 1" \
    "slider $SENSITIVITY 20" "text $SENSITIVITY_VALUE 1.00" \
    "text $MAX_GSENSOR 10" "text $MAX_MANUAL 30" "text $MAX_CYCLE 40" \
    "checked $OVERWRITE_YES 0" "checked $OVERWRITE_NO 1" \
    "text $YEAR $(date +%Y)" "text $MONTH $(date +%-m)" "text $DAY $(date +%-d)" \
    "click $CLOSE" gone
  expect_exit
  expect_bytes "$card/CONFIG.SYS" "$EXAMPLE_RECORD"
}

# Every setting changed and saved over CONFIG.SYS reaches the card, and a restart shows it.
scenario_save_config() {
  fresh_prefix "e=floppy:$card"
  write_bytes "$card/CONFIG.SYS" "$EXAMPLE_RECORD"
  start_kovra
  drive wait "click $TRIGGER_QVGA" "click $FPS_24" "click $LOOP_QVGA" "click $OVERWRITE_YES" \
    "set $MAX_GSENSOR 300" "set $MAX_MANUAL 7" "set $MAX_CYCLE 65535" \
    "key $SENSITIVITY $VK_END" "text $SENSITIVITY_VALUE 2.00" \
    "click $SET_CONFIG" 'file E:\CONFIG.SYS' "answer * yes" "click $CLOSE" gone
  expect_exit
  expect_bytes "$card/CONFIG.SYS" "00 00 28 01 2c 00 07 ff ff 01 01"
  start_kovra
  drive wait "checked $TRIGGER_QVGA 1" "checked $LOOP_QVGA 1" "checked $FPS_24 1" \
    "checked $OVERWRITE_YES 1" "text $MAX_GSENSOR 300" "text $MAX_MANUAL 7" \
    "text $MAX_CYCLE 65535" "slider $SENSITIVITY 40" "text $SENSITIVITY_VALUE 2.00" \
    "click $CLOSE" gone
  expect_exit
}

# "Set Time" writes the typed date; "Set Current Time" the PC's clock, whatever is typed.
scenario_set_time() {
  fresh_prefix "e=floppy:$card"
  start_kovra
  drive wait "set $YEAR 2008" "set $MONTH 2" "set $DAY 31" "set $HOUR 24" "set $MINUTE 60" \
    "set $SECOND 5" "click $SET_TIME" 'file E:\TIME.txt'
  expect_bytes "$card/TIME.txt" "20 08 02 31 24 60 05"
  local before after
  before=$(date +%s)
  drive wait "click $SET_CURRENT_TIME" 'file E:\TIME.txt' "answer * yes"
  after=$(date +%s)
  local written stamp
  written=$(hex "$card/TIME.txt" | tr -d ' ')
  stamp=$(date -d "${written:0:4}-${written:4:2}-${written:6:2} ${written:8:2}:${written:10:2}:${written:12:2}" +%s 2>/dev/null || echo 0)
  if [ "$stamp" -ge $((before - 2)) ] && [ "$stamp" -le $((after + 2)) ]; then
    echo "ok    TIME.txt holds the clock ($written)"
  else
    fail "TIME.txt holds $written, not the clock between $before and $after"
  fi
  drive wait "text $YEAR 2008" "text $HOUR 24" "click $CLOSE" gone
  expect_exit
}

# A bad entry prompts and writes nothing it should not.
scenario_bad_entry() {
  fresh_prefix "e=floppy:$card"
  write_bytes "$card/CONFIG.SYS" "$EXAMPLE_RECORD"
  start_kovra
  drive wait "set $MAX_CYCLE abc" "click $SET_CONFIG" "answer integer ok" "quiet 2" \
    "set $MAX_CYCLE 40" "set $HOUR 25" "click $SET_TIME" "answer 24 ok" "quiet 2" \
    "click $CLOSE" gone
  expect_exit
  expect_bytes "$card/CONFIG.SYS" "$EXAMPLE_RECORD"
  expect_no_file "$card/TIME.txt"
}

# Play hands the player a "RIFF" copy in the temporary folder; the card's video is untouched.
scenario_play_from_card() {
  fresh_prefix "e=floppy:$card"
  mkdir -p "$card/DCIM"
  make_mars_video "$card/DCIM/MOV0001.avi"
  cp "$card/DCIM/MOV0001.avi" "$work/original.avi"
  start_kovra
  drive wait "click $BROWSE" 'file E:\DCIM\MOV0001.avi' "text $VIDEO_PATH E:\\DCIM\\MOV0001.avi" \
    "click $PLAY" "enabled $PLAY 1" "enabled $SET_CONFIG 1"
  local copy
  copy="$(temp_folder)/~mrMOV0001.avi"
  for _ in $(seq 100); do [ -f "$work/opened.log" ] && break; sleep 0.1; done
  grep -qx 'C:\\users\\.*\\Temp\\~mrMOV0001.avi' "$work/opened.log" 2>/dev/null &&
    echo "ok    the player was started with the copy" ||
    fail "the player's log: $(cat "$work/opened.log" 2>/dev/null || echo none)"
  [ "$(head -c 4 "$copy" 2>/dev/null)" = "RIFF" ] && echo "ok    the copy begins with RIFF" ||
    fail "the copy begins with $(head -c 4 "$copy" 2>/dev/null)"
  cmp -s <(tail -c +5 "$copy") <(tail -c +5 "$work/original.avi") &&
    echo "ok    the copy differs only in its signature" || fail "the copy's frames differ"
  expect_same "$card/DCIM/MOV0001.avi" "$work/original.avi"
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
  steps+=("enabled $BROWSE 1" "enabled $PLAY 1" "enabled $CLOSE 1")
  steps+=("click $BROWSE" 'file D:\clip.avi' "click $PLAY" "enabled $PLAY 1" "enabled $BROWSE 1"
    "enabled $CLOSE 1")
  for id in $DEVICE_CONTROLS; do steps+=("enabled $id 0"); done
  drive "${steps[@]}"
  for _ in $(seq 100); do [ -f "$work/opened.log" ] && break; sleep 0.1; done
  grep -qx 'D:\\clip.avi' "$work/opened.log" 2>/dev/null &&
    echo "ok    the player was started with the chosen file" ||
    fail "the player's log: $(cat "$work/opened.log" 2>/dev/null || echo none)"
  [ "$(head -c 4 "$disk/clip.avi")" = "RIFF" ] && echo "ok    the chosen file now begins with RIFF" ||
    fail "the chosen file begins with $(head -c 4 "$disk/clip.avi")"
  drive wait "click $CLOSE" gone
  expect_exit
}

# Close, Escape and the close box each end the program.
scenario_closing() {
  fresh_prefix "e=floppy:$card"
  for way in "click $CLOSE" "key $MAX_CYCLE $VK_ESCAPE" close-box; do
    start_kovra
    drive wait "$way" gone
    expect_exit
  done
  expect_no_file "$card/CONFIG.SYS"
}

"scenario_$NAME"
finish
