#!/usr/bin/env bash
# End-to-end test of the built program in a virtual X server: a user types a
# number into Text1, presses the buttons, and the window title shows the verdict.
# Usage: scripts/e2e.sh [path/to/teilomat]
# Installs xvfb and xdotool when missing and allowed (root or sudo without
# password); otherwise exits with 77, which ctest reports as skipped.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/app/teilomat}
[ -x "$program" ] || { echo "e2e.sh: no program at $program (build it first)" >&2; exit 1; }

# shellcheck source=scripts/xvfb-session.sh
. "$root/scripts/xvfb-session.sh"
need_xvfb_tools
start_xvfb

# TEILOMAT_RUN_WITH: an emulator for a cross-built program (qemu-aarch64-static).
${TEILOMAT_RUN_WITH:-} "$program" </dev/null &
APP_PID=$!
window=$(wait_for_window '^Teilomat $' 20) || { echo "e2e.sh: FAILED, the main window did not appear" >&2; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null || true

# Positions inside the window, in pixels: Text1 at 16,24 (185 x 19),
# Command1 at 472,16 (137 x 33), Command3 at 224,48 (225 x 21).
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

# Waits until the window title is exactly $1; prints what it saw otherwise.
expect_title() {
  local wanted=$1 title="" tries=200
  while [ "$tries" -gt 0 ]; do
    title=$(xdotool getwindowname "$window")
    [ "$title" = "$wanted" ] && { echo "ok: $title"; return 0; }
    sleep 0.1
    tries=$((tries - 1))
  done
  echo "e2e.sh: FAILED, window title is \"$title\", expected \"$wanted\"" >&2
  return 1
}

click 100 33                      # into Text1
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "15"
click 540 32                      # Command1: Primprüfung
expect_title "Teilomat - (15 ist keine Primzahl)"

click 336 58                      # Command3 copies the divisor 5 into Text1
click 540 32
expect_title "Teilomat - (5 ist Prim)"

click 100 33
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "999999999999989"
xdotool key --clearmodifiers alt+p  # the access key of Command1
expect_title "Teilomat - (999999999999989 ist Prim)"

echo "e2e.sh: PASSED"
