# The two set-up commands of the README, kovra-cli, the benchmarks, the fuzzer
# (FUZZ_SECONDS=60) and the release files.
.PHONY: test run bench cli fuzz dist

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
	cmake --build --preset release --target kovra-cli kovra_cli_documents

fuzz:
	bash cmake/fuzz.sh

# The release files, reproducible, in build/dist/ (see README.md)
dist:
	bash cmake/dist.sh
