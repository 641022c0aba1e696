# Loopsmith: build, run and test. Every target installs what is missing first.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all setup configure build run test bench clean

all: build

setup:
	@bash tools/setup.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake -DCMAKE_BUILD_TYPE=Release

configure: setup $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	bash tools/run.sh $(BUILD)

test: build
	bash tools/test.sh $(BUILD)

bench: build
	bash tools/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
