#!/usr/bin/env bash
# Times the clinic history reports (卫材报表, 住院患者费用统计表, 患者信息报表)
# on the clinic benchmarks' store with 100,000 supplies rows each way, made
# on first use in the folder given (kept and reused; about 250 MB, 3 GB at
# factor 10): scripts/bench-history.sh [folder] [factor]. With
# BRIMWICK_BENCH_PG naming a PostgreSQL server the store is made there.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
folder="${1:-${TMPDIR:-/tmp}/brimwick-history-${2:-1}x}"
source "$repo/scripts/setup.sh"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
exec "$repo/build/bench/historybench" "$folder" "${2:-1}"
