#!/usr/bin/env bash
# First paint and memory of the patient information list and the drug
# issue report over a year, and of the shop's stock search over every batch,
# at 1x and 10x, each case in a process of its own. The clinic stores are
# made on first use in <folder>-1x and <folder>-10x (kept and reused; about
# 300 MB and 3 GB), the shop stores beside them:
#   scripts/bench-firstpaint.sh [folder]
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
folder="${1:-${TMPDIR:-/tmp}/brimwick-firstpaint}"
source "$repo/scripts/setup.sh"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
echo "| list | rows | rows read first | first paint | all rows read | painted after reading all | first paint, the seventh query | rows held in memory | heap at its peak, over before | peak resident, the store's mapped pages included |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for factor in 1 10; do
  for list in patients issues; do
    "$repo/build/bench/firstpaintbench" "$list" "$folder-${factor}x" "$factor"
  done
  "$repo/build/bench/firstpaintbench" stock "$folder-shop-${factor}x" "$factor"
done
