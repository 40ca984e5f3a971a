#!/usr/bin/env bash
# Times the clinic's stock reports through their windows and as the same
# statements run bare, on the clinic benchmarks' store of three busy years:
#   scripts/bench-stockreports.sh [folder] [factor]
# The folder keeps the generated store for the next run (default: a folder
# per factor under /tmp). BRIMWICK_BENCH_PG names a PostgreSQL server to
# use instead of the SQLite file.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
factor="${2:-1}"
folder="${1:-/tmp/brimwick-stockreports-x$factor}"
source "$repo/scripts/setup.sh"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
exec "$repo/build/bench/stockreportsbench" "$folder" "$factor"
