#!/bin/sh
# Installs the built tree into a temporary prefix, checks that only the public
# headers are installed, and builds a small program that includes only
# <horgrid/horgrid.h> against it twice: with find_package(horgrid) and with
# pkg-config. Runs both: the program uses an older analysis and decomposes,
# infers and annotates through the installed pipelines.
# Arguments: the build directory, the C++ compiler, extra flags that the
# library was built with and its callers need too (the sanitizer flags), the
# source directory (for the test sequences).
set -eu

build_dir=$1
compiler=$2
extra_flags=${3:-}
source_dir=${4:-$(dirname "$0")/..}

work=$(mktemp -d "${TMPDIR:-/tmp}/horgrid-install.XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" > "$work/install.log"
test -x "$work/prefix/bin/horgrid"
test -x "$work/prefix/bin/horgrid-tools"
test -f "$work/prefix/include/horgrid/horgrid.h"
internal=$(find "$work/prefix/include" -name 'MyersCore.h' -o -name 'BatchKernel*' -o -name 'LevenshteinEngine.h' \
    -o -name 'ResultFile.h' -o -name 'TextInput.h')
if [ -n "$internal" ]; then
    echo "internal headers installed: $internal"
    exit 1
fi

mkdir "$work/app"
cat > "$work/app/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(consumer LANGUAGES CXX)
find_package(horgrid REQUIRED)
add_executable(consumer main.cpp)
target_link_libraries(consumer PRIVATE horgrid::horgrid)
CMAKE
cat > "$work/app/main.cpp" <<'CPP'
#include <iostream>
#include <string>
#include <vector>

#include <horgrid/horgrid.h>

int main(int argc, char** argv) {
    if (argc != 7) return 1;
    horgrid::alphaEnsemble ensemble(argv[1]);
    horgrid::consensus groups(argv[2]);
    std::cout << "\nmonomers " << ensemble.monomerCount << " consensus " << groups.consensuses.at(0).sequence
              << " distance " << horgrid::Levenshtein("ACGT", "AGT") << "\n";

    // The pipelines: an array (argv[3]) cut with a monomer set (argv[4]), its
    // monomers and HOR inferred, a piece of a centromere (argv[5]) annotated;
    // the result files go under argv[6].
    const std::string out = argv[6];
    std::size_t segments = 0;
    horgrid::DecomposeFileSettings decompose;
    decompose.input = {argv[3], ""};
    decompose.monomers = argv[4];
    decompose.prefix = out + "/array";
    decompose.threads = 2;
    horgrid::DecomposeFile(decompose, [&](const horgrid::SourceRecord&, const std::vector<horgrid::Segment>& s) {
        segments += s.size();
    });
    horgrid::InferFileSettings infer;
    infer.input = {argv[3], ""};
    infer.prefix = out + "/inferred";
    const horgrid::Inference inference = horgrid::InferFile(infer);
    std::size_t arrays = 0;
    horgrid::AnnotateFileSettings annotate;
    annotate.input = {argv[5], ""};
    annotate.prefix = out + "/piece";
    annotate.report = false;
    horgrid::AnnotateFile(annotate, [&](const horgrid::AnnotatedRecord& record) { arrays += record.arrays; });
    std::cout << "segments " << segments << " inferred " << inference.monomers.size() << " unit "
              << inference.hor.unit.size() << " arrays " << arrays << "\n";
    return 0;
}
CPP

cmake -S "$work/app" -B "$work/app-build" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_CXX_FLAGS="$extra_flags" -DCMAKE_EXE_LINKER_FLAGS="$extra_flags" > "$work/configure.log" ||
    { cat "$work/configure.log"; exit 1; }
cmake --build "$work/app-build" > "$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }

flags=$(PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --cflags --libs horgrid)
# shellcheck disable=SC2086 # the flags are words
"$compiler" $extra_flags -o "$work/consumer-pc" "$work/app/main.cpp" $flags

printf 'm1 + 100 4 ACGT\nm2 + 104 4 ACGA\n' > "$work/array.ens"
printf 'a + 1 4 ACGT\nb + 2 4 ACGA\nc + 3 4 TCGA\n' > "$work/groups.txt"
expected=$(printf 'Reading File...\nFinding consensuses...\n\nmonomers 2 consensus ACGA distance 1\nsegments 96 inferred 12 unit 12 arrays 1')
for consumer in "$work/app-build/consumer" "$work/consumer-pc"; do
    rm -rf "$work/out" && mkdir "$work/out"
    output=$("$consumer" "$work/array.ens" "$work/groups.txt" "$source_dir/tests/data/dxz1_array.fa" \
        "$source_dir/examples/dxz1_monomers.fa" "$source_dir/tests/data/cen21_piece.fa" "$work/out")
    if [ "$output" != "$expected" ]; then
        echo "unexpected output of $consumer:"
        echo "$output"
        exit 1
    fi
done
test -f "$work/groups.txt.cons"
for result in array_decomposition.tsv inferred_hors.tsv piece_arrays.tsv; do test -s "$work/out/$result"; done
echo "installed package builds and runs, with CMake and with pkg-config"
