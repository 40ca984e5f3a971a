#!/usr/bin/env bash
# Fills a shop store at the scale of three busy years in a temporary folder
# (or in the folder given, kept for the next run), then times the owner's
# four queries and the issue window's stock search through the windows and
# as the same statements run bare.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The bare runs go through SQLite's own interface.
if ! dpkg-query -W -f='${Status}' libsqlite3-dev 2>/dev/null | grep -q "install ok installed"; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends libsqlite3-dev
fi
source "$repo/scripts/setup.sh"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
exec "$repo/build/bench/shopbench" "$@"
