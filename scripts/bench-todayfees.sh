#!/usr/bin/env bash
# Fills clinic stores of three busy years and of thirty (in a temporary
# folder, or in the folder given, kept for the next run), then times the
# window of today's patient fees against its statements run bare. With
# BRIMWICK_BENCH_PG naming a PostgreSQL server, the stores live there.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/setup.sh"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
exec "$repo/build/bench/todayfeesbench" "$@"
