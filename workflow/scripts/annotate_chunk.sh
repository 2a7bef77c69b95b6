#!/usr/bin/env bash
# One job of workflow/Snakefile: annotates records of an assembly, each on
# its own (`horgrid-tools annotate -r NAME`), into OUT/INDEX/SAMPLE_*, so
# that the record's track lines name the assembly. OUT appears only when
# every record is done.
#
#     annotate_chunk.sh HORGRID_TOOLS THREADS FASTA OUT SAMPLE INDEX NAME [INDEX NAME]...
set -euo pipefail

tools=$1 threads=$2 fasta=$3 out=$4 sample=$5
shift 5
rm -rf "$out.partial"
mkdir -p "$out.partial"
while [ $# -ge 2 ]; do
  index=$1 name=$2
  shift 2
  mkdir -p "$out.partial/$index"
  echo "annotate: record $index: $name"
  "$tools" annotate --no-report -t "$threads" -r "$name" -o "$out.partial/$index/$sample" "$fasta"
done
mv "$out.partial" "$out"
