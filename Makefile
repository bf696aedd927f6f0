# Set-up, build, run and test in one place. Every target installs missing Debian packages first.
BUILD ?= build
GAME ?= games/demo
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test test-sanitize bench fuzz format clean

deps:
	@tools/bootstrap

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: deps configure
	cmake --build $(BUILD) -j $(JOBS) --target varo
	$(BUILD)/varo $(GAME)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole suite again in a second tree built with AddressSanitizer and UBSan.
# Any finding aborts the process, so its test fails. The options reach the varo
# processes the end-to-end tests start, since those inherit the environment.
# tools/sanitize-ctest runs the suite: a failed test runs once more only when its
# one finding is a leak report wholly inside QtCore, a known race of Qt's thread
# pool at exit (the script says why no suppression can name it).
# LeakSanitizer stays on; tests/sanitizer/lsan.supp lists leaks inside system
# libraries only (fontconfig), never ours.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_ENV = \
  ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1 \
  UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0

$(SANITIZE_BUILD)/build.ninja: | deps
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARO_SANITIZE=ON

test-sanitize: deps $(SANITIZE_BUILD)/build.ninja
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZE_ENV) $(CURDIR)/tools/sanitize-ctest --output-on-failure -j $(JOBS)

bench: deps configure
	cmake --build $(BUILD) -j $(JOBS) --target varo_bench
	$(BUILD)/bench/varo_bench

# Fuzzing: a clang build of its own with the whole engine instrumented, then
# FUZZ_TIME seconds for each target (FUZZ_TARGETS picks some, e.g. "ValueFuzz Cp932Fuzz").
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 60
FUZZ_TARGETS ?= $(basename $(notdir $(wildcard fuzz/*Fuzz.cpp)))

$(FUZZ_BUILD)/build.ninja: | deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ \
	  -DVARO_BUILD_TESTS=OFF -DVARO_LIBFUZZER=ON

fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	tools/fuzz-run $(FUZZ_BUILD) $(FUZZ_TIME) $(FUZZ_TARGETS)

format:
	find src tests bench fuzz -name '*.cpp' -o -name '*.h' | grep -v Cp932Tables | xargs clang-format -i

clean:
	rm -rf $(BUILD)
