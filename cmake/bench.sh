#!/usr/bin/env bash
# make bench: builds the benchmarks optimised and without sanitizers, and runs each one.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash cmake/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench
# A benchmark that fails (it could not make its card, a run failed) is named at the end; the
# others still run, so that one failure hides no figures.
found=0
failed=()
for program in build/bench/bench/kovra_bench_*; do
  [ -x "$program" ] || continue
  found=1
  echo "==== $(basename "$program") ===="
  "$program" || failed+=("$(basename "$program")")
done
[ $found -eq 1 ] || echo "no benchmarks built"
# kovra-cli serve as a process, and its page in Chromium: a script, after the programs. The bench
# preset builds kovra-cli with everything else.
echo "==== serve_bench.py ===="
/usr/bin/python3 bench/serve_bench.py build/bench/kovra-cli || failed+=(serve_bench.py)
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}"
  exit 1
fi
