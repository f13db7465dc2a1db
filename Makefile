# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 30

WINDOWS_DIR ?= build-windows
WINDOWS_BUILD_TYPE ?= Release
CCACHE_FLAGS := $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: deps configure build test run fuzz bench screenshots screenshots-windows install clean windows test-windows dist tidy

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# Only the two programs: a newcomer who wants the window needn't wait for the tests.
run: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target kraxmanager kraxctl
	@scripts/run-window $(BUILD_DIR)

# clang-tidy's checks (.clang-tidy) on every source file the build compiles.
tidy: configure
	@scripts/check-tidy $(BUILD_DIR) --all

bench: build
	@scripts/run-benchmarks $(BUILD_DIR)

screenshots: build
	@scripts/screenshots $(BUILD_DIR)

# Fuzz targets: clang with libFuzzer and AddressSanitizer, each run for FUZZ_SECONDS.
fuzz: deps
	@cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRAX_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_CXX_FLAGS="-fsanitize=address,fuzzer-no-link -g" >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)
	@scripts/run-fuzzers $(FUZZ_DIR) $(FUZZ_SECONDS)

# kraxctl.exe and the test programs, cross-built with mingw-w64 (static: no DLL needed).
# The window links a static Qt built once from Debian's source into a cache outside the clone
# (scripts/setup-windows-qt; about half an hour the first time).
WINDOWS_QT = $(shell scripts/setup-windows-qt --prefix)
windows: deps
	@scripts/setup-windows-deps $(WINDOWS_DIR)/deps
	@scripts/setup-windows-qt
	@cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
	  -DKRAX_WINDOWS_DEPS=$(abspath $(WINDOWS_DIR))/deps -DCMAKE_BUILD_TYPE=$(WINDOWS_BUILD_TYPE) \
	  -DKRAX_WINDOWS_QT=$(WINDOWS_QT) -DKRAX_BUILD_UI=ON -DKRAX_BUILD_BENCH=OFF $(CCACHE_FLAGS) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(WINDOWS_DIR) -j $(JOBS)

# The same pictures of the Windows window, under Wine and Xvfb: $(WINDOWS_DIR)/screenshots.
screenshots-windows: windows
	@scripts/screenshots-windows $(WINDOWS_DIR)

# The Windows tests under Wine, in a Wine prefix of their own below the build folder.
test-windows: windows
	@scripts/run-windows-tests $(WINDOWS_DIR) $(JOBS)

# The packages: $(BUILD_DIR)/dist/kraxmanager_VERSION_amd64.deb and
# kraxmanager-VERSION-windows-x64.zip. The programs are built without tests or sanitizers
# (the .deb in $(PACKAGE_DIR), the .exe in WINDOWS_DIR, which an earlier `make windows`
# may already have built).
PACKAGE_DIR ?= $(BUILD_DIR)/package
DIST_DIR ?= $(BUILD_DIR)/dist
dist: deps
	@cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DKRAX_BUILD_TESTS=OFF -DKRAX_BUILD_BENCH=OFF \
	  -DKRAX_DIST_DIR=$(abspath $(DIST_DIR)) $(CCACHE_FLAGS) >/dev/null
	@cmake --build $(PACKAGE_DIR) -j $(JOBS)
	@cd $(PACKAGE_DIR) && cpack -G DEB >/dev/null
	@scripts/setup-windows-deps $(WINDOWS_DIR)/deps
	@scripts/setup-windows-qt
	@cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
	  -DKRAX_WINDOWS_DEPS=$(abspath $(WINDOWS_DIR))/deps -DCMAKE_BUILD_TYPE=$(WINDOWS_BUILD_TYPE) \
	  -DKRAX_WINDOWS_QT=$(WINDOWS_QT) -DKRAX_BUILD_UI=ON -DKRAX_BUILD_BENCH=OFF -DKRAX_DIST_DIR=$(abspath $(DIST_DIR)) \
	  $(CCACHE_FLAGS) >/dev/null
	@cmake --build $(WINDOWS_DIR) -j $(JOBS) --target kraxctl kraxmanager
	@cd $(WINDOWS_DIR) && cpack -G ZIP >/dev/null
	@ls -1 $(DIST_DIR)/*.deb $(DIST_DIR)/*.zip

install: build
	@cmake --install $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR) $(WINDOWS_DIR)
