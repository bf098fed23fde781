#!/usr/bin/env bash
# Remakes the README's screenshots under Xvfb, driving the window with xdotool as a user would.
#   scripts/readme-screenshot.sh [PICTURE]   (default: ../shared/pictures/flower.png)
set -euo pipefail
cd "$(dirname "$0")/.."
picture=$(realpath "${1:-../shared/pictures/flower.png}")
mkdir -p docs
crop="-crop 814x512+50+50"

# Where things are on screen: the window's inside starts at 50,50 (no window manager draws a frame).
open_button="807 94"       # 按钮1 in the panel
zoom_slider_left="691 289" # the left end of 滑块条2
open_picture="xdotool mousemove $open_button click 1; sleep 1; xdotool type --delay 5 '$picture'; xdotool key Return; sleep 3"

scripts/screenshot.sh /tmp/empty.png >/dev/null
convert /tmp/empty.png $crop docs/screenshot-empty.png

SCREENSHOT_SETUP="$open_picture" scripts/screenshot.sh /tmp/loaded.png >/dev/null
convert /tmp/loaded.png $crop docs/screenshot.png

# Zoom to 50 % with the keyboard on the zoom slider, then drag the panel to the lower left.
zoom_and_drag="$open_picture; xdotool mousemove $zoom_slider_left click 1; for i in \$(seq 5); do xdotool key Next; done; sleep 1;
  xdotool mousemove 820 70 mousedown 1 mousemove 700 150 mousemove 300 300 mouseup 1; sleep 1"
SCREENSHOT_SETUP="$zoom_and_drag" scripts/screenshot.sh /tmp/zoomed.png >/dev/null
convert /tmp/zoomed.png $crop docs/screenshot-zoom-drag.png

# The window made larger: the preview area and the status line follow, the panel stays.
resize="$open_picture; xdotool search --name '图片压缩' windowsize 940 600; sleep 1"
SCREENSHOT_SETUP="$resize" scripts/screenshot.sh /tmp/resized.png >/dev/null
convert /tmp/resized.png -crop 940x600+50+50 docs/screenshot-resized.png
echo "saved docs/screenshot-empty.png docs/screenshot.png docs/screenshot-zoom-drag.png docs/screenshot-resized.png"
