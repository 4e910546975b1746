# The README's commands: thin wrappers over CMake and CTest.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: deps build run test test-sanitize bench format clean

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

# The whole test suite again, built with AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer; any report fails the test that printed it.
test-sanitize:
	$(MAKE) build BUILD=build-sanitize CMAKE_FLAGS=-DAMPA_SANITIZE=ON
	cd build-sanitize && \
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0:suppressions=$(CURDIR)/tests/asan.supp \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers.supp:print_suppressions=0 \
	ctest --output-on-failure --timeout 600

bench: build
	$(BUILD)/bench/ampa-bench $(BENCH_FLAGS)

format: $(BUILD)/build.ninja
	cmake --build $(BUILD) --target format

clean:
	rm -rf $(BUILD)
