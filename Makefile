# The two set-up commands of the README, the benchmarks, and the fuzzer (FUZZ_SECONDS=60).
.PHONY: test run bench fuzz

test:
	bash cmake/test-all.sh

run:
	bash cmake/run.sh

bench:
	bash cmake/bench.sh

fuzz:
	bash cmake/fuzz.sh
