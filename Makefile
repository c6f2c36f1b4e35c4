# Quick start on a fresh Debian machine:
#   make run    install what is missing, build, and play the show (without a
#               display: record it to vorn.mp4)
#   make test   install what is missing, build, and run every test
BUILD ?= build
JOBS ?= 2
ARGS ?=

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: configure
	cmake --build $(BUILD) --target vorn -j$(JOBS)
	$(BUILD)/driver/vorn --or-record vorn.mp4 $(ARGS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

bench: build
	$(BUILD)/bench/vorn-bench

clean:
	rm -rf $(BUILD)
