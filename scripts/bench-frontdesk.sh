#!/usr/bin/env bash
# Times a 5-line visit priced, settled and dispensed through the front
# desk's postings and as the same statements run bare, on the clinic
# benchmark store and on one with ten times the history:
#   scripts/bench-frontdesk.sh [<folder>]
# The folder keeps both generated stores (x1/ and x10/) for the next run;
# making them takes minutes the first time. BRIMWICK_BENCH_PG names a
# PostgreSQL server to run on instead of SQLite files.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/setup.sh"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ $# -eq 0 ]; then
  set -- "$(mktemp -d)/frontdesk"
fi
exec "$repo/build/bench/frontdeskbench" "$@"
