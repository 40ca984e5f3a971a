#!/usr/bin/env bash
# Times the pharmacy's correction and warning windows and their postings on
# the report benchmarks' store (three busy years, or factor times as many):
# in a temporary folder, or in the folder given (kept, with its store, for
# the next run): scripts/bench-pharmacy.sh [folder] [factor]. With BRIMWICK_BENCH_PG naming a PostgreSQL server the stores
# are databases there instead.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/setup.sh"
folder="${1:-}"
if [ -z "$folder" ]; then
  folder="$(mktemp -d)"
  trap 'rm -rf "$folder"' EXIT
fi
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$repo/build/bench/pharmacybench" "$folder" "${2:-1}"
