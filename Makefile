# Set-up, build, run and test in one place. Every target installs missing Debian packages first.
BUILD ?= build
GAME ?= games/demo
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench format clean

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

bench: deps configure
	cmake --build $(BUILD) -j $(JOBS) --target varo_bench
	$(BUILD)/bench/varo_bench

format:
	find src tests bench fuzz -name '*.cpp' -o -name '*.h' | grep -v Cp932Tables | xargs clang-format -i

clean:
	rm -rf $(BUILD)
