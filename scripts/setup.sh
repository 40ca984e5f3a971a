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
  libsqlite3-dev sqlite3 libpq-dev postgresql poppler-utils xvfb xauth openbox x11-utils unzip
  libxcb-xfixes0-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  # Another installation (an update running on its own, a second terminal)
  # holds the package manager's lock: wait for it rather than fail.
  if lslocks -n -o PATH 2>/dev/null | grep -qE '^/var/lib/(dpkg/lock|apt/lists/lock)'; then
    echo "setup: another installation is using the package manager; waiting for it to finish (up to 10 minutes)..." >&2
  fi
  apt_wait=(-o DPkg::Lock::Timeout=600)
  until $sudo_cmd apt-get "${apt_wait[@]}" update -qq; do
    lslocks -n -o PATH 2>/dev/null | grep -q '^/var/lib/apt/lists/lock' || exit 1
    echo "setup: the package lists are being updated by another installation; waiting..." >&2
    sleep 5
  done
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get "${apt_wait[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi
cmake -S "$repo" -B "$repo/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ -n "${brimwick_targets:-}" ]; then
  # shellcheck disable=SC2086
  cmake --build "$repo/build" -j "$(nproc)" --target ${brimwick_targets}
else
  cmake --build "$repo/build" -j "$(nproc)"
fi
