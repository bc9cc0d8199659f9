#!/usr/bin/env bash
# A short, repeatable fuzz of the PE reader: a fixed seed, a bounded number of
# runs, from programs made byte by byte.   run.sh FUZZER SEEDS-MAKER FOLDER [RUNS]
set -euo pipefail
fuzzer=$1
seeds=$2
folder=$3
runs=${4:-200000}
rm -rf "$folder"
mkdir -p "$folder"
"$seeds" "$folder"
exec "$fuzzer" -seed=20261209 -runs="$runs" -max_len=8192 -timeout=10 "$folder"
