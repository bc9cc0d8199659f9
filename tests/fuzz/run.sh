#!/usr/bin/env bash
# A short, repeatable fuzz of a reader of untrusted input: a fixed seed, a bounded number of
# runs, from inputs made by the seeds maker.   run.sh FUZZER SEEDS-MAKER FOLDER [RUNS] [LONGEST]
set -euo pipefail
fuzzer=$1
seeds=$2
folder=$3
runs=${4:-200000}
longest=${5:-8192}
rm -rf "$folder"
mkdir -p "$folder"
"$seeds" "$folder"
exec "$fuzzer" -seed=20261209 -runs="$runs" -max_len="$longest" -timeout=10 "$folder"
