# Thin wrapper around CMake. make itself installs nothing: on a fresh Debian
# machine, ./make.sh TARGET first installs the packages TARGET needs
# (scripts/install-deps.sh), then runs make TARGET.

BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
PACKAGE_BUILD ?= build-package

.PHONY: all configure build run test install bench sanitize fuzz package check-package clean

all: build

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/src/app/kvt-configurator

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

install: build
	cmake --install $(BUILD)

# Turns the benchmarks on in $(BUILD) (-DKVT_BENCH=ON), builds, runs them.
bench: configure
	cmake -S . -B $(BUILD) -DKVT_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	@for b in $(BUILD)/bench/bench_*; do if [ -x "$$b" ]; then "$$b" || exit 1; fi; done
	@bench/fleet.sh $(BUILD)/src/cli/kvt

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVT_SANITIZE=ON \
	    -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (clang), built optimised with ASan and UBSan, and
# their seed corpora in build-fuzz/corpus.
fuzz:
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVT_FUZZ=ON \
	    -DKVT_TESTS=OFF -DKVT_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS) --target fuzz_load fuzz_zone kvt
	fuzz/make-corpus.sh build-fuzz/src/cli/kvt build-fuzz/corpus

# The Debian packages in $(PACKAGE_BUILD): an optimised build with Debian's
# hardening flags, without tests and benchmarks, for /usr.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
package:
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_INSTALL_PREFIX=/usr -DKVT_TESTS=OFF -DKVT_BENCH=OFF \
	    -DCMAKE_CXX_FLAGS="$(shell $(DEB_FLAGS) CXXFLAGS) $(shell $(DEB_FLAGS) CPPFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$(shell $(DEB_FLAGS) LDFLAGS)"
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack
	@ls $(PACKAGE_BUILD)/*.deb

# Installs the packages in a pristine Debian 12 chroot and removes them
# again (needs root; see scripts/check-package.sh).
check-package: package
	scripts/check-package.sh $(PACKAGE_BUILD)/*.deb

clean:
	rm -rf $(BUILD) build-asan build-fuzz $(PACKAGE_BUILD)
