#!/usr/bin/env bash
# Runs every fuzz target built in BUILD/fuzz for SECONDS seconds each, one at a
# time, starting from its committed seeds in tests/fuzz/corpus/<Name>/. New
# inputs go to BUILD/fuzz-corpus/<Name>/ and reproducers of crashes to
# BUILD/fuzz-artifacts/, never into the source tree. Exits non-zero when a
# target crashes, leaks, hangs or reports a sanitizer error.
#
#   scripts/fuzz.sh BUILD SECONDS [NAME...]
set -euo pipefail

build=$1
seconds=$2
shift 2
source_dir=$(cd "$(dirname "$0")/.." && pwd)

targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for binary in "$build"/fuzz/*Fuzz; do targets+=("$(basename "$binary" Fuzz)"); done
fi

mkdir -p "$build/fuzz-artifacts"
# The readers' targets write their input to a temporary file for every run:
# keep those in memory when the machine has a tmpfs (FUZZ_TMPDIR overrides).
tmp=${FUZZ_TMPDIR:-/dev/shm}
if [ -d "$tmp" ] && [ -w "$tmp" ]; then export TMPDIR=$tmp; fi
status=0
for name in "${targets[@]}"; do
  seeds="$source_dir/tests/fuzz/corpus/$name"
  corpus="$build/fuzz-corpus/$name"
  if [ ! -d "$seeds" ]; then
    echo "fuzz: $name has no seed corpus folder tests/fuzz/corpus/$name" >&2
    status=1
    continue
  fi
  mkdir -p "$corpus"
  echo "fuzz: $name for ${seconds}s"
  # -close_fd_mask=1: the readers' progress lines on standard output are not
  # wanted here; sanitizer reports go to standard error.
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/fuzz/${name}Fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -close_fd_mask=1 -print_final_stats=0 -artifact_prefix="$build/fuzz-artifacts/$name-" \
    "$corpus" "$seeds" 2>"$build/fuzz-artifacts/$name.log"; then
    tail -n 40 "$build/fuzz-artifacts/$name.log" >&2
    echo "fuzz: $name FAILED (log: $build/fuzz-artifacts/$name.log)" >&2
    status=1
  else
    grep -E '^(#[0-9]+[[:space:]]+DONE|Done [0-9]+ runs)' "$build/fuzz-artifacts/$name.log" | tail -n 1 || true
  fi
done
exit $status
