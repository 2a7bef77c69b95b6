#!/usr/bin/env bash
# `make workflow-test`: runs workflow/Snakefile on two small generated
# assemblies with the built horgrid-tools, once with a job per record and once
# with records grouped into jobs (chunk_bases), and checks each time that the
# merged per-assembly files and the report drawn from them equal, byte for
# byte, those of one `horgrid-tools annotate` of the whole assembly (which draws
# its report from its values in memory), and that the table of all arrays holds
# every assembly's arrays; then that sample tables it cannot take (no
# header, no sample, a sample named like the workflow's own folder, an empty
# or folder assembly, records without a name of their own) stop it with a
# message and no result.
#
#     workflow/test/run.sh BUILD_DIR [WORK_DIR]
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
tools=$(realpath "$1/horgrid-tools")
status=1
if [ $# -ge 2 ]; then
  work=$2
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'if [ "$status" -eq 0 ]; then rm -rf "$work"; fi' EXIT
fi
work=$(realpath "$work")
echo "workflow-test: in $work"

python3 "$root/workflow/test/make_assemblies.py" "$work/data"
suffixes="AS-HOR.bed AS-SF.bed AS-strand.bed AS-StV.bed arrays.tsv decomposition.tsv cenSat.bed cenSat-strand.bed report.html"
expected_rows=0
for sample in asm1 asm2 asm3; do
  assembly=$(awk -F'\t' -v s="$sample" '$1 == s { print $2 }' "$work/data/samples.tsv")
  mkdir -p "$work/direct/$sample"
  "$tools" annotate -t 2 -o "$work/direct/$sample/$sample" "$assembly" > /dev/null 2>&1
  rows=$(grep -vc '^#' "$work/direct/$sample/${sample}_arrays.tsv" || true)
  expected_rows=$((expected_rows + rows))
done

# Runs the workflow into $work/$1 with horgrid-tools at $2 and the extra
# settings, and compares.
failed=0
check() {
  local name=$1
  local results=$work/$name
  local program=$2
  shift 2
  snakemake -s "$root/workflow/Snakefile" --cores 2 --quiet --directory "$work" \
    --config samples="$work/data/samples.tsv" outdir="$results" horgrid_tools="$program" "$@"
  for sample in asm1 asm2 asm3; do
    for suffix in $suffixes; do
      if ! cmp -s "$results/$sample/${sample}_$suffix" "$work/direct/$sample/${sample}_$suffix"; then
        echo "workflow-test: $results/$sample/${sample}_$suffix differs from annotate's" >&2
        diff "$results/$sample/${sample}_$suffix" "$work/direct/$sample/${sample}_$suffix" | head -5 >&2 || true
        failed=1
      fi
    done
    if [ ! -s "$results/$sample/${sample}_report.html" ]; then
      echo "workflow-test: no report for $sample" >&2
      failed=1
    fi
  done
  local rows jobs
  rows=$(grep -vc '^#' "$results/all_arrays.tsv" || true)
  if [ "$rows" -ne "$expected_rows" ] || [ "$expected_rows" -eq 0 ]; then
    echo "workflow-test: all_arrays.tsv has $rows arrays, the assemblies $expected_rows" >&2
    failed=1
  fi
  jobs=$(ls "$results/work/asm1/chunks" | wc -l)
  echo "workflow-test: $name: asm1 in $jobs annotate jobs, $rows arrays in all_arrays.tsv"
}
# The second run finds horgrid-tools under a path with a space: every rule
# quotes it.
mkdir -p "$work/tools dir"
ln -sf "$tools" "$work/tools dir/horgrid-tools"
check per-record "$tools"                                            # asm1: chr1, chr2, chr4 (chr3 is empty)
check grouped "$work/tools dir/horgrid-tools" chunk_bases=35000      # asm1: chr1 | chr2 + chr4

# A sample table the workflow cannot take stops it before any job, with a
# message naming what is wrong.
refused() {
  local table=$1 message=$2 output
  rm -rf "$work/refused"
  if output=$(snakemake -s "$root/workflow/Snakefile" --cores 1 --quiet --directory "$work" \
      --config samples="$table" outdir="$work/refused" horgrid_tools="$tools" 2>&1); then
    echo "workflow-test: $table ran; expected: $message" >&2
    failed=1
  elif ! grep -qF -- "$message" <<< "$output"; then
    echo "workflow-test: $table: no message '$message' in:" >&2
    echo "$output" | head -5 >&2
    failed=1
  fi
  if [ -n "$(find "$work/refused" -path "$work/refused/work" -prune -o -type f -print 2>/dev/null)" ]; then
    echo "workflow-test: $table: results appeared" >&2
    failed=1
  fi
}
asm1=$(awk -F'\t' '$1 == "asm1" { print $2 }' "$work/data/samples.tsv")
bad=$work/bad
mkdir -p "$bad"
: > "$bad/empty.fa"
printf 'asm1\t%s\n' "$asm1" > "$bad/no-header.tsv"
printf 'name\tassembly\n' > "$bad/no-sample.tsv"
printf 'name\tassembly\nwork\t%s\n' "$asm1" > "$bad/work.tsv"
printf 'name\tassembly\nasm1\t%s\n' "$bad/empty.fa" > "$bad/empty.tsv"
printf 'name\tassembly\nasm1\t%s\n' "$bad" > "$bad/folder.tsv"
printf '>same\nACGT\n>other\nACGT\n>same\nACGT\n' > "$bad/same.fa"
printf 'name\tassembly\nasm1\t%s\n' "$bad/same.fa" > "$bad/same.tsv"
printf '>a\nACGT\n>\nACGT\n' > "$bad/nameless.fa"
printf 'name\tassembly\nasm1\t%s\n' "$bad/nameless.fa" > "$bad/nameless.tsv"
refused "$bad/no-header.tsv" "the first line must be the header name<TAB>assembly"
refused "$bad/no-sample.tsv" "no sample"
refused "$bad/work.tsv" "the name work is taken by the workflow's own files"
refused "$bad/empty.tsv" "sample asm1: the assembly $bad/empty.fa is empty (0 bytes)"
refused "$bad/folder.tsv" "sample asm1: the assembly $bad is a folder, not a FASTA file"
refused "$bad/same.tsv" "sample asm1: the assembly $bad/same.fa holds two records of one name"
refused "$bad/nameless.tsv" "sample asm1: the assembly $bad/nameless.fa holds two records of one name or one without"
if [ "$failed" -eq 0 ]; then
  echo "workflow-test: merged outputs equal annotate's for every assembly, both ways"
  status=0
fi
exit "$status"
