#!/usr/bin/env bash
# Installs what is missing, builds and launches the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the program needs a graphical session (DISPLAY or WAYLAND_DISPLAY is unset)." >&2
  echo "On a headless machine, try: xvfb-run -a build/default/image-compressor" >&2
  exit 1
fi
exec build/default/image-compressor
