# Quick start on a fresh Debian machine:
#   make run    install what building and running need, build, and play the
#               show (without a display: record it to vorn.mp4)
#   make test   install that and the test tools, build, and run every test
BUILD ?= build
JOBS ?= 2
ARGS ?=

.PHONY: all deps test-deps configure build run test bench clean

all: build

deps:
	@scripts/install-deps

test-deps:
	@scripts/install-deps --test

configure: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: configure
	cmake --build $(BUILD) --target vorn -j$(JOBS)
	$(BUILD)/driver/vorn --or-record vorn.mp4 $(ARGS)

# Configured again so that test libraries installed since the first
# configure (make run installs none) are found.
test: test-deps configure
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) -j$(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure --no-tests=error -j$(JOBS)

bench: test-deps configure
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) --target vorn-bench -j$(JOBS)
	$(BUILD)/bench/vorn-bench

clean:
	rm -rf $(BUILD)
