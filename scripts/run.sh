#!/usr/bin/env bash
# The main job: sets up the machine if needed and builds the release
# configuration. With a display (DISPLAY or WAYLAND_DISPLAY) it starts the
# desktop program on the Windows System32 folder this machine has (WSL's
# /mnt/c, a mounted partition named by TARNIX_WINDOWS_ROOT, or Wine's DLLs)
# or, where there is none, on the sample images. Without a display it runs
# the headless search for "CreateFile*" there and says how to start the
# window. It installs and builds only what that needs: the two programs and
# the sample images (scripts/test.sh installs and builds the rest).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
# A build folder made here builds no tests; one the tests already use keeps
# its configuration.
if [ -f build/release/CMakeCache.txt ]; then
  cmake --preset release >/dev/null
else
  cmake --preset release -DTARNIX_TESTS=OFF >/dev/null
fi
cmake --build --preset release -j "$(nproc)" --target tarnix tarnix-cli tarnix-make-samples
cli=build/release/src/tarnix-cli
gui=build/release/src/gui/tarnix
folder=$("$cli" where 2>/dev/null | sed -n 's/^System32 (64-bit): *//p; s/^System32 (32-bit): *//p' | grep -v '^none found$' | head -n 1 || true)
if [ -z "$folder" ]; then
  folder=build/release/samples
  build/release/tests/tarnix-make-samples "$folder"
  echo "No Windows folder found; using the sample images in $folder" >&2
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$gui" "$folder"
fi
[ "$folder" = build/release/samples ] && "$cli" symbols "$folder"/* | head -n 20
"$cli" search "$folder" --for 'CreateFile*' --header
echo >&2
echo "No display here. The desktop program starts with a display: $gui \"$folder\"" >&2
echo "(or, for a look without a screen: QT_QPA_PLATFORM=offscreen $gui, and scripts/screenshots.sh)" >&2
