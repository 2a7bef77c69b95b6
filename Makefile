# Thin wrapper around CMake. `make demo` and `make check` install what is
# missing first (scripts/setup.sh), so both work on a fresh Debian 12 machine.

BUILD      ?= build
BUILD_SAN  ?= build-sanitize
BUILD_BENCH ?= build-bench
JOBS       ?= $(shell nproc)
EXAMPLE    ?= examples/dxz1.ens
PREFIX     ?= /usr/local

.PHONY: all setup build demo check test sanitize bench install clean

all: build

setup:
	./scripts/setup.sh

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

demo: setup build
	./$(BUILD)/horgrid -m $(EXAMPLE)
	./$(BUILD)/horgrid -h $(EXAMPLE)
	./$(BUILD)/horgrid -s $(EXAMPLE)
	./$(BUILD)/horgrid -b $(EXAMPLE)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize:
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DHORGRID_SANITIZE=ON
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

check: setup test sanitize

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Engine pairs per second against the plain algorithm and edlib, then whole
# commands on generated arrays (bench/commands.py).
bench: setup
	cmake -S . -B $(BUILD_BENCH) -DCMAKE_BUILD_TYPE=Release -DHORGRID_BENCH=ON -DHORGRID_TESTS=OFF
	cmake --build $(BUILD_BENCH) -j $(JOBS) --target horgrid_bench horgrid_decompose_bench horgrid-cli horgrid-tools
	./$(BUILD_BENCH)/bench/horgrid_bench
	./$(BUILD_BENCH)/bench/horgrid_decompose_bench
	python3 bench/commands.py $(BUILD_BENCH)/horgrid $(BUILD_BENCH)/bench-data

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_BENCH)
