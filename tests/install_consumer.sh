#!/bin/sh
# Installs the built tree into a temporary prefix and builds a small program
# against it with find_package(horgrid), then runs it.
# Arguments: the build directory, the C++ compiler, extra flags that the
# library was built with and its callers need too (the sanitizer flags).
set -eu

build_dir=$1
compiler=$2
extra_flags=${3:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/horgrid-install.XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" > "$work/install.log"
test -x "$work/prefix/bin/horgrid"
test -x "$work/prefix/bin/horgrid-tools"

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

#include "ensemble/alphaEnsemble.h"
#include "monomerfile/consensus.h"
#include "sequence/EditDistance.h"

int main(int argc, char** argv) {
    if (argc != 3) return 1;
    horgrid::alphaEnsemble ensemble(argv[1]);
    horgrid::consensus groups(argv[2]);
    std::cout << "\nmonomers " << ensemble.monomerCount << " consensus " << groups.consensuses.at(0).sequence
              << " distance " << horgrid::Levenshtein("ACGT", "AGT") << "\n";
    return 0;
}
CPP

cmake -S "$work/app" -B "$work/app-build" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_CXX_FLAGS="$extra_flags" -DCMAKE_EXE_LINKER_FLAGS="$extra_flags" > "$work/configure.log" ||
    { cat "$work/configure.log"; exit 1; }
cmake --build "$work/app-build" > "$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }

printf 'm1 + 100 4 ACGT\nm2 + 104 4 ACGA\n' > "$work/array.ens"
printf 'a + 1 4 ACGT\nb + 2 4 ACGA\nc + 3 4 TCGA\n' > "$work/groups.txt"
output=$("$work/app-build/consumer" "$work/array.ens" "$work/groups.txt")
expected=$(printf 'Reading File...\nFinding consensuses...\n\nmonomers 2 consensus ACGA distance 1')
if [ "$output" != "$expected" ]; then
    echo "unexpected output:"
    echo "$output"
    exit 1
fi
test -f "$work/groups.txt.cons"
echo "installed package builds and runs"
