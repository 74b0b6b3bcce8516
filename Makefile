# Thin wrapper around CMake for the two everyday commands, plus the
# sanitiser, fuzzing and benchmark runs.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60

.PHONY: all build demo demo-model test test-one-core install sanitize-test fuzz bench mutants clean windows windows-test windows-tools package

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DQUILLERY_WERROR=ON $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

# Builds only the tool and runs it on the bundled example part with the
# bundled mini library; standard input is empty so the closing prompt
# returns at once.
demo: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target quillery -j$(JOBS)
	./$(BUILD)/quillery -l examples/ldraw examples/demo.dat $(BUILD)/demo-out.dat </dev/null
	@echo "--- $(BUILD)/demo-out.dat ---"
	@cat $(BUILD)/demo-out.dat

# Flattens the bundled multi-part model: both placements of its wing
# section, one of them mirrored, become plain geometry of the main section.
demo-model: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target quillery -j$(JOBS)
	./$(BUILD)/quillery -k 16 -l examples/ldraw examples/model.mpd $(BUILD)/model-flat.mpd </dev/null
	@echo "--- $(BUILD)/model-flat.mpd ---"
	@cat $(BUILD)/model-flat.mpd

# Configured again with the tests required, so that a missing GoogleTest
# stops here with a clear message instead of running no tests, and one
# installed since the last configuration is found.
test: $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DQUILLERY_REQUIRE_TESTS=ON >/dev/null
	cmake --build $(BUILD) -j$(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

# The whole suite again as a host with one core runs it: a preloaded
# library makes the C library report one processor, so no pass starts a
# second thread. The probe checks that the library took effect. The fuzz
# target carries AddressSanitizer, whose runtime has to be loaded first.
ONE_CORE = $(abspath $(BUILD))/one-core
test-one-core: $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DQUILLERY_REQUIRE_TESTS=ON >/dev/null
	cmake --build $(BUILD) -j$(JOBS)
	mkdir -p $(ONE_CORE)
	$(CXX) -shared -fPIC -O1 -o $(ONE_CORE)/one_core.so tools/one_core/one_core.cc
	$(CXX) -O1 -pthread -o $(ONE_CORE)/probe tools/one_core/probe.cc
	test "$$(LD_PRELOAD=$(ONE_CORE)/one_core.so $(ONE_CORE)/probe)" = 1 || \
	  { echo "test-one-core: the one-core library did not take effect" >&2; exit 1; }
	LD_PRELOAD=$(ONE_CORE)/one_core.so \
	  ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS) -E '^fuzz_regressions$$'
	LD_PRELOAD="$$($(CXX) -print-file-name=libasan.so) $(ONE_CORE)/one_core.so" \
	  ctest --test-dir $(BUILD) --output-on-failure -R '^fuzz_regressions$$'

# The whole test suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer, assertions on; -O1 with line tables builds in
# half the time of -O2 -g and still gives readable reports.
sanitize-test:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
	  -DSANITIZE=ON -DQUILLERY_REQUIRE_TESTS=ON -DQUILLERY_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-asan -j$(JOBS)
	ctest --test-dir build-asan --output-on-failure -j$(JOBS)

# Fuzzes for FUZZ_SECONDS with libFuzzer (clang, installed from Debian when
# missing), starting from the seeds; new inputs go to build-fuzz/corpus and
# failing ones to build-fuzz/artifacts, never into the source tree.
FUZZ_PROBE = echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, long) { return 0; }' | \
  clang++ -x c++ -fsanitize=fuzzer -o /dev/null - 2>/dev/null
fuzz:
	$(FUZZ_PROBE) || { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y clang libclang-rt-dev; }
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSANITIZE=ON -DFUZZ_ENGINE=libfuzzer -DQUILLERY_TESTS=OFF -DQUILLERY_BENCH=OFF
	cmake --build build-fuzz --target model_fuzz -j$(JOBS)
	mkdir -p build-fuzz/corpus build-fuzz/artifacts
	cp fuzz/corpus/* build-fuzz/corpus/
	find fuzz/regressions -type f ! -name '.*' -exec cp {} build-fuzz/corpus/ \;
	./build-fuzz/fuzz/model_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=60 \
	  -max_len=8192 -dict=fuzz/model_fuzz.dict \
	  -artifact_prefix=build-fuzz/artifacts/ build-fuzz/corpus

install: build
	cmake --install $(BUILD)

# Builds Release in build-bench, times the tool on generated models of up to
# 1M lines and compares its output with the reference (see bench/run.sh).
bench:
	bench/run.sh

# A native Windows quillery.exe cross-built with MinGW-w64, and its test
# suite run under wine. The compiler, wine and GoogleTest's sources come
# from Debian when missing; GoogleTest is cross-built once into
# build-windows/deps.
WINDOWS_BUILD ?= build-windows
WINDOWS_DEPS = $(abspath $(WINDOWS_BUILD))/deps
WINDOWS_TOOLCHAIN = $(abspath cmake/mingw-w64-x86_64.cmake)
WINE = $(shell command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
WINESERVER = $(shell command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEDEBUG ?= -all
# No prompts to install wine's .NET and HTML add-ons into a new prefix.
WINE_ENV = WINEPREFIX=$(abspath $(WINDOWS_BUILD))/wine WINEDLLOVERRIDES="mscoree,mshtml="

windows-tools:
	@command -v x86_64-w64-mingw32-g++-posix >/dev/null && test -x $(WINE) && \
	  test -f /usr/src/googletest/CMakeLists.txt || { apt-get update && \
	  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
	  g++-mingw-w64-x86-64-posix wine64 googletest; }

$(WINDOWS_DEPS)/lib/libgtest.a: | windows-tools
	cmake -S /usr/src/googletest -B $(WINDOWS_BUILD)/googletest \
	  -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release \
	  -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX=$(WINDOWS_DEPS)
	cmake --build $(WINDOWS_BUILD)/googletest -j$(JOBS)
	cmake --install $(WINDOWS_BUILD)/googletest

$(WINDOWS_BUILD)/CMakeCache.txt: | windows-tools
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) \
	  -DCMAKE_BUILD_TYPE=Release -DQUILLERY_WERROR=ON -DQUILLERY_TESTS=OFF \
	  -DQUILLERY_BENCH=OFF -DQUILLERY_FUZZ=OFF -DGTest_DIR=$(WINDOWS_DEPS)/lib/cmake/GTest

windows: $(WINDOWS_BUILD)/CMakeCache.txt
	cmake --build $(WINDOWS_BUILD) --target quillery -j$(JOBS)

windows-test: $(WINDOWS_BUILD)/CMakeCache.txt $(WINDOWS_DEPS)/lib/libgtest.a
	cmake $(WINDOWS_BUILD) -DQUILLERY_TESTS=ON -DQUILLERY_REQUIRE_TESTS=ON >/dev/null
	cmake --build $(WINDOWS_BUILD) -j$(JOBS)
	# One wine server for all test programs, in a prefix of the build's own.
	# Its background services start with the first program wine runs and keep
	# that program's output open: started here, they hold /dev/null instead of
	# a test's output, which CTest would otherwise wait on forever.
	mkdir -p $(WINDOWS_BUILD)/wine && $(WINE_ENV) $(WINESERVER) -p
	$(WINE_ENV) $(WINE) wineboot -u </dev/null >/dev/null 2>&1 || true
	status=0; $(WINE_ENV) ctest --test-dir $(WINDOWS_BUILD) --output-on-failure \
	  -j$(JOBS) --timeout 1200 || status=$$?; \
	  $(WINE_ENV) $(WINESERVER) -k 2>/dev/null; exit $$status

# The Debian package of the Linux build and the .zip of the Windows one,
# both named with the version.
package: build $(WINDOWS_BUILD)/CMakeCache.txt
	cmake --build $(WINDOWS_BUILD) --target quillery manual_text -j$(JOBS)
	cd $(BUILD) && cpack
	cd $(WINDOWS_BUILD) && cpack
	@ls $(BUILD)/*.deb $(WINDOWS_BUILD)/*.zip

# Puts single-point faults into a copy of src/ one at a time and reports the
# share the test suite catches, per folder (see tools/mutants/mutants.py).
# Not part of `test`: it rebuilds and reruns the suite for every mutant.
mutants:
	python3 tools/mutants/mutants.py --jobs $(JOBS) $(MUTANTS_FLAGS)

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-bench $(WINDOWS_BUILD) build-mutants
