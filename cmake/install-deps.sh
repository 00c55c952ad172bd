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
            libkainjow-mustache-dev)
else
  packages=(cmake ninja-build g++ make googletest libgtest-dev clang-format
            g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64
            xvfb xauth x11-utils ffmpeg python3 python3-pefile fonts-dejavu-core
            libcli11-dev nlohmann-json3-dev pkg-config libturbojpeg0-dev clang libclang-rt-14-dev
            dpkg-dev lintian dosfstools fusefat fuse3 systemd
            libkainjow-mustache-dev chromium chromium-driver python3-selenium)
fi
for p in "${packages[@]}"; do
  have_pkg "$p" || need+=("$p")
done

i386=0
if [ "${1:-}" != --cli ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || i386=1
  have_pkg wine32:i386 || need+=("wine32:i386")
fi

[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "installing: ${need[*]}"
[ $i386 -eq 1 ] && $sudo dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${need[@]}"
