#!/usr/bin/env bash
# Installs the Debian packages the program needs (only those missing) and
# builds it into build/. Sourced by run.sh and test.sh. A caller that needs
# only some programs names their targets in brimwick_targets (run.sh: the
# program and the data tools); otherwise everything is built, tests too.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
packages=(cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql qt6-multimedia-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good libxlsxwriter-dev libsodium-dev
  fonts-noto-cjk fonts-arphic-uming fonts-arphic-ukai qt6-translations-l10n lame sox
  libsqlite3-dev libpq-dev postgresql poppler-utils xvfb xauth openbox x11-utils unzip)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
cmake -S "$repo" -B "$repo/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ -n "${brimwick_targets:-}" ]; then
  # shellcheck disable=SC2086
  cmake --build "$repo/build" -j "$(nproc)" --target ${brimwick_targets}
else
  cmake --build "$repo/build" -j "$(nproc)"
fi
