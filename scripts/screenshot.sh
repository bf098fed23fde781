#!/usr/bin/env bash
# Launches the program under Xvfb and saves a screenshot of the screen as a PNG.
#   scripts/screenshot.sh OUT.png [BINARY]
# SCREENSHOT_SETUP, if set, is a command run (with DISPLAY set) once the window is up, e.g. one
# that drives the window with xdotool; SCREENSHOT_WAIT is the wait in seconds before it.
set -euo pipefail
out=${1:?usage: scripts/screenshot.sh OUT.png [BINARY]}
binary=${2:-build/default/image-compressor}
display=:${SCREENSHOT_DISPLAY:-97}
Xvfb "$display" -screen 0 1000x660x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)} "$binary" &
app=$!
sleep "${SCREENSHOT_WAIT:-2}"
if [ -n "${SCREENSHOT_SETUP:-}" ]; then bash -c "$SCREENSHOT_SETUP"; sleep 1; fi
import -window root "$out"
kill $app 2>/dev/null || true
echo "saved $out"
