# The README's commands: thin wrappers over CMake and CTest.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: deps build run test bench format clean

deps:
	@bash tools/deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	$(BUILD)/ui/app/ampa

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout 300

bench: build
	$(BUILD)/bench/ampa-bench $(BENCH_FLAGS)

format: $(BUILD)/build.ninja
	cmake --build $(BUILD) --target format

clean:
	rm -rf $(BUILD)
