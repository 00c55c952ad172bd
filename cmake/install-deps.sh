#!/usr/bin/env bash
# Installs, with apt-get, whatever the build and the tests need and this machine lacks
# (systemd for systemd-analyze, which checks the card watcher's user unit).
# A second run on the same machine installs nothing. With --cli, only what building kovra-cli
# needs.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if [ "${1:-}" = --cli ]; then
  packages=(cmake ninja-build g++ make libcli11-dev nlohmann-json3-dev pkg-config libturbojpeg0-dev
            libkainjow-mustache-dev libboost-dev)
else
  packages=(cmake ninja-build g++ make googletest libgtest-dev clang-format
            g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64
            xvfb xauth x11-utils ffmpeg python3 python3-pefile fonts-dejavu-core
            libcli11-dev nlohmann-json3-dev pkg-config libturbojpeg0-dev clang libclang-rt-14-dev
            dpkg-dev lintian dosfstools fusefat fuse3 systemd
            libkainjow-mustache-dev libboost-dev chromium chromium-driver python3-selenium
            firefox-esr)
fi
for p in "${packages[@]}"; do
  have_pkg "$p" || need+=("$p")
done

# 32-bit Wine only where the kernel runs 32-bit code: some hosts run 64-bit code only, and
# there make test runs the 64-bit build under 64-bit Wine instead. Wine cannot tell before it is
# installed, so a 96-byte i386 program that only exits with 7 asks the kernel itself.
kernel_runs_32bit() {
  local probe status=0
  probe=$(mktemp)
  printf '%b' '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
    '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
    '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
    '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
    '\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00' \
    '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ $status -eq 7 ]
}

i386=0
if [ "${1:-}" != --cli ] && ! have_pkg wine32:i386; then
  if kernel_runs_32bit; then
    dpkg --print-foreign-architectures | grep -qx i386 || i386=1
    need+=("wine32:i386")
  else
    echo "this host runs no 32-bit code: no 32-bit Wine is installed (the Windows tests run as a 64-bit build)"
  fi
fi

[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${need[*]}"
[ $i386 -eq 1 ] && $sudo dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync fails an update now and then, often for one architecture's index
# alone; the lists it did fetch may be all the install needs. So: one more try, then on to the
# install, which alone decides, in apt's own words.
if ! $sudo apt-get update -q; then
  echo "apt-get update failed; trying once more"
  $sudo apt-get update -q || echo "apt-get update failed again; installing from the lists there are"
fi
$sudo apt-get install -y -q --no-install-recommends "${need[@]}"
