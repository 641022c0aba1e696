# Loopsmith: build, run and test. Every target installs what is missing first.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: all setup configure build run test bench package clean

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

# The tests install and uninstall the package, so it is built first.
test: package
	bash tools/test.sh $(BUILD)

package: build
	bash tools/package.sh $(BUILD)

bench: build
	bash tools/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
