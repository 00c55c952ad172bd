# Sourced by scenarios.sh: runs the built Kovra.exe as its own process in a fresh Wine prefix,
# with a folder as its card, and works it from outside with kovra_driver.exe.
#
#   ARCH      win32 or win64
#   BUILD     the Windows build folder (Kovra.exe, tests/kovra_driver.exe)
#   NAME      the scenario; its files live in $BUILD/e2e/NAME and are removed afterwards

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/cmake/wine.sh"
wine=$(wine_loader "$ARCH")
work=$BUILD/e2e/$NAME
card=$work/card
disk=$work/disk
template=$BUILD/e2e/template
export WINEPREFIX=$work/prefix WINEARCH=$ARCH
kovra_pid=""
failures=0

stop_everything() {
  [ -n "$kovra_pid" ] && kill "$kovra_pid" 2>/dev/null || true
  stop_prefix "$WINEPREFIX"
  stop_virtual_display
  [ -n "${KEEP:-}" ] || remove_scenario
}
trap stop_everything EXIT

# The scenario's folder (its prefix, card and disk) goes, but only from inside the build.
remove_scenario() {
  remove_prefix "$WINEPREFIX" || return 1
  in_build "$work" || { echo "refusing to remove $work: not under the build" >&2; return 1; }
  rm -rf -- "$work"
}

if [ -z "${DISPLAY:-}" ]; then
  start_virtual_display
fi

fail() {
  echo "FAIL  $*"
  failures=$((failures + 1))
}

# The Windows name of a Linux path, through Wine's Z: drive.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# A fresh prefix: a copy of one made for these scenarios alone and never run in.
# DRIVES as wine-run.sh takes them; card and disk are this scenario's folders.
fresh_prefix() {
  local drives=$1
  if [ ! -f "$template/.kovra-ready" ]; then
    wine_set_up env KOVRA_WINEPREFIX="$template" bash "$repo/cmake/wine-run.sh" "$ARCH" \
      "$BUILD/tests/kovra_driver.exe" >/dev/null
    stop_prefix "$template"
  fi
  remove_scenario
  mkdir -p "$card" "$disk"
  cp -a "$template" "$WINEPREFIX"
  # Maps the drives and, with them, registers the tests' program as the .avi player.
  wine_set_up env KOVRA_WINEPREFIX="$WINEPREFIX" KOVRA_DRIVES="$drives" bash "$repo/cmake/wine-run.sh" \
    "$ARCH" reg add 'HKLM\Software\Classes\.avi' /ve /d KovraTestPlayer /f >/dev/null
  wine_set_up "$wine" reg add 'HKLM\Software\Classes\KovraTestPlayer\shell\open\command' /ve /f \
    /d "\"$(winpath "$BUILD/tests/kovra_open_recorder.exe")\" \"%1\"" >/dev/null
  export KOVRA_OPEN_LOG
  KOVRA_OPEN_LOG=$(winpath "$work/opened.log")
}

temp_folder() { echo "$WINEPREFIX/drive_c/users/$(id -un)/Temp"; }

start_kovra() {
  "$wine" "$BUILD/Kovra.exe" "$@" &
  kovra_pid=$!
}

# Runs the driver's steps; a failing step fails the scenario.
drive() {
  "$wine" "$BUILD/tests/kovra_driver.exe" "$@" | tr -d '\r' || fail "driver steps"
}

# Waits for the program to end; its exit code must be 0.
expect_exit() {
  local status=0
  for _ in $(seq 300); do
    kill -0 "$kovra_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$kovra_pid" 2>/dev/null; then
    fail "Kovra still runs"
    return
  fi
  wait "$kovra_pid" || status=$?
  kovra_pid=""
  [ "$status" -eq 0 ] && echo "ok    Kovra ended, exit code 0" || fail "Kovra's exit code $status"
}

hex() { od -An -v -tx1 "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

expect_bytes() {
  local file=$1 expected=$2 actual
  actual=$(hex "$file" 2>/dev/null || echo "(no file)")
  [ "$actual" = "$expected" ] && echo "ok    $(basename "$file") = $expected" ||
    fail "$(basename "$file"): $actual, expected $expected"
}

expect_no_file() {
  [ ! -e "$1" ] && echo "ok    no $(basename "$1")" || fail "$(basename "$1") exists"
}

expect_same() {
  cmp -s "$1" "$2" && echo "ok    $(basename "$1") unchanged" || fail "$(basename "$1") changed"
}

finish() {
  echo "$NAME: $failures failed"
  [ "$failures" -eq 0 ]
}
