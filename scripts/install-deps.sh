#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
set -euo pipefail
PKGS=(build-essential cmake ninja-build pkg-config git
      qt6-base-dev qt6-image-formats-plugins libgl-dev
      libcurl4-openssl-dev libsqlite3-dev libcpp-httplib-dev libssl-dev
      libgtest-dev libgmock-dev libbenchmark-dev
      clang libclang-rt-14-dev
      xvfb xauth
      libical-dev python3-icalendar
      qt6-translations-l10n libqt6svg6)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
