# Everyday entry points. `make run` and `make test` install the missing
# Debian packages first; on a fresh Debian 12 machine, which has no make,
# ./make.sh run and ./make.sh test install make too.

CMAKE      ?= cmake
CTEST      ?= ctest
JOBS       ?= 2
BUILD      := build
BUILD_ASAN := build-asan
BUILD_FUZZ := build-fuzz
FUZZ_SECONDS ?= 60
DOCUMENT_FUZZ_SECONDS ?= 30
CONVERSION_FUZZ_SECONDS ?= 20
GENERATOR  := -G Ninja

.PHONY: all deps deps-bench configure build test asan fuzz run install package bench clean

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
	$(MAKE) --no-print-directory package-check
	$(MAKE) --no-print-directory asan-run
	$(MAKE) --no-print-directory fuzz-run

# AddressSanitizer and UndefinedBehaviorSanitizer over the engine, the
# calculator core and the command line (the packs run only in the main build).
asan: deps
	$(MAKE) --no-print-directory asan-run

.PHONY: asan-run
asan-run:
	$(CMAKE) -S . -B $(BUILD_ASAN) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DHELMAX_SANITIZE=ON -DHELMAX_GUI=OFF
	$(CMAKE) --build $(BUILD_ASAN) -j$(JOBS)
	UBSAN_OPTIONS=print_stacktrace=1 $(CTEST) --test-dir $(BUILD_ASAN) -L 'engine|app|platform|cli' --output-on-failure -j$(JOBS)

# libFuzzer over the engine (clang++-14, build-fuzz/), FUZZ_SECONDS long,
# then over documents and snapshots read by the calculator's core,
# DOCUMENT_FUZZ_SECONDS long, and over conversion tables,
# CONVERSION_FUZZ_SECONDS long. Each fuzzer works on a copy of its corpus
# (fuzz/corpus, fuzz/document-corpus, fuzz/conversion-corpus) in build-fuzz/, which keeps what it
# finds between runs; crash inputs land in build-fuzz/artifacts (once fixed,
# such an input joins its corpus, which every run starts with). The engine's
# saved false alarms in fuzz/regressions run first, each once.
FUZZ_ENV  := ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
FUZZ_ARGS := -max_len=512 -timeout=10 -rss_limit_mb=2048 -dict=fuzz/engine.dict \
             -artifact_prefix=$(BUILD_FUZZ)/artifacts/

fuzz: deps
	$(MAKE) --no-print-directory fuzz-run

.PHONY: fuzz-run
fuzz-run:
	$(CMAKE) -S . -B $(BUILD_FUZZ) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++-14 -DHELMAX_FUZZ=ON -DHELMAX_TESTS=OFF -DHELMAX_GUI=OFF
	$(CMAKE) --build $(BUILD_FUZZ) -j$(JOBS) --target engine_fuzz document_fuzz conversion_fuzz
	mkdir -p $(BUILD_FUZZ)/corpus $(BUILD_FUZZ)/artifacts
	cp fuzz/corpus/* $(BUILD_FUZZ)/corpus/
	$(FUZZ_ENV) ./$(BUILD_FUZZ)/bin/engine_fuzz $(FUZZ_ARGS) fuzz/regressions/*.txt
	$(FUZZ_ENV) ./$(BUILD_FUZZ)/bin/engine_fuzz $(FUZZ_ARGS) -max_total_time=$(FUZZ_SECONDS) \
	  $(BUILD_FUZZ)/corpus
	mkdir -p $(BUILD_FUZZ)/document-corpus
	cp fuzz/document-corpus/* $(BUILD_FUZZ)/document-corpus/
	$(FUZZ_ENV) ./$(BUILD_FUZZ)/bin/document_fuzz $(FUZZ_ARGS) -max_total_time=$(DOCUMENT_FUZZ_SECONDS) \
	  $(BUILD_FUZZ)/document-corpus
	mkdir -p $(BUILD_FUZZ)/conversion-corpus
	cp fuzz/conversion-corpus/* $(BUILD_FUZZ)/conversion-corpus/
	$(FUZZ_ENV) ./$(BUILD_FUZZ)/bin/conversion_fuzz $(FUZZ_ARGS) -max_total_time=$(CONVERSION_FUZZ_SECONDS) \
	  $(BUILD_FUZZ)/conversion-corpus

# Builds and starts the calculator window.
run: deps configure
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target helmax-calc
	./$(BUILD)/bin/helmax-calc

# Installs helmax-calc, helmax-eval, their data, the desktop entry, the icon,
# the AppStream data, the man pages and the bash completion under PREFIX
# (/usr/local by default; DESTDIR is honoured).
PREFIX ?= /usr/local
install: build
	$(CMAKE) --install $(BUILD) --prefix $(PREFIX)

# The Debian package build/helmax_<version>_amd64.deb (CPack), and its checks:
# lintian, the AppStream validator, both man pages, and the programs run from
# the package's files unpacked into a temporary root.
package: build
	$(MAKE) --no-print-directory package-check

.PHONY: package-check
package-check:
	cd $(BUILD) && cpack -G DEB
	bash scripts/check-package $(BUILD)

bench: deps-bench
	$(CMAKE) -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHELMAX_BENCH=ON
	$(CMAKE) --build $(BUILD) -j$(JOBS) --target engine_bench derivative_bench calculator_bench memory_bench packs_bench typing_bench table_bench numeric_bench \
	  exchange_bench conversion_bench graph_bench distributions_accuracy
	./$(BUILD)/bench/engine_bench
	./$(BUILD)/bench/derivative_bench
	./$(BUILD)/bench/calculator_bench
	./$(BUILD)/bench/memory_bench
	./$(BUILD)/bench/packs_bench
	./$(BUILD)/bench/typing_bench
	./$(BUILD)/bench/table_bench
	./$(BUILD)/bench/numeric_bench
	./$(BUILD)/bench/exchange_bench
	./$(BUILD)/bench/conversion_bench
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/graph_bench
	./$(BUILD)/bench/distributions_accuracy

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
