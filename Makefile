# Top-level entry points; see README.md.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: deps configure build run test sanitize bench fuzz format format-check naming-check clean

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

run: build
	@cd $(BUILD) && ./tandorel

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# (no benchmarks), in a build folder of its own.
SANITIZE_BUILD ?= build-sanitize
sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDOREL_SANITIZE=ON \
	  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS) -- --no-print-directory
	@cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

# Open-ended fuzzing with libFuzzer (clang); FUZZ_TIME seconds per harness,
# 1 s and 2 GB at most per input. New inputs collect in $(FUZZ_BUILD)/corpus.
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME  ?= 600
fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDOREL_FUZZ=ON >/dev/null
	@for h in fuzz/fuzz_*.cpp; do n=$$(basename $$h .cpp); \
	  cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $$n -- --no-print-directory && \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$n && \
	  $(FUZZ_BUILD)/fuzz/$$n -timeout=1 -rss_limit_mb=2048 -max_total_time=$(FUZZ_TIME) $(FUZZ_BUILD)/corpus/$$n fuzz/corpus/$$n || exit 1; \
	done

# The tree's one code style (.clang-format), applied or checked.
format: deps
	@git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 -i

format-check: deps
	@scripts/check-format.sh

# The naming rule of .clang-tidy over shell/ and tools/.
naming-check: configure
	@scripts/check-naming.sh $(BUILD)

clean:
	@rm -rf $(BUILD) $(SANITIZE_BUILD)
