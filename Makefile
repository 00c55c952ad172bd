# The two set-up commands of the README, and the benchmarks.
.PHONY: test run bench

test:
	bash cmake/test-all.sh

run:
	bash cmake/run.sh

bench:
	bash cmake/bench.sh
