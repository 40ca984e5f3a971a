#!/usr/bin/env bash
# Runs every clinic benchmark on the report benchmarks' store of the given
# factor (three busy years at 1; made in the folder on first use and kept,
# minutes and gigabytes at 10), each writing its figures into
# bench/RESULTS.md: scripts/bench-clinic.sh <folder> [factor]
# The reports run first; the postings after them add their visits to the
# store's last day. With BRIMWICK_BENCH_PG naming a PostgreSQL server the
# store is a database there.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
folder="${1:?usage: bench-clinic.sh <folder> [factor]}"
factor="${2:-1}"
source "$repo/scripts/setup.sh"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
for bench in dayclosebench stockreportsbench incomebench historybench todayfeesbench frontdeskbench pharmacybench; do
  "$repo/build/bench/$bench" "$folder" "$factor"
done
