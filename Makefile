# Thin front door over CMake. `make run` and `make check` work on a fresh Debian 12.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

FUZZ_SECONDS ?= 300

.PHONY: deps build run check test asan asan-build fuzz bench format clean

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && ./quz $(ARGS)

# Every test, headless, then the unit tests again under AddressSanitizer and UBSan, and a short run of
# every fuzz target. One clang build serves both: the fuzzers need clang's libFuzzer.
check: test asan

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

asan-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUZ_FUZZ=ON -DQUZ_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)

asan: asan-build
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		ctest --output-on-failure -j $(JOBS) -L 'unit|fuzz'

# Every fuzz target for FUZZ_SECONDS each (default 300), one after the other; prints the runs of each.
fuzz: asan-build
	cd $(ASAN_BUILD) && for target in tests/fuzz/fuzz_*; do \
		SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy bash $(CURDIR)/tests/fuzz/run_fuzzer.sh $$target \
			$(CURDIR)/tests/fuzz/corpus/$${target##*/fuzz_} $(FUZZ_SECONDS) || exit 1; done

bench: build
	cd $(BUILD) && for b in bench/*_bench; do ./$$b; done
	bash bench/present_bench.sh $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
