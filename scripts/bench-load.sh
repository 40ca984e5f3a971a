#!/usr/bin/env bash
# Times the clinic loader on a generated receipts file of the given size in
# megabytes (10 by default), into a new SQLite store and, on a throw-away
# PostgreSQL server started for the run, into an empty database.
#   scripts/bench-load.sh [megabytes]
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/setup.sh"
cmake --build "$repo/build" --target loadbench >/dev/null
if [ -z "${BRIMWICK_TEST_PG:-}" ] && [ -x "$repo/scripts/pg-start.sh" ]; then
  source "$repo/scripts/pg-start.sh"
fi
"$repo/build/bench/loadbench" "${1:-10}" "${BRIMWICK_TEST_PG:-}"
