# Two commands for a new machine: `make test` and `make run`. Both install
# the Debian packages that are missing, configure and build with CMake.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps build test run clean

all: build

deps:
	@tools/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j$(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

run: build
	@tools/run-gleanwork $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
