#!/usr/bin/env bash
# Builds the Debian package: a release build of the two programs (no tests)
# in build/package, then CPack writes build/package/tarnix_VERSION_ARCH.deb
# with the programs, the desktop entry, the icons, the AppStream file, the
# man pages and the bash completion. Then it checks the package with lintian
# and its desktop entry and AppStream file with their validators.
#
#   scripts/package.sh [--no-check]
#
# Install it with: sudo apt install ./build/package/tarnix_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
check=1
case "${1:-}" in
  --no-check) check=0 ;;
  "") ;;
  *) echo "usage: scripts/package.sh [--no-check]" >&2; exit 2 ;;
esac
scripts/setup.sh package
cmake --preset package >/dev/null
cmake --build --preset package -j "$(nproc)"
rm -f build/package/tarnix_*.deb
(cd build/package && cpack -G DEB >/dev/null)
deb=$(ls build/package/tarnix_*.deb)
echo "package: $deb" >&2
[ "$check" = 1 ] || exit 0
status=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
desktop-file-validate "$work"/usr/share/applications/*.desktop || status=1
appstreamcli validate --no-net "$work"/usr/share/metainfo/*.metainfo.xml >/dev/null || {
  appstreamcli validate --no-net "$work"/usr/share/metainfo/*.metainfo.xml; status=1; }
# lintian exits non-zero on errors only; warnings are printed.
lintian --tag-display-limit 0 "$deb" || status=1
exit $status
