#!/usr/bin/env bash
# `make workflow-test`: runs workflow/Snakefile on two small generated
# assemblies with the built horgrid-tools, then checks that the merged
# per-assembly files equal, byte for byte, those of one `horgrid-tools
# annotate` of the whole assembly, that the table of all arrays holds every
# assembly's arrays and that every report was written.
#
#     workflow/test/run.sh BUILD_DIR [WORK_DIR]
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
tools=$(realpath "$1/horgrid-tools")
if [ $# -ge 2 ]; then
  work=$2
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'if [ "$status" -eq 0 ]; then rm -rf "$work"; fi' EXIT
fi
status=1
work=$(realpath "$work")
echo "workflow-test: in $work"

python3 "$root/workflow/test/make_assemblies.py" "$work/data"
snakemake -s "$root/workflow/Snakefile" --cores 2 --quiet --directory "$work" \
  --config samples="$work/data/samples.tsv" outdir="$work/results" horgrid_tools="$tools"

suffixes="AS-HOR.bed AS-SF.bed AS-strand.bed AS-StV.bed arrays.tsv decomposition.tsv"
status=0
expected_rows=0
for sample in asm1 asm2; do
  assembly=$(awk -F'\t' -v s="$sample" '$1 == s { print $2 }' "$work/data/samples.tsv")
  mkdir -p "$work/direct/$sample"
  "$tools" annotate -t 2 -o "$work/direct/$sample/$sample" "$assembly" > /dev/null 2>&1
  for suffix in $suffixes; do
    if ! cmp -s "$work/results/$sample/${sample}_$suffix" "$work/direct/$sample/${sample}_$suffix"; then
      echo "workflow-test: results/$sample/${sample}_$suffix differs from annotate's" >&2
      diff "$work/results/$sample/${sample}_$suffix" "$work/direct/$sample/${sample}_$suffix" | head -5 >&2
      status=1
    fi
  done
  rows=$(grep -vc '^#' "$work/direct/$sample/${sample}_arrays.tsv" || true)
  expected_rows=$((expected_rows + rows))
  if [ ! -s "$work/results/$sample/${sample}_report.html" ]; then
    echo "workflow-test: no report for $sample" >&2
    status=1
  fi
done
rows=$(grep -vc '^#' "$work/results/all_arrays.tsv" || true)
if [ "$rows" -ne "$expected_rows" ] || [ "$expected_rows" -eq 0 ]; then
  echo "workflow-test: all_arrays.tsv has $rows arrays, the assemblies $expected_rows" >&2
  status=1
fi
if [ "$status" -eq 0 ]; then
  echo "workflow-test: merged outputs equal annotate's for both assemblies; $rows arrays in all_arrays.tsv"
fi
exit "$status"
