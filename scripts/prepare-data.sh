#!/usr/bin/env bash
# Prepares a data folder for a run: the about window's sound, the shop demo
# and, into a clinic store that holds nothing yet, the clinic demo. Safe to
# run before every start: what is already there is left as it is.
#   scripts/prepare-data.sh <datadir>
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRIMWICK_BUILD_DIR:-$repo/build}"
if [ $# -ne 1 ]; then
  echo "usage: $0 <datadir>" >&2
  exit 2
fi
dir="$1"
mkdir -p "$dir"

if [ ! -e "$dir/1.mp3" ] && [ -f "$build/1.mp3" ]; then
  cp "$build/1.mp3" "$dir/1.mp3"
fi

if [ -x "$build/tools/shopdemo" ]; then
  "$build/tools/shopdemo" "$dir"
fi

if [ -x "$build/tools/clinicload" ]; then
  "$build/tools/clinicload" --only-new "$dir" "$repo/tools/demo/clinic" || {
    echo "prepare-data: the clinic demo was not loaded into the clinic store named by $dir/brimwick.ini" >&2
    exit 1
  }
fi
