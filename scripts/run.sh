#!/usr/bin/env bash
# The main job: sets up the machine if needed, builds the release
# configuration and searches for "CreateFile*" among the images of the
# Windows System32 folder this machine has (WSL's /mnt/c, a mounted
# partition named by TARNIX_WINDOWS_ROOT, or Wine's DLLs). Without one it
# writes the sample images into build/release/samples and searches those.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
cli=build/release/src/tarnix-cli
folder=$("$cli" where 2>/dev/null | sed -n 's/^System32 (64-bit): *//p; s/^System32 (32-bit): *//p' | grep -v '^none found$' | head -n 1 || true)
if [ -z "$folder" ]; then
  folder=build/release/samples
  build/release/tests/tarnix-make-samples "$folder"
  echo "No Windows folder found; searching the sample images in $folder" >&2
  "$cli" symbols "$folder"/* | head -n 20
fi
"$cli" search "$folder" --for 'CreateFile*' --header
