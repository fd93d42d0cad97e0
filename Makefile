# Quillmoor: top-level commands. Everything builds with CMake + Ninja into build/.
BUILD      ?= build
ASAN_BUILD ?= build-sanitize
BUILD_TYPE ?= RelWithDebInfo
ARGS       ?=
CTEST_ARGS ?=

.PHONY: all deps configure build run test bench sanitize test-sanitize fuzz clean

all: build

deps:
	@bash scripts/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD)

run: build
	./$(BUILD)/app/quillmoor $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure $(CTEST_ARGS)

bench: build
	@cmake --build $(BUILD) --target benchmarks
	@for b in $(BUILD)/bench/*/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

# Unit tests of the core libraries (shared/, swf/) under AddressSanitizer and UBSan.
test-sanitize: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQM_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && ctest --output-on-failure -L core $(CTEST_ARGS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
