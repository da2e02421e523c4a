#!/usr/bin/env bash
# Screenshots of the main window, the Info window and Text1's context menu, taken in a virtual X server.
# Usage: scripts/screenshot.sh [path/to/teilomat] [output directory]
# Needs Xvfb (xvfb), xdotool and import (imagemagick).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/app/teilomat}
outdir=${2:-$root/docs}

for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing (apt-get install xvfb xdotool imagemagick)" >&2; exit 1; }
done
[ -f "$program" ] || { echo "screenshot.sh: no program at $program (build it first)" >&2; exit 1; }
mkdir -p "$outdir"

# shellcheck source=scripts/xvfb-session.sh
. "$root/scripts/xvfb-session.sh"
start_xvfb

${TEILOMAT_RUN_WITH:-} "$program" </dev/null &  # an emulator for a cross build (scripts/wine-run.sh)
APP_PID=$!
main=$(wait_for_window '^Teilomat $' 20) || { echo "screenshot.sh: the main window did not appear" >&2; exit 1; }
sleep 0.5   # let the first paint finish
import -window "$main" "$outdir/screenshot-main.png"

# Command7 ("Info") sits at 128,56 with size 65 x 25 pixels.
xdotool mousemove --window "$main" 160 68 click 1
info=$(wait_for_window '^Teilomat - Info$' 20) || { echo "screenshot.sh: the Info window did not appear" >&2; exit 1; }
sleep 0.5
import -window "$info" "$outdir/screenshot-info.png"

# "Schließen" sits at 80,240 with size 161 x 25 pixels in the Info window,
# which lies over the main window in a bare X server.
xdotool mousemove --window "$info" 160 252 click 1
sleep 0.3
# Text1 sits at 16,24 with size 185 x 19 pixels. The menu is a window of its
# own, so the whole screen is taken and cut to the main window and the menu.
xdotool mousemove --window "$main" 60 33 click 3
sleep 0.7
eval "$(xdotool getwindowgeometry --shell "$main")"
import -window root -crop "480x230+${X}+${Y}" +repage "$outdir/screenshot-context-menu.png"
xdotool key Escape

echo "written: $outdir/screenshot-main.png $outdir/screenshot-info.png $outdir/screenshot-context-menu.png"
