#!/usr/bin/env bash
# make fuzz: builds the AVI reader's libFuzzer target with clang (ASan, UBSan) and runs it for
# FUZZ_SECONDS (60 by default) on a copy of the seed corpus, so that what it finds never
# lands in the repository's corpus. Crashes are saved under build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash cmake/install-deps.sh

seconds=${FUZZ_SECONDS:-60}
build=build/fuzz
mkdir -p "$build/artifacts"
sources=(avi/*.cpp fuzz/avi_fuzz.cpp)
echo "==== building $build/avi_fuzz (clang, libFuzzer, ASan, UBSan)"
clang++ -std=c++17 -g -O1 -I. -Wall -Wextra -Wpedantic -Wshadow -Werror \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
  "${sources[@]}" -o "$build/avi_fuzz"

corpus="$build/corpus-avi"
rm -rf "$corpus"
mkdir -p "$corpus"
cp fuzz/corpus/avi/* fuzz/found/* "$corpus/"
echo "==== fuzzing for ${seconds}s on a copy of fuzz/corpus/avi ($(ls "$corpus" | wc -l) seeds)"
"$build/avi_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$build/artifacts/" "$corpus"
