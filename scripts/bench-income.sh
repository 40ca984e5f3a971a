#!/usr/bin/env bash
# Times the personal income window's commission count and its two
# workbooks on the clinic benchmark store, through the window's functions
# and as the same statements run bare:
#   scripts/bench-income.sh <folder> [<folder for ten times the history>]
# Each folder keeps its generated store for the next run (made on first
# use: minutes for the larger one). BRIMWICK_BENCH_PG names a PostgreSQL
# server to run on instead of SQLite files.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/setup.sh"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ $# -eq 0 ]; then
  set -- "$(mktemp -d)/clinic-1x"
fi
exec "$repo/build/bench/incomebench" "$@"
