#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test, fuzz and run
# Tarnix. Idempotent: quiet and quick when everything is present.
set -euo pipefail
pkgs=(g++ cmake ninja-build pkg-config git
      googletest libgtest-dev libgmock-dev libbenchmark-dev
      libsqlite3-dev sqlite3 mingw-w64-common python3
      qt6-base-dev qt6-base-dev-tools libgl-dev qt6-wayland qt6-svg-dev qt6-qpa-plugins
      fonts-dejavu-core librsvg2-bin tzdata tidy
      xvfb xauth openbox at-spi2-core dbus-x11 python3-dogtail python3-pyatspi xdotool imagemagick
      clang libclang-rt-14-dev llvm lld
      fuse3 libfuse3-dev)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "setup: installing ${missing[*]}" >&2
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# A mirror that fails to answer for one index must not stop the install:
# what the other indexes list is usually enough.
$sudo apt-get update -qq || echo "setup: apt-get update reported errors; installing from the lists it has" >&2
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
