# Quick start on a fresh Debian machine:
#   make run    install what building and running need, build, and play the
#               show (without a display: record it to vorn.mp4)
#   make test   install that and the test tools, build, and run every test
BUILD ?= build
WEB_BUILD ?= build-web
JOBS ?= 2
ARGS ?=
# No "Entering directory" lines from the makes that CMake starts.
MAKEFLAGS += --no-print-directory

.PHONY: all deps web-deps test-deps configure build run test bench clean web serve-web bench-web web-if-possible

all: build

deps:
	@scripts/install-deps

web-deps:
	@scripts/install-deps --web

test-deps:
	@scripts/install-deps --test

configure: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: configure
	cmake --build $(BUILD) --target vorn -j$(JOBS)
	$(BUILD)/vorn --or-record vorn.mp4 $(ARGS)

# Configured again so that test libraries installed since the first
# configure (make run installs none) are found.
test: test-deps configure
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) -j$(JOBS)
	$(MAKE) --no-print-directory web-if-possible
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j$(JOBS)

bench: test-deps configure
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) --target vorn-bench -j$(JOBS)
	$(BUILD)/bench/vorn-bench

# The show as a static web site in $(WEB_BUILD)/site: libxmp from Debian's
# source package and our portable folders compiled with emscripten, plus the
# data files the native build generates.
web: web-deps configure
	cmake --build $(BUILD) --target data -j$(JOBS)
	JOBS=$(JOBS) web/build-libxmp $(WEB_BUILD)/libxmp
	@test -f $(WEB_BUILD)/CMakeCache.txt || NODE_PATH=/usr/share/nodejs emcmake cmake -S web -B $(WEB_BUILD) \
		-DVORN_DATA_DIR=$(abspath $(BUILD))/data -DVORN_XMP_DIR=$(abspath $(WEB_BUILD))/libxmp
	NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD) -j$(JOBS)
	@du -sh $(WEB_BUILD)/site

# Without emscripten the web tests are skipped (and say so).
web-if-possible: configure
	@if command -v emcc >/dev/null 2>&1; then $(MAKE) --no-print-directory web; \
	else echo "emscripten is missing: the web tests will be skipped"; fi

serve-web: web
	node web/serve.mjs $(WEB_BUILD)/site $(or $(PORT),8070)

# Each scene's frame time in Chromium against the native build.
bench-web: web
	cmake --build $(BUILD) --target web_reference -j$(JOBS)
	node web/bench.mjs $(WEB_BUILD)/site $(BUILD)

clean:
	rm -rf $(BUILD) $(WEB_BUILD)
