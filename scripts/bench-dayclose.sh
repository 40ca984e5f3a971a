#!/usr/bin/env bash
# Fills a clinic store of three busy years with a 1,000-visit day and 100
# vouchers still at the cashier (in a temporary folder, or in the folder
# given, kept for the next run), then times the day close and the income
# reports through their windows and as the same statements bare: on SQLite,
# and on PostgreSQL too when BRIMWICK_BENCH_PG names a server.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/setup.sh"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
status=0
BRIMWICK_BENCH_PG= "$repo/build/bench/dayclosebench" "$@" || status=$?
if [ -n "${BRIMWICK_BENCH_PG:-}" ]; then
  "$repo/build/bench/dayclosebench" "$@" || status=$?
fi
exit $status
