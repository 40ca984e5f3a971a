#!/usr/bin/env bash
# Times the pharmacy's correction and warning windows on the clinic store of
# three busy years and their postings on three and on thirty years: in a
# temporary folder, or in the folder given (kept, with its stores, for the
# next run). With BRIMWICK_BENCH_PG naming a PostgreSQL server the stores
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
"$repo/build/bench/pharmacybench" "$folder"
