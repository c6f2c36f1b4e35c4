# Quick start on a fresh Debian machine:
#   make run    install what building and running need, build, and play the
#               show (without a display: record it to vorn.mp4)
#   make test   install that and the test tools, build, and run every test
#   make package  build the Debian package build/vorn_<version>_<arch>.deb
BUILD ?= build
# The package is built in a folder of its own (see packaging/CMakeLists.txt).
PACKAGE_BUILD ?= $(BUILD)/package
WEB_BUILD ?= build-web
JOBS ?= 2
ARGS ?=
# No "Entering directory" lines from the makes that CMake starts.
MAKEFLAGS += --no-print-directory

.PHONY: all deps web-deps test-deps package-deps configure build run test bench package clean web serve-web bench-web web-if-possible

all: build

deps:
	@scripts/install-deps

web-deps:
	@scripts/install-deps --web

test-deps:
	@scripts/install-deps --test

package-deps:
	@scripts/install-deps --package

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

# Debian's build flags (hardening, no build paths in the objects; CMake reads
# no CPPFLAGS, so they go with the compiler flags), installed under /usr in
# Debian's layout for games, then CPack's DEB generator with the dependencies
# dpkg-shlibdeps finds.
package: package-deps
	@test -f $(PACKAGE_BUILD)/CMakeCache.txt || { \
		export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
		cppflags=$$(dpkg-buildflags --get CPPFLAGS); \
		CFLAGS="$$(dpkg-buildflags --get CFLAGS) $$cppflags" \
		CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$cppflags" \
		LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
		cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
			-DVORN_DEBIAN_PACKAGE=ON -DVORN_TESTS=OFF -DVORN_BENCH=OFF; }
	cmake --build $(PACKAGE_BUILD) -j$(JOBS)
	rm -f $(PACKAGE_BUILD)/vorn_*.deb
	cd $(PACKAGE_BUILD) && cpack -G DEB >/dev/null
	mv $(PACKAGE_BUILD)/vorn_*.deb $(BUILD)/
	@ls $(BUILD)/vorn_*.deb

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
