#!/usr/bin/env bash
# make dist: builds the release files from scratch into build/dist/:
#   kovra-<version>-windows-x86.zip   Kovra.exe, kovra-cli.exe, a README.txt for Windows and
#                                     watch-at-log-in.cmd
#   kovra-cli_<version>_amd64.deb     kovra-cli for Debian and Ubuntu, made with CPack
#   SHA256SUMS                        the sums of both, for checking a download
# Two runs on the same commit give the same bytes, wherever and whenever they run: the files'
# times are the commit's (SOURCE_DATE_EPOCH, unless already set), and nothing of the build
# folder or the clock gets into them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash cmake/install-deps.sh

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "make dist: no git history here; set SOURCE_DATE_EPOCH to the commit's time" >&2; exit 2; }
  if [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    echo "make dist: the tree has uncommitted changes; these files are not what" \
      "$(git log -1 --format=%h) builds" >&2
  fi
fi
export SOURCE_DATE_EPOCH
# Whatever the machine's settings, the tools see the same.
export TZ=UTC LC_ALL=C.UTF-8
umask 022

work=build/dist-work
out=build/dist
rm -rf "$work" "$out"
mkdir -p "$out"

echo "==== the Windows programs (32-bit) ===="
# KOVRA_DIST_WINDOWS_BUILD names a 32-bit Release build folder already made from this tree (make
# test's build/windows): its programs are packed instead of being built once more.
windows=${KOVRA_DIST_WINDOWS_BUILD:-$work/windows}
if [ -z "${KOVRA_DIST_WINDOWS_BUILD:-}" ]; then
  cmake -S . -B "$windows" -G Ninja --toolchain cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release -DKOVRA_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$windows" --target kovra_windows_zip

echo "==== kovra-cli for Debian ===="
# Debian's hardening, which lintian looks for.
cmake -S . -B "$work/linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOVRA_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
  -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
cmake --build "$work/linux"
(cd "$work/linux" && cpack -B "$PWD/packages" >/dev/null)

cp "$windows"/kovra-*-windows-*.zip "$work"/linux/packages/kovra-cli_*.deb "$out/"
(cd "$out" && sha256sum -- *.zip *.deb >SHA256SUMS)
echo "==== $out ===="
cat "$out/SHA256SUMS"
