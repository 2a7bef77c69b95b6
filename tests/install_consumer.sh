#!/bin/sh
# Installs the built tree into a temporary prefix, checks that only the public
# headers are installed, and builds a small program that includes only
# <horgrid/horgrid.h> against it twice: with find_package(horgrid) and with
# pkg-config. Runs both.
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

#include <horgrid/horgrid.h>

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

flags=$(PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --cflags --libs horgrid)
# shellcheck disable=SC2086 # the flags are words
"$compiler" $extra_flags -o "$work/consumer-pc" "$work/app/main.cpp" $flags

printf 'm1 + 100 4 ACGT\nm2 + 104 4 ACGA\n' > "$work/array.ens"
printf 'a + 1 4 ACGT\nb + 2 4 ACGA\nc + 3 4 TCGA\n' > "$work/groups.txt"
expected=$(printf 'Reading File...\nFinding consensuses...\n\nmonomers 2 consensus ACGA distance 1')
for consumer in "$work/app-build/consumer" "$work/consumer-pc"; do
    output=$("$consumer" "$work/array.ens" "$work/groups.txt")
    if [ "$output" != "$expected" ]; then
        echo "unexpected output of $consumer:"
        echo "$output"
        exit 1
    fi
done
test -f "$work/groups.txt.cons"
echo "installed package builds and runs, with CMake and with pkg-config"
