# make            build (optimised, with debug information) into build/
# make test       install dependencies, build, run every test
# make asan-test  the same with AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
# make gcstress-test  the script cases and the runtime's unit tests with a collection at
#                 every allocation and a heap check after each collection, in build/
# make tsan-test  the test programs that start threads, with ThreadSanitizer, in build-tsan/
# make bench      build the benchmarks optimised and run them
# make fuzz       build the fuzz targets with clang and run each for FUZZ_SECONDS
# make run        build and play the sample game examples/arcade, or examples/EXAMPLE
#                 with EXAMPLE=name (headless for RUN_FRAMES frames without a display)

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 300
RUN_FRAMES ?= 120
EXAMPLE ?= arcade
CMAKE_GEN = -G Ninja
# The checking builds (sanitizers) compile lighter: -O1 as the sanitizers advise, and
# line tables only, which is all their reports need.
# They build no benchmarks, and compile each library and test program in batches of
# sources (unity builds), which spares most of the repeated header parsing.
CHECK_CONFIG = -DHALVORINE_BENCH=OFF -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=$(UNITY_BATCH) \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
UNITY_BATCH ?= 8

# The test programs whose tests start threads, and their ctest labels. The programs
# that open real SDL windows under a virtual display are left out: the display
# libraries they drive are not instrumented.
TSAN_TESTS = test_platform_win test_platform_audio test_platform_gpu test_media_base test_media_file test_media_graphics test_media_input test_media_sound test_media_system test_media_movie test_media_graphics_d3d9 test_platform_dshow test_media_dshow
TSAN_LABELS = ^(platform/win|platform/audio|platform/gpu|media/base|media/file|media/graphics|media/graphics/d3d9|media/input|media/sound|media/system|media/movie|platform/dshow|media/dshow)$$
# Tests that start no threads of their own and push every pixel through the GPU
# stand-in's shader or span arithmetic, which runs a hundred times slower under the
# thread checker; the ordinary and address-checking builds run them.
TSAN_SKIP = _display$$|^D3D9Mask\.|^D3D9Filter\.|OverEveryByte$$|OnEveryColour$$|^ShaderSpan\.EverySpanForm|^ShaderSpan\.MonoFixedSteps

.PHONY: all build deps format-check test check asan-test asan-build asan-check tsan-test tsan-build tsan-check \
        gcstress-test gcstress-build gcstress-check bench fuzz run clean

all: build

deps:
	bash scripts/install-deps.sh

build/build.ninja:
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: build/build.ninja
	cmake --build build -j $(JOBS)

format-check: deps
	bash scripts/check-format.sh

# Each test stage is a build half and a test half, so scripts/ci-times.sh can time them apart.
test: deps
	$(MAKE) format-check
	$(MAKE) build
	$(MAKE) check

check:
	cd build && ctest --output-on-failure -j $(JOBS)

asan-test: deps
	$(MAKE) asan-build
	$(MAKE) asan-check

asan-build:
	cmake -S . -B build-asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORINE_SANITIZE=ON $(CHECK_CONFIG)
	cmake --build build-asan -j $(JOBS)

asan-check:
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/platform/win/display/lsan.supp \
	  ctest --output-on-failure -j $(JOBS) -LE '^whole$$'

# A report fails the test that made it. Libraries the checker cannot see into are
# listed in tests/tsan/tsan.supp.
tsan-test: deps
	$(MAKE) tsan-build
	$(MAKE) tsan-check

tsan-build:
	cmake -S . -B build-tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORINE_TSAN=ON $(CHECK_CONFIG)
	cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS)

tsan-check:
	cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan/tsan.supp" \
	  ctest --output-on-failure -j $(JOBS) -L '$(TSAN_LABELS)' -E '$(TSAN_SKIP)'

# The script cases and the runtime's unit tests, every part of the interpreter the
# collector must see, on the ordinary build with a collection at every allocation and
# a heap check after each (a run-time switch, so no build of its own). The runs with a
# player typing are left out, as they drive the same interpreter as the plain runs, and
# so are the benchmark scripts' output checks, which would take hours so.
gcstress-test: deps
	$(MAKE) gcstress-build
	$(MAKE) gcstress-check

gcstress-build: build/build.ninja
	cmake --build build -j $(JOBS) --target halvorine script_runner \
	  test_runtime_vm test_runtime_compiler test_runtime_library

gcstress-check:
	cd build && HALVORINE_GC_STRESS=1 ctest --output-on-failure -j $(JOBS) -L "^scripts$$|^runtime/" -E "^case_typed[.]|^script_bench_results$$"

bench: deps
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS)
	bench/run build-bench

fuzz: deps
	cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORINE_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS)
	bash scripts/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

# The game runs in a copy under build/, so its log stays out of the sources; the copy
# is refreshed, not replaced, so a save file (the arcade game's high score) is kept.
run: deps
	$(MAKE) build
	mkdir -p build/examples/$(EXAMPLE) && cp -r examples/$(EXAMPLE)/. build/examples/$(EXAMPLE)/
	cd build/examples/$(EXAMPLE) && if [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	  ../../runtime/library/halvorine; \
	else \
	  echo "no display: running headless for $(RUN_FRAMES) frames"; \
	  HALVORINE_HEADLESS=1 HALVORINE_FRAMES=$(RUN_FRAMES) ../../runtime/library/halvorine; \
	fi

clean:
	rm -rf build build-asan build-tsan build-bench build-fuzz
