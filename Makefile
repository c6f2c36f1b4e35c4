# Quick start on a fresh Debian machine:
#   make run    install what is missing, build, and play the show
#   make test   install what is missing, build, and run every test
BUILD ?= build
WEB_BUILD ?= build-web
JOBS ?= 2
ARGS ?=

.PHONY: all deps configure build run test bench clean web serve-web bench-web web-if-possible

all: build

deps:
	@scripts/install-deps

configure: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: configure
	cmake --build $(BUILD) --target vorn -j$(JOBS)
	$(BUILD)/driver/vorn $(ARGS)

test: build web-if-possible
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

bench: build
	$(BUILD)/bench/vorn-bench

# The show as a static web site in $(WEB_BUILD)/site: libxmp from Debian's
# source package and our portable folders compiled with emscripten, plus the
# data files the native build generates.
web: configure
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
