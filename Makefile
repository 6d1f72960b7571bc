# Thin front door over CMake; ./quz.sh installs make and everything else first on a bare Debian 12.
#   make run [ARGS=-windowed]   build only the game and its data, then start it from this folder
#   make check                  every test, then the unit tests again under ASan + UBSan
#   make package                the Debian packages, build/quz_<version>_<arch>.deb and quz-server_...
#   make install [PREFIX=...]   install into PREFIX (default /usr/local)
#   make bench-scale            leaderboard reads with 10,000,000 scores on both back ends (minutes; disk)
#   make fresh-root             the whole check in a throwaway Debian 12 root (needs root and the archive)
#   make open-replay-root       the game's package installed by apt in a bare Debian 12 root, a replay file
#                               opened there as a file manager does (needs root and the archive)
#   make windows                the Windows zip, build-windows/quz-<version>-windows-x64.zip (cross-built)
#   QUZ_WINDOWS=0 make check    the same check without the Windows build and its tests under Wine
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
WINDOWS_BUILD ?= build-windows
# The test command builds for Windows and runs those tests under Wine too; QUZ_WINDOWS=0 skips it.
QUZ_WINDOWS ?= 1
export QUZ_WINDOWS
PREFIX ?= /usr/local
# ccache, when present, makes rebuilds in other checkouts cheap; the build is the same without it.
LAUNCHER := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

FUZZ_SECONDS ?= 300

.PHONY: deps configure game server build run check test asan asan-build fuzz bench bench-scale package install fresh-root format clean \
	windows windows-check open-replay-root

deps:
	@bash tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER)

game: configure
	cmake --build $(BUILD) -j $(JOBS) --target quz

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: game
	@echo "Starting $(BUILD)/quz $(ARGS) (F12 quits, F9 switches full screen and window; settings: quz.ini in $(CURDIR), else ~/.config/quz/quz.ini)"
	@[ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ] || echo "Note: no DISPLAY or WAYLAND_DISPLAY is set; the game needs a graphical session."
	./$(BUILD)/quz $(ARGS)

# Every test, headless, then the unit tests again under AddressSanitizer and UBSan, and a short run of
# every fuzz target. One clang build serves both: the fuzzers need clang's libFuzzer. Then the Windows
# build's tests under Wine, unless QUZ_WINDOWS=0. tools/check.sh makes the sanitizer and Windows builds
# at low priority while the native tests run.
check: deps
	bash tools/check.sh $(BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD) $(JOBS)

test: build
	cd $(BUILD) && bash $(CURDIR)/tests/private_loopback.sh ctest --output-on-failure -j $(JOBS)

asan-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUZ_FUZZ=ON -DQUZ_BUILD_BENCH=OFF $(LAUNCHER)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

asan: asan-build
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		bash $(CURDIR)/tests/private_loopback.sh ctest --output-on-failure -j $(JOBS) -L 'unit|fuzz'

# Every fuzz target for FUZZ_SECONDS each (default 300), one after the other; prints the runs of each.
fuzz: asan-build
	cd $(ASAN_BUILD) && for target in tests/fuzz/fuzz_*; do \
		SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy bash $(CURDIR)/tests/fuzz/run_fuzzer.sh $$target \
			$(CURDIR)/tests/fuzz/corpus/$${target##*/fuzz_} $(FUZZ_SECONDS) || exit 1; done

bench: build
	cd $(BUILD) && for b in bench/*_bench; do ./$$b; done
	bash bench/present_bench.sh $(BUILD)

# SCALE_SCORES (default 10 million) scores made by tools/make_scores.sh in $(BUILD)/scale, timed before
# and after the schema upgrade when SCALE_BEFORE=1 (the old query takes seconds a request there).
SCALE_SCORES ?= 10000000
bench-scale: build
	mkdir -p $(BUILD)/scale
	cd $(BUILD) && QUZ_SCALE_SCORES=$(SCALE_SCORES) $(if $(SCALE_BEFORE),QUZ_SCALE_BEFORE=1) ./bench/leaderboard_scale scale

# The score server's package also carries quz-verify.
server: configure
	cmake --build $(BUILD) -j $(JOBS) --target quz-scored quz-verify

package: game server
	cd $(BUILD) && cpack -G DEB
	@ls -l $(BUILD)/quz_*.deb $(BUILD)/quz-server_*.deb

install: game
	cmake --install $(BUILD) --prefix $(PREFIX)

# The cross-built libraries are kept in /var/cache/quz-windows (else ~/.cache/quz-windows; QUZ_WINDOWS_CACHE
# chooses), keyed by their versions: only the first build on a machine makes them.
windows: configure
	@bash tools/install-windows-deps.sh
	cmake --build $(BUILD) -j $(JOBS) --target assets
	bash tools/windows/build.sh $(BUILD) $(WINDOWS_BUILD) $(JOBS)

windows-check: windows
	cd $(WINDOWS_BUILD) && ctest --output-on-failure -j $(JOBS)

fresh-root:
	@if [ "$$(id -u)" -eq 0 ]; then bash tools/fresh_root.sh; else sudo bash tools/fresh_root.sh; fi

# OPEN_REPLAY_DIR (default: a new folder under /var/tmp) keeps the logs, screenshots, times and proof.
open-replay-root: package
	@deb=$(BUILD)/quz_$$(bash tools/project_version.sh)_$$(dpkg --print-architecture).deb; \
	set -- $(if $(OPEN_REPLAY_DIR),--dir $(OPEN_REPLAY_DIR)) "$$deb" $(BUILD)/tools/verify/quz-verify; \
	if [ "$$(id -u)" -eq 0 ]; then bash tools/open_replay_root.sh "$$@"; else sudo bash tools/open_replay_root.sh "$$@"; fi

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WINDOWS_BUILD)
