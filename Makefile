# make            build (optimised, with debug information) into build/
# make test       install dependencies, build, run every test
# make asan-test  the same with AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
# make bench      build the benchmarks optimised and run them
# make fuzz       build the fuzz targets with clang and run each for FUZZ_SECONDS
# make run        build and play the sample game examples/hello (headless for
#                 RUN_FRAMES frames when there is no display)

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 300
RUN_FRAMES ?= 120
CMAKE_GEN = -G Ninja

.PHONY: all build deps test asan-test bench fuzz run clean

all: build

deps:
	bash scripts/install-deps.sh

build/build.ninja:
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: build/build.ninja
	cmake --build build -j $(JOBS)

test: deps
	$(MAKE) build
	cd build && ctest --output-on-failure -j $(JOBS)

asan-test: deps
	cmake -S . -B build-asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORINE_SANITIZE=ON -DHALVORINE_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/platform/win/display/lsan.supp \
	  ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build-bench $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS)
	bench/run build-bench

fuzz: deps
	cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVORINE_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS)
	bash scripts/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

# The game runs in a copy under build/, so its log stays out of the sources.
run: deps
	$(MAKE) build
	rm -rf build/hello && cp -r examples/hello build/hello
	cd build/hello && if [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	  ../runtime/library/halvorine; \
	else \
	  echo "no display: running headless for $(RUN_FRAMES) frames"; \
	  HALVORINE_HEADLESS=1 HALVORINE_FRAMES=$(RUN_FRAMES) ../runtime/library/halvorine; \
	fi

clean:
	rm -rf build build-asan build-bench build-fuzz
