# Thin wrapper around CMake for the two everyday commands, plus the
# sanitiser, fuzzing and benchmark runs.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all build demo test install sanitize-test fuzz bench clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DQUILLERY_WERROR=ON $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

# Builds the tool and runs it on the bundled example part with the bundled
# mini library; standard input is empty so the closing prompt returns at once.
demo: build
	./$(BUILD)/quillery -l examples/ldraw examples/demo.dat $(BUILD)/demo-out.dat </dev/null
	@echo "--- $(BUILD)/demo-out.dat ---"
	@cat $(BUILD)/demo-out.dat

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-bench
