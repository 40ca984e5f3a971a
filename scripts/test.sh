#!/usr/bin/env bash
# Builds the program and runs every test through ctest; the clinic suites
# also run against a PostgreSQL server started on loopback for the run.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$repo/scripts/setup.sh"
if [ -z "${BRIMWICK_TEST_PG:-}" ] && [ -x "$repo/scripts/pg-start.sh" ]; then
  source "$repo/scripts/pg-start.sh"
fi
cd "$repo/build"
ctest --output-on-failure -j "$(nproc)"
