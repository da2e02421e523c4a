#!/usr/bin/env bash
# Times commands in the real window under Xvfb, as a user runs them, for
# comparing builds on one machine in one run.
# Usage: scripts/time-window.sh PROGRAM test NUMBER       (Primprüfung of NUMBER)
#        scripts/time-window.sh PROGRAM list FROM TO      (Auflisten from FROM to TO)
# Prints the seconds from the click until the caption shows the verdict.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=$1
what=$2
[ -x "$program" ] || { echo "time-window.sh: no program at $program" >&2; exit 1; }

# shellcheck source=scripts/xvfb-session.sh
. "$root/scripts/xvfb-session.sh"
need_xvfb_tools
start_xvfb

${TEILOMAT_RUN_WITH:-} "$program" </dev/null >/dev/null 2>&1 &  # an emulator for a cross build
APP_PID=$!
window=$(wait_for_window '^Teilomat $' 20) || { echo "time-window.sh: the main window did not appear" >&2; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null || true

# Centres of the controls in window pixels (twips / 15).
type_into() {  # x y text
  xdotool mousemove --window "$window" "$1" "$2" click 1
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 5 "$3"
}
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

case $what in
  test)
    type_into 100 33 "$3"
    done_pattern='(ist Prim|ist keine Primzahl)\)$'
    start=$(date +%s.%N)
    click 540 32   # Command1
    ;;
  list)
    type_into 428 257 "$3"   # Text3
    type_into 628 257 "$4"   # Text4
    done_pattern=' Primzahlen zwischen .*\)$'
    start=$(date +%s.%N)
    click 424 184  # Command5
    ;;
  *) echo "time-window.sh: test or list" >&2; exit 2 ;;
esac

while :; do
  title=$(xdotool getwindowname "$window" 2>/dev/null || true)
  if [[ $title =~ $done_pattern ]]; then break; fi
  sleep 0.005
done
end=$(date +%s.%N)
echo "$title"
awk -v a="$start" -v b="$end" 'BEGIN { printf "seconds: %.3f\n", b - a }'
