# Thin wrapper around CMake: `make run` and `make test` do everything on a
# fresh Debian machine (packages, configure, build).

BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run test install sanitize fuzz bench clean

all: build

deps:
	./scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/kvt-configurator

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	./scripts/install-deps.sh --all
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVT_SANITIZE=ON \
	    -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (clang), built optimised with ASan and UBSan, and
# their seed corpora in build-fuzz/corpus.
fuzz:
	./scripts/install-deps.sh --all
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVT_FUZZ=ON \
	    -DKVT_TESTS=OFF -DKVT_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS) --target fuzz_load fuzz_zone kvt
	fuzz/make-corpus.sh build-fuzz/src/cli/kvt build-fuzz/corpus

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done
	@bench/fleet.sh $(BUILD)/src/cli/kvt

clean:
	rm -rf $(BUILD) build-asan build-fuzz
