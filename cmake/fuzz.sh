#!/usr/bin/env bash
# make fuzz: builds the libFuzzer targets with clang (ASan, UBSan), the AVI reader's and the
# pictures' (a frame checked, completed and decoded by libjpeg-turbo) and the local server's
# routes (any target, content type and body through its rules), and runs each for
# FUZZ_SECONDS (60 by default) on a copy of its seed corpus, so that what it finds never lands
# in the repository's corpus. Crashes are saved under build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash cmake/install-deps.sh

seconds=${FUZZ_SECONDS:-60}
build=build/fuzz
mkdir -p "$build/artifacts"
# fuzz_target NAME CORPUS SOURCES... -- LIBRARIES...
fuzz_target() {
  local name=$1 seeds=$2
  shift 2
  local sources=() libraries=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do sources+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  libraries=("$@")
  echo "==== building $build/$name (clang, libFuzzer, ASan, UBSan)"
  clang++ -std=c++17 -g -O1 -I. -Wall -Wextra -Wpedantic -Wshadow -Werror \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
    "${sources[@]}" "${libraries[@]}" -o "$build/$name"

  local corpus="$build/corpus-$name"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  cp "$seeds"/* "$corpus/"
  echo "==== fuzzing for ${seconds}s on a copy of $seeds ($(ls "$corpus" | wc -l) seeds)"
  "$build/$name" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" "$corpus"
}

# The AVI reader's seeds with the inputs it once failed on.
rm -rf "$build/avi-seeds"
mkdir -p "$build/avi-seeds"
cp fuzz/corpus/avi/* fuzz/found/* "$build/avi-seeds/"
fuzz_target avi_fuzz "$build/avi-seeds" avi/*.cpp fuzz/avi_fuzz.cpp
fuzz_target jpeg_fuzz fuzz/corpus/jpeg pictures/*.cpp platform/posix/picture_codec.cpp \
  fuzz/jpeg_fuzz.cpp -- $(pkg-config --libs libturbojpeg)
# The router serves the page's files, a source that configuring the build makes from
# server/page/.
cmake --preset native >/dev/null
fuzz_target server_fuzz fuzz/corpus/server server/router.cpp server/access.cpp \
  server/request_target.cpp build/native/server/page_files.cpp clips/clock_time.cpp \
  fuzz/server_fuzz.cpp
