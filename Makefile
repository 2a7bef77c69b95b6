# Thin wrapper around CMake. `make demo` and `make check` install what is
# missing first (scripts/setup.sh), so both work on a fresh Debian 12 machine.

BUILD      ?= build
BUILD_SAN  ?= build-sanitize
BUILD_BENCH ?= build-bench
BUILD_FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CHECK_SECONDS ?= 5
JOBS       ?= $(shell nproc)
EXAMPLE    ?= examples/dxz1.ens
PREFIX     ?= /usr/local
# Real centromeres and their HMM and T2T annotations (bench/data/SOURCES.md),
# for the benchmarks that compare with them.
REAL_DATA  ?= bench/data

.PHONY: all setup build demo check test sanitize fuzz-build fuzz fuzz-smoke bench install clean workflow-test

all: build

setup:
	./scripts/setup.sh

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# The analyses of the shipped ensemble, its identity heat map, the road from a
# sequence (a FASTA array of the DXZ1 monomers, decomposed into monomers and
# drawn as a HOR picture), then the main job on a real centromere: the
# standard annotation of the CHM13 chr21 array with its report page, and its
# monomers and HOR inferred without a template.
demo: setup build
	./$(BUILD)/horgrid -m $(EXAMPLE)
	./$(BUILD)/horgrid -h $(EXAMPLE)
	./$(BUILD)/horgrid -s $(EXAMPLE)
	./$(BUILD)/horgrid -b $(EXAMPLE)
	./$(BUILD)/horgrid-tools dotplot $(EXAMPLE)
	python3 examples/make_array.py --fasta examples/dxz1_monomers.fa 25 0.02 > examples/dxz1_array.fa
	./$(BUILD)/horgrid-tools decompose examples/dxz1_array.fa examples/dxz1_monomers.fa
	./$(BUILD)/horgrid -h examples/dxz1_array.fa.ens/1.ens
	./$(BUILD)/horgrid-tools annotate -t $(JOBS) -o examples/cen21 examples/cen21.fa
	./$(BUILD)/horgrid-tools infer -t $(JOBS) -o examples/cen21_infer examples/cen21.fa

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize:
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DHORGRID_SANITIZE=ON
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (tests/fuzz/*Fuzz.cpp), built with clang and ASan/UBSan in
# a folder of their own.
fuzz-build:
	cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++-14 \
	  -DHORGRID_FUZZ=ON -DHORGRID_TESTS=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target horgrid_fuzz

# Each target for FUZZ_SECONDS seconds.
fuzz: setup fuzz-build
	./scripts/fuzz.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

# Each target for a few seconds on its corpus, so the harnesses keep working.
fuzz-smoke: fuzz-build
	./scripts/fuzz.sh $(BUILD_FUZZ) $(FUZZ_CHECK_SECONDS)

# The workflow test takes 7-15 s on two cores shared with other jobs.
check: setup test sanitize fuzz-smoke workflow-test

# workflow/Snakefile on two small generated assemblies: the merged files of
# each must equal those of one `annotate` of the whole assembly.
workflow-test: setup build
	workflow/test/run.sh $(BUILD)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Engine pairs per second against the plain algorithm and edlib, the
# decomposition kernels, decompose and annotate on 1 and 2 threads on one
# 3 Mb record (bench/record_threads.py), annotate per base against decompose
# with the array's own HOR monomers (bench/annotate_ratio.py), then whole
# commands on generated arrays (bench/commands.py), the k-mer identity of
# sequence windows against their alignment identity and ModDotPlot's matrix
# (bench/WindowIdentityBench.cpp) and dotplot from FASTA on 1 and 10 Mb
# (bench/dotplot_scale.py), then the alpha-satellite
# filter over a generated 100 Mb assembly (bench/scan_assembly.py; it needs
# ../shared/data beside the project), annotate over the same assembly
# (bench/annotate_assembly.py) and on the chrY region against its T2T
# satellite annotation (bench/annotate_chry_eval.py).
bench: setup
	cmake -S . -B $(BUILD_BENCH) -DCMAKE_BUILD_TYPE=Release -DHORGRID_BENCH=ON -DHORGRID_TESTS=OFF
	cmake --build $(BUILD_BENCH) -j $(JOBS) --target horgrid_bench horgrid_decompose_bench horgrid_scan_bench horgrid_window_identity_bench horgrid-cli horgrid-tools
	./$(BUILD_BENCH)/bench/horgrid_bench
	./$(BUILD_BENCH)/bench/horgrid_decompose_bench
	python3 bench/record_threads.py $(BUILD_BENCH)/horgrid-tools $(BUILD_BENCH)/bench-data
	@if [ -d $(REAL_DATA) ]; then python3 bench/annotate_ratio.py $(BUILD_BENCH)/horgrid-tools $(BUILD_BENCH)/bench-data --data $(REAL_DATA); \
	else echo "annotate against decompose: skipped, no $(REAL_DATA)"; fi
	python3 bench/commands.py $(BUILD_BENCH)/horgrid $(BUILD_BENCH)/bench-data
	./$(BUILD_BENCH)/bench/horgrid_window_identity_bench
	python3 bench/dotplot_scale.py $(BUILD_BENCH)/horgrid-tools $(BUILD_BENCH)/bench-data
	python3 bench/scan_assembly.py $(BUILD_BENCH)/bench/horgrid_scan_bench $(BUILD_BENCH)/bench-data
	python3 bench/annotate_standard_arrays.py $(BUILD_BENCH)/horgrid-tools --out $(BUILD_BENCH)/annotate-standard
	@if [ -d $(REAL_DATA) ]; then python3 bench/annotate_eval.py $(BUILD_BENCH)/horgrid-tools $(REAL_DATA) --out $(BUILD_BENCH)/annotate-eval; \
	else echo "annotate against the HMM annotation: skipped, no $(REAL_DATA)"; fi
	@if [ -d $(REAL_DATA) ]; then python3 bench/annotate_assembly.py $(BUILD_BENCH)/horgrid-tools $(BUILD_BENCH)/bench-data --data $(REAL_DATA); \
	else echo "annotate on the generated 100 Mb assembly: skipped, no $(REAL_DATA)"; fi
	@if [ -d $(REAL_DATA) ]; then python3 bench/annotate_chry_eval.py $(BUILD_BENCH)/horgrid-tools $(REAL_DATA) --out $(BUILD_BENCH)/annotate-chrY; \
	else echo "annotate on the chrY region against its T2T annotation: skipped, no $(REAL_DATA)"; fi

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_BENCH) $(BUILD_FUZZ)
