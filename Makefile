# The README's commands: thin wrappers over CMake and CTest.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: deps build run test lint test-sanitize fuzz package bench format clean
FUZZ_SECONDS ?= 60

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

# The C++ sources formatted as .clang-format says, and qmllint content with every view.
lint: $(BUILD)/build.ninja
	cmake --build $(BUILD) --target format-check all_qmllint

# The whole test suite again, built with AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer; any report fails the test that printed it (the tests carry the sanitizers'
# options: tests/CMakeLists.txt).
test-sanitize:
	$(MAKE) build BUILD=build-sanitize CMAKE_FLAGS=-DAMPA_SANITIZE=ON
	cd build-sanitize && ctest --output-on-failure --timeout 600

# Each fuzz target for FUZZ_SECONDS, starting from a copy of its seed corpus in fuzz/corpus.
fuzz:
	bash tools/deps fuzz
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DAMPA_FUZZ=ON
	cmake --build build-fuzz
	for target in log_reader desktop_entry release_sort settings ncdu_reader; do \
	    mkdir -p build-fuzz/corpus/$$target && cp -n fuzz/corpus/$$target/* build-fuzz/corpus/$$target/; \
	    build-fuzz/fuzz/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        build-fuzz/corpus/$$target > build-fuzz/$$target.log 2>&1; status=$$?; \
	    grep -E '^stat::number_of_executed_units|ERROR|SUMMARY' build-fuzz/$$target.log \
	        | sed "s/^/$$target: /"; \
	    [ $$status -eq 0 ] || exit 1; \
	done

# The Debian package, in build/.
package: build
	cd $(BUILD) && cpack

bench: build
	$(BUILD)/bench/ampa-bench $(BENCH_FLAGS)

format: $(BUILD)/build.ninja
	cmake --build $(BUILD) --target format

clean:
	rm -rf $(BUILD)
