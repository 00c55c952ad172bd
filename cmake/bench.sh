#!/usr/bin/env bash
# make bench: builds the benchmarks optimised and without sanitizers, and runs each one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash cmake/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench
found=0
for program in build/bench/bench/kovra_bench_*; do
  [ -x "$program" ] || continue
  found=1
  echo "==== $(basename "$program") ===="
  "$program"
done
[ $found -eq 1 ] || echo "no benchmarks built"
# kovra-cli serve as a process, and its page in Chromium: a script, after the programs. The bench
# preset builds kovra-cli with everything else.
echo "==== serve_bench.py ===="
/usr/bin/python3 bench/serve_bench.py build/bench/kovra-cli
