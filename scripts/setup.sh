#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for one kind of work:
#
#   scripts/setup.sh [PROFILE...]
#
#   run      build and run tarnix and tarnix-cli (the default)
#   test     the test suite, its checkers, benchmarks and screenshots
#   fuzz     the libFuzzer targets (clang and its fuzzer runtime)
#   e2e      driving the real window under Xvfb (scripts/e2e.sh)
#   package  the Debian package, its man pages and its checks (scripts/package.sh)
#   chroot   a fresh Debian 12 system to try the package and the main job in
#            (scripts/fresh-check.sh)
#
# Every profile includes run. Idempotent: quiet and quick when everything
# is present.
set -euo pipefail
run=(g++ cmake ninja-build pkg-config libsqlite3-dev tzdata
     qt6-base-dev qt6-base-dev-tools libgl-dev qt6-wayland libqt6svg6)
test=(googletest libgtest-dev libgmock-dev libbenchmark-dev mingw-w64-common python3
      fonts-dejavu-core tidy time desktop-file-utils appstream clang llvm lld fuse3 libfuse3-dev)
fuzz=(clang libclang-rt-14-dev llvm lld)
e2e=(xvfb xauth openbox at-spi2-core dbus-x11 python3-dogtail python3-pyatspi xdotool imagemagick)
package=(python3 dpkg-dev file lintian desktop-file-utils appstream)
chroot=(mmdebstrap git)
pkgs=("${run[@]}")
for profile in "${@:-run}"; do
  case "$profile" in
    run) ;;
    test) pkgs+=("${test[@]}") ;;
    fuzz) pkgs+=("${fuzz[@]}") ;;
    e2e) pkgs+=("${e2e[@]}") ;;
    package) pkgs+=("${package[@]}") ;;
    chroot) pkgs+=("${chroot[@]}") ;;
    *) echo "setup: unknown profile '$profile' (run, test, fuzz, e2e, package, chroot)" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
echo "setup: installing ${missing[*]}" >&2
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# A mirror that fails to answer for one index must not stop the install:
# what the other indexes list is usually enough.
$sudo apt-get update -qq || echo "setup: apt-get update reported errors; installing from the lists it has" >&2
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
