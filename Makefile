# The two set-up commands of the README, the benchmarks, kovra-cli and the release files.
.PHONY: test run bench cli dist

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

# The release files, reproducible, in build/dist/ (see README.md)
dist:
	bash cmake/dist.sh
