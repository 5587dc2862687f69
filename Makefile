# The two commands of the README, and the builds behind them.
#   make run     build the Windows programs and show them under Wine (scripts/run.sh)
#   make test    build both trees and run every test
#   make bench   build the benchmarks (optimised, no sanitizers) and run them
#   make soak    the long runs of the program (thousands of photos, hundreds of kills)
#   make installer  the setup program DelmHalvoSetup.exe, from a Release build
BUILD   ?= build
WINDOWS := $(BUILD)/windows
NATIVE  := $(BUILD)/native
BENCH   := $(BUILD)/bench
RELEASE := $(BUILD)/release
JOBS    ?= $(shell nproc)

.PHONY: setup windows native run test test-native test-windows soak bench installer clean

setup:
	@scripts/setup.sh

$(WINDOWS)/build.ninja:
	cmake -S . -B $(WINDOWS) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

$(NATIVE)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(NATIVE) -G Ninja

windows: setup $(WINDOWS)/build.ninja
	cmake --build $(WINDOWS) -j $(JOBS)

native: setup $(NATIVE)/build.ninja
	cmake --build $(NATIVE) -j $(JOBS)

# Only what the demo runs: the programs, the components, the simulated driver and the tour.
run: setup $(WINDOWS)/build.ninja
	cmake --build $(WINDOWS) -j $(JOBS) --target demo_tour
	scripts/run.sh $(WINDOWS)

test-native: native
	ctest --test-dir $(NATIVE) -j $(JOBS) --output-on-failure

test-windows: windows
	ctest --test-dir $(WINDOWS) -j $(JOBS) --output-on-failure -LE soak

# Long runs of the program (not part of make test).
soak: windows
	ctest --test-dir $(WINDOWS) --output-on-failure -L soak

test: setup
	$(MAKE) --no-print-directory test-native
	$(MAKE) --no-print-directory test-windows

bench: setup
	CC=clang CXX=clang++ cmake -S . -B $(BENCH)/native -G Ninja -DCMAKE_BUILD_TYPE=Release -DDH_SANITIZE=OFF -DDH_BENCHMARKS=ON
	cmake --build $(BENCH)/native -j $(JOBS)
	cmake -S . -B $(BENCH)/windows -G Ninja -DCMAKE_BUILD_TYPE=Release -DDH_BENCHMARKS=ON \
	      -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build $(BENCH)/windows -j $(JOBS)
	scripts/bench.sh $(BENCH)

installer: setup
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build $(RELEASE) -j $(JOBS) --target installer
	@echo "installer: $(RELEASE)/DelmHalvoSetup.exe"

clean:
	rm -rf $(BUILD)
