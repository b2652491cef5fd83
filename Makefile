# Everyday entry points. A fresh Debian 12 machine needs only `make run` or
# `make test`: both install the missing packages first.

CMAKE      ?= cmake
CTEST      ?= ctest
JOBS       ?= 2
BUILD      := build
BUILD_ASAN := build-asan
GENERATOR  := -G Ninja

.PHONY: all deps deps-bench configure build test asan run bench clean

all: build

deps:
	bash scripts/install-deps

deps-bench:
	bash scripts/install-deps --bench

# The main build folder is optimised (-O2 with debug information); the
# benchmarks are built in it too, so that they sit in build/bench.
configure:
	$(CMAKE) -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps configure
	$(CMAKE) --build $(BUILD) -j$(JOBS)

test: build
	$(CTEST) --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	$(MAKE) --no-print-directory asan-run

# AddressSanitizer and UndefinedBehaviorSanitizer over the engine tests.
asan: deps
	$(MAKE) --no-print-directory asan-run

.PHONY: asan-run
asan-run:
	$(CMAKE) -S . -B $(BUILD_ASAN) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DHELMAX_SANITIZE=ON
	$(CMAKE) --build $(BUILD_ASAN) -j$(JOBS)
	UBSAN_OPTIONS=print_stacktrace=1 $(CTEST) --test-dir $(BUILD_ASAN) -L engine --output-on-failure -j$(JOBS)

# Until the calculator window exists: the command-line evaluator, reading
# expressions from standard input, one list per line.
run: deps configure
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target helmax-eval
	./$(BUILD)/bin/helmax-eval

bench: deps-bench
	$(CMAKE) -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHELMAX_BENCH=ON
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target engine_bench
	./$(BUILD)/bench/engine_bench

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) build-bench
