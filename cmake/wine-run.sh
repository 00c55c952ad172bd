#!/usr/bin/env bash
# wine-run.sh win32|win64 PROGRAM [ARGS...]
# Runs a Windows program under Wine (32-bit or 64-bit) in its build folder's own prefix, the way
# ctest runs the Windows tests. The prefix is made on first use and kept.
#
#   KOVRA_WINEPREFIX  the prefix (default: build/windows/wine for win32, build/windows64/wine
#                     for win64, beside this script's repo)
#   KOVRA_DRIVES      drives to map, "e=floppy f=hd": each letter gets an empty folder of its
#                     own under the prefix's drives/ folder, of the given Wine type
#                     (floppy = removable, hd = fixed, cdrom, network). "e=floppy:/media/card"
#                     maps that folder instead, as it is (its path may hold no spaces). Unset:
#                     no drives but C: and Z:.
#
# Without DISPLAY the program runs on a virtual display of its own, and the prefix's Wine
# processes are stopped afterwards.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine.sh"

[ $# -ge 2 ] && wine=$(wine_loader "$1" 2>/dev/null) ||
  { echo "usage: wine-run.sh win32|win64 PROGRAM [ARGS...]" >&2; exit 2; }
export WINEARCH=$1
shift
export WINEPREFIX=${KOVRA_WINEPREFIX:-$(default_prefix "$WINEARCH")}

own_display=0
if [ -z "${DISPLAY:-}" ]; then
  start_virtual_display
  own_display=1
  # The prefix's Wine processes end with the display they were started on.
  trap 'stop_prefix "$WINEPREFIX" 9>&-; stop_virtual_display' EXIT
fi

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9

session="$WINEPREFIX/.kovra-session"
wanted="display=$DISPLAY drives=${KOVRA_DRIVES:-}"

# Wine processes must not inherit the lock: a lingering wineserver would hold it.
stop_server() { stop_prefix "$WINEPREFIX" 9>&-; }

# Raised whenever the set-up below changes, so that older prefixes are made anew.
prefix_version=2
if [ "$(cat "$WINEPREFIX/.kovra-ready" 2>/dev/null)" != "$prefix_version" ]; then
  [ ! -e "$WINEPREFIX" ] || remove_prefix "$WINEPREFIX" 9>&-
  "$wine" wineboot -i 9>&- >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f 9>&- >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    9>&- >/dev/null 2>&1
  # Kovra's window is set in 新細明體, which Wine lacks; that font's Latin letters are a
  # proportional serif. With Wine's default sans face two of the window's labels need a third
  # line their boxes have no room for; DejaVu Serif lays them out in two.
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '新細明體' /d 'DejaVu Serif' /f \
    9>&- >/dev/null 2>&1
  stop_server
  echo "$prefix_version" >"$WINEPREFIX/.kovra-ready"
  rm -f "$session"
fi

# Drive types are read only when the prefix's session starts: change them with no server up.
if [ "$(cat "$session" 2>/dev/null)" != "$wanted" ]; then
  stop_server
  for link in "$WINEPREFIX"/dosdevices/[a-y]:; do
    [ -L "$link" ] && [ "$(basename "$link")" != "c:" ] && rm -f "$link"
  done
  awk '
    /^\[Software\\\\Wine\\\\Drives\]/ { skip = 1; next }
    skip && /^$/ { skip = 0; next }
    !skip { print }
  ' "$WINEPREFIX/system.reg" >"$WINEPREFIX/system.reg.new"
  if [ -n "${KOVRA_DRIVES:-}" ]; then
    printf '\n[Software\\\\Wine\\\\Drives] 0\n' >>"$WINEPREFIX/system.reg.new"
    for mapping in $KOVRA_DRIVES; do
      kind=${mapping#*=}
      printf '"%s:"="%s"\n' "${mapping%%=*}" "${kind%%:*}" >>"$WINEPREFIX/system.reg.new"
    done
  fi
  mv "$WINEPREFIX/system.reg.new" "$WINEPREFIX/system.reg"
  echo "$wanted" >"$session"
fi

# Each run starts with empty drive folders; a folder given by the caller is used as it is.
for mapping in ${KOVRA_DRIVES:-}; do
  letter=${mapping%%=*}
  kind=${mapping#*=}
  if [ "$kind" != "${kind#*:}" ]; then
    folder=${kind#*:}
    [ -d "$folder" ] || { echo "wine-run.sh: no folder $folder for drive $letter:" >&2; exit 2; }
  else
    folder="$WINEPREFIX/drives/$letter"
    rm -rf "$folder"
    mkdir -p "$folder"
  fi
  ln -sfn "$folder" "$WINEPREFIX/dosdevices/$letter:"
done

[ $own_display -eq 1 ] || exec "$wine" "$@" 9>&-
"$wine" "$@" 9>&-
