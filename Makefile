# The two set-up commands of the README, and the benchmarks.
.PHONY: test run bench cli

test:
	bash cmake/test-all.sh

run:
	bash cmake/run.sh

bench:
	bash cmake/bench.sh

# kovra-cli for this machine, optimised: build/release/kovra-cli
cli:
	bash cmake/install-deps.sh --cli
	cmake --preset release
	cmake --build --preset release --target kovra-cli
