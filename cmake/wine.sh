# Sourced by every script that runs Wine: make test (test-all.sh), make run (run.sh), the Wine
# runner (wine-run.sh) and the end-to-end harness (tests/e2e/harness.sh). The one place that
# knows Wine's programs, whether this host runs 32-bit code, which build the Windows tests run
# as, the virtual display, and how a prefix is stopped and removed.

kovra_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
wineserver=/usr/lib/wine/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompt when a prefix is made, no menu entries on the host.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# wine_loader win32|win64: the Wine that runs programs of that kind. 64-bit Wine alone cannot
# run a 32-bit program.
wine_loader() {
  case "$1" in
    win32) echo /usr/lib/wine/wine ;;
    win64) echo /usr/lib/wine/wine64 ;;
    *) echo "no Wine for '$1': win32 or win64" >&2; return 2 ;;
  esac
}

# wine_build win32|win64: the preset, and so the folder under build/, of that kind.
wine_build() {
  case "$1" in
    win32) echo windows ;;
    win64) echo windows64 ;;
    *) echo "no Windows build for '$1': win32 or win64" >&2; return 2 ;;
  esac
}

# The prefix that the Wine runner and ctest use for a kind of program.
default_prefix() { echo "$kovra_repo/build/$(wine_build "$1")/wine"; }

# 32-bit Wine starts only where the kernel runs 32-bit code; some hosts run 64-bit code only.
host_runs_32bit() { "$(wine_loader win32)" --version >/dev/null 2>&1; }

# Sets wine_arch and windows_preset to the build that runs under Wine here: the shipped 32-bit
# program, or where that cannot run the 64-bit build of the same sources, which it announces.
choose_windows_build() {
  wine_arch=win32
  if ! host_runs_32bit; then
    wine_arch=win64
    echo "this host runs no 32-bit code: the 64-bit build runs under 64-bit Wine instead"
  fi
  windows_preset=$(wine_build "$wine_arch")
}

# Starts an X server of our own on the first free display number, exports DISPLAY and sets
# xvfb_pid; stop_virtual_display ends it. Every Wine process of a run must use it: a
# wineserver started without a display makes later dialogs fail to appear.
xvfb_pid=""
start_virtual_display() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$number_file" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  DISPLAY=":$(head -n1 "$number_file")"
  export DISPLAY
  rm -f "$number_file"
  [ "$DISPLAY" != ":" ] || { echo "the virtual display did not start" >&2; return 1; }
}
stop_virtual_display() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
}

# stop_prefix PREFIX: ends the prefix's Wine processes and waits until they are gone. A folder
# that is no prefix is left alone: the wineserver would leave a file of its own in it.
stop_prefix() {
  [ -d "$1/dosdevices" ] || return 0
  WINEPREFIX=$1 "$wineserver" -k 2>/dev/null || true
  WINEPREFIX=$1 "$wineserver" -w 2>/dev/null || true
}

# A Wine program of a set-up that has not ended in this many seconds has hung at its start
# (seen now and then on a loaded machine: wineboot or reg with no output and no end, until
# ctest's limit). wine_set_up stops it and starts it once more, and says so.
wine_hung_seconds=90

# wine_set_up COMMAND...: runs one set-up step, bounded; a step that hung is started once more.
wine_set_up() {
  local status attempt
  for attempt in 1 2; do
    status=0
    timeout "$wine_hung_seconds" "$@" || status=$?
    [ $status -eq 124 ] || return $status
    [ $attempt -eq 2 ] || echo "note  a set-up step hung for $wine_hung_seconds s, started again: $*" >&2
  done
  echo "a set-up step hung twice: $*" >&2
  return 124
}

# ready_prefix win32|win64 PREFIX PROGRAM [DRIVES]: makes PREFIX, its drives mapped as
# wine-run.sh takes KOVRA_DRIVES, by running PROGRAM --version in it; then stops its session,
# so that the test's own run starts one that reads those drives.
ready_prefix() {
  wine_set_up env KOVRA_WINEPREFIX="$2" KOVRA_DRIVES="${4:-}" \
    bash "$kovra_repo/cmake/wine-run.sh" "$1" "$3" --version >/dev/null || return
  stop_prefix "$2"
}

# in_build FOLDER: true when FOLDER lies inside a folder under this repo's build/ (such as
# build/windows/wine or build/windows/e2e/NAME), never build/ or a preset's folder itself.
in_build() {
  local real
  real=$(realpath -m -- "$1")
  case "$real/" in
    "$kovra_repo/build/"*/*/) return 0 ;;
    *) return 1 ;;
  esac
}

# remove_prefix PREFIX: stops and deletes a prefix the build made. Anything else is refused,
# so that a mistyped KOVRA_WINEPREFIX cannot cost anyone a folder of their own.
remove_prefix() {
  if ! in_build "$1"; then
    echo "refusing to remove $1: not a Wine prefix under $kovra_repo/build/" >&2
    return 1
  fi
  if [ -e "$1" ] && [ ! -d "$1/dosdevices" ] && [ -n "$(ls -A "$1" 2>/dev/null)" ]; then
    echo "refusing to remove $1: it holds files but is no Wine prefix" >&2
    return 1
  fi
  stop_prefix "$1"
  rm -rf -- "$1"
}
