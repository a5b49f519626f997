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

screenshot: build
	@tools/install-deps screenshot
	tools/screenshot $(BUILD)/zol docs/screenshot.png

# Debian's Pillow belongs to the system's Python, whatever else is first on PATH.
art:
	@tools/install-deps art
	/usr/bin/python3 tools/make_art.py
