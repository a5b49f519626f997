# The two commands a newcomer needs: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps screenshot art

build:
	@tools/install-deps build
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ]; then \
	  echo "make run: there is no display (DISPLAY is not set); run it on a desktop, or try 'make screenshot'."; \
	  exit 1; \
	fi
	$(BUILD)/zol

test:
	@tools/install-deps test
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitized
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)

screenshot: build
	@tools/install-deps screenshot
	tools/screenshot $(BUILD)/zol docs/screenshot.png
	tools/screenshot $(BUILD)/zol docs/screenshot@2x.png 192

# Debian's Pillow belongs to the system's Python, whatever else is first on PATH.
art:
	@tools/install-deps art
	/usr/bin/python3 tools/make_art.py

# Figures against the floor and an SDL2 peer, in a private Xvfb; a few minutes.
# Writes bench/results.md. Not a test: it asserts no timing. BENCH_ARGS go to
# the harness (--rounds N, --dpi D, --compare NAME=PATH: see bench/harness.cc).
.PHONY: bench
bench:
	@tools/install-deps bench
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZOL_BENCH=ON >/dev/null
	@cmake --build build-bench -j $(JOBS) --target zol_bench zol_convert_bench
	build-bench/bench/zol_bench $(BENCH_ARGS) bench/results.md
	build-bench/bench/zol_convert_bench
	@$(MAKE) --no-print-directory bench-windows

# Zol.exe idle under wine, with no pad and with a still one; appended to
# bench/results.md.
.PHONY: bench-windows
bench-windows:
	@tools/install-deps windows
	@$(WIN_CONFIGURE)
	@cmake --build $(WIN_BUILD) -j $(JOBS) --target zol zol_xinput_script
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZOL_BENCH=ON -DZOL_WINDOWS_BUILD=$(CURDIR)/$(WIN_BUILD) >/dev/null
	@cmake --build build-bench -j $(JOBS) --target zol_wine_idle
	@$(MAKE_WINE_PREFIX)
	build-bench/bench/zol_wine_idle bench/results.md

# Windows: Zol.exe cross-built with mingw-w64, and its tests under wine: the
# unit tests in the cross build, then the file itself and the menu in Xvfb
# from a native helper build. Wine runs in a prefix of its own under
# $(WIN_BUILD), made once; its server is ended at the end, pass or fail.
WIN_BUILD ?= build-win
WIN_HOST ?= build-winhost
WINE_ENV = env -u DISPLAY WINEPREFIX=$(CURDIR)/$(WIN_BUILD)/wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
MAKE_WINE_PREFIX = [ -f $(WIN_BUILD)/wine/system.reg ] || { echo "Making the wine prefix $(WIN_BUILD)/wine"; mkdir -p $(WIN_BUILD); \
	  $(WINE_ENV) wineboot -i >/dev/null 2>&1; }
WIN_CONFIGURE = cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=tools/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null

.PHONY: windows test-windows wine-host
windows:
	@tools/install-deps cross
	@$(WIN_CONFIGURE)
	@cmake --build $(WIN_BUILD) -j $(JOBS) --target zol

test-windows:
	@tools/install-deps windows
	@$(WIN_CONFIGURE)
	@cmake --build $(WIN_BUILD) -j $(JOBS)
	@$(MAKE) --no-print-directory wine-host
	@status=0; \
	(cd $(WIN_BUILD) && ctest --output-on-failure -j $(JOBS)) || status=1; \
	$(WINE_ENV) wineserver -k 2>/dev/null; $(WINE_ENV) wineserver -w; \
	(cd $(WIN_HOST) && ctest --output-on-failure -L windows) || status=1; \
	$(WINE_ENV) wineserver -k 2>/dev/null; $(WINE_ENV) wineserver -w; \
	exit $$status

# The native helper that drives a Zol.exe under wine in Xvfb, and the prefix.
wine-host:
	@cmake -S . -B $(WIN_HOST) -DCMAKE_BUILD_TYPE=Release -DZOL_WINDOWS_BUILD=$(CURDIR)/$(WIN_BUILD) >/dev/null
	@cmake --build $(WIN_HOST) -j $(JOBS) --target zol_windows_tests
	@$(MAKE_WINE_PREFIX)

# Hardening. The tests again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer: any report fails, leaks included. And the
# picture decoders under libFuzzer for FUZZ_SECONDS each; `make test` gives
# them TEST_FUZZ_SECONDS.
SAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
TEST_FUZZ_SECONDS ?= 15

.PHONY: test-sanitized fuzz
test-sanitized:
	@tools/install-deps test
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOL_SANITIZE=address,undefined >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	tests/run-sanitized $(SAN_BUILD) $(JOBS)

fuzz:
	@tools/install-deps fuzz
	@cmake -S tests/fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	tests/fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Releases: both archives and their checksums in dist/, built from a clean
# configure in $(DIST_BUILD); the same bytes from every build of a commit,
# signed when ZOL_SIGN_* name the keys (see the README). verify-dist checks a
# release in $(DIST_DIR) against a build of this checkout in $(VERIFY_BUILD),
# an unsigned one with UNSIGNED=1. test-dist builds them twice from two
# clones of HEAD and compares, signs with throwaway keys, tampers with them,
# runs the signed Zol.exe under wine, and has install-deps wait for apt.
DIST_BUILD ?= build-dist
DIST_DIR ?= dist
VERIFY_BUILD ?= build-verify

.PHONY: dist verify-dist test-dist
dist:
	@tools/install-deps dist
	tools/dist $(DIST_BUILD) dist $(JOBS)

verify-dist:
	@tools/install-deps dist
	tools/verify-dist $(if $(UNSIGNED),--unsigned) $(DIST_DIR) $(VERIFY_BUILD) $(JOBS)

test-dist:
	@tools/install-deps windows
	@tools/install-deps dist
	@$(MAKE) --no-print-directory wine-host
	tests/tools/install-deps
	tests/dist/run $(JOBS) $(WIN_BUILD) $(WIN_HOST)
