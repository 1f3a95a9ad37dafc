# Two commands for a new machine: `make test` and `make run`. Both install
# the Debian packages that are missing, configure and build with CMake.
# Compiler warnings are errors in `make test`, `make sanitize` and `make tsan`
# (as in CI), not in `make build` and `make run`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
WERROR ?= OFF

.PHONY: all deps build test run clean

all: build

deps:
	@tools/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLEANWORK_WERROR=$(WERROR)
	cmake --build $(BUILD_DIR) -j$(JOBS)

test: WERROR = ON
test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

run: build
	@tools/run-gleanwork $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)

# Sanitizer and fuzz builds, with clang. `make sanitize` runs every test with
# AddressSanitizer and UndefinedBehaviorSanitizer (any finding fails it),
# `make tsan` the tests that involve run threads with ThreadSanitizer, and
# `make fuzz` runs every fuzz target for FUZZ_SECONDS seconds.
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
FUZZ_SECONDS ?= 60
TSAN_TARGETS = core_tests WindowScenariosTest
TSAN_TESTS = ^PipelineTest\.AStop|^StreamRunLog\.|^Engines/DatabaseRunTest\.AStopEnds|^RunThreads\.|^HttpConcurrency\.|^AgentEngineTest\.|^WindowScenariosTest$$
SANITIZER_CMAKE = CC=clang CXX=clang++ cmake -S . -DCMAKE_BUILD_TYPE=Debug -DGLEANWORK_WERROR=ON \
	"-DCMAKE_CXX_FLAGS_DEBUG=-O1 -gline-tables-only"
ASAN_ENV = ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1 \
	UBSAN_OPTIONS=print_stacktrace=1
TSAN_ENV = TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/cmake/tsan-suppressions.txt

.PHONY: sanitize tsan fuzz

sanitize: deps
	$(SANITIZER_CMAKE) -B $(ASAN_DIR) -DGLEANWORK_SANITIZE=address
	cmake --build $(ASAN_DIR) -j$(JOBS)
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen $(ASAN_ENV) \
		ctest --output-on-failure -j$(JOBS) -E '^install_layout$$'

tsan: deps
	$(SANITIZER_CMAKE) -B $(TSAN_DIR) -DGLEANWORK_SANITIZE=thread
	cmake --build $(TSAN_DIR) -j$(JOBS) --target $(TSAN_TARGETS)
	cd $(TSAN_DIR) && QT_QPA_PLATFORM=offscreen $(TSAN_ENV) \
		ctest --output-on-failure -j$(JOBS) --no-tests=error -R '$(TSAN_TESTS)'

fuzz: deps
	PARALLEL=$(JOBS) tests/fuzz/run $(FUZZ_SECONDS)
