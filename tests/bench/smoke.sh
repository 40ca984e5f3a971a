#!/usr/bin/env bash
# Runs a benchmark once on a sliver of its store, in a folder of its own
# that every "{dir}" among the arguments names, and fails when it does.
set -euo pipefail
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
args=()
for a in "$@"; do args+=("${a//\{dir\}/$dir}"); done
export BRIMWICK_BENCH_SMOKE=1
unset BRIMWICK_BENCH_PG
"${args[@]}" > "$dir/out.txt" 2>&1 || { cat "$dir/out.txt"; exit 1; }
