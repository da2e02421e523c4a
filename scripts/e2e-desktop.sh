#!/usr/bin/env bash
# What the desktop learns, end to end: a private session bus with a stand-in desktop
# (desktop-standin.py: Notifications and ScreenSaver, no portal), Teilomat under Xvfb.
# Usage: scripts/e2e-desktop.sh [path/to/teilomat]   (exit 77: skipped)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/app/teilomat}
# Its runs are timed for a processor of its own: under an emulator the "short" outer test
# takes many minutes. The D-Bus side is the same Qt code on every architecture.
[ -z "${TEILOMAT_RUN_WITH:-}" ] || { echo "e2e-desktop.sh: SKIPPED under the emulator $TEILOMAT_RUN_WITH"; exit 77; }
command -v dbus-daemon >/dev/null && /usr/bin/python3 -c 'import dbus, gi' 2>/dev/null ||
  { echo "e2e-desktop.sh: SKIPPED, dbus-daemon, python3-dbus or python3-gi missing"; exit 77; }
. "$root/scripts/xvfb-session.sh" && need_xvfb_tools
export XDG_RUNTIME_DIR=$(mktemp -d /tmp/teilomat-e2e-desktop.XXXXXX) && work=$XDG_RUNTIME_DIR
STANDIN_PID="" OTHER_PID=""
trap 'stop_process "$OTHER_PID"; stop_process "$STANDIN_PID"; stop_session; rm -rf "$work"' EXIT
fail() { echo "e2e-desktop.sh: FAILED, $*" >&2; cat "$work/log" "$work/stderr" >&2 || true; exit 1; }
told() { grep -c "^$1" "$work/log" || true; }
since() { awk -v s="$1" -v e="$(date +%s.%N)" 'BEGIN { print e - s }'; }

start_session_bus "$work" && : >"$work/log"
/usr/bin/python3 "$root/scripts/desktop-standin.py" "$work/log" >"$work/standin" & STANDIN_PID=$!
wait_until 10 'grep -q ready "$work/standin"' || fail "the stand-in desktop did not start"
start_xvfb
start_program() {
  "$program" </dev/null 2>"$work/stderr" & APP_PID=$!
  window=$(wait_for_window '^Teilomat $' 20) && xdotool windowfocus --sync "$window" || fail "no main window"
}
# Text1 at 16,24 (185 x 19), Command1 at 472,16 (137 x 33).
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
test_number() { click 100 33; xdotool key --clearmodifiers ctrl+a; xdotool type --delay 5 "$1"; click 540 32; }
title() { xdotool getwindowname "$window"; }
xmessage -title Anderes "Ein anderes Fenster" & OTHER_PID=$!
other=$(wait_for_window '^Anderes$' 10) || fail "no other window"
start_program

# 1. A test of a few seconds, a test of hours nested in it from the start: one
# hold of sleep from about 2 s. Esc of the nested test after 12 s, then another
# window has the focus: "(abgebrochen)", about a second later the outer caption.
outer=10000000000000000000009 nested=9999999999999999999999999473
test_number $outer && started=$(date +%s.%N) && test_number $nested
wait_until 10 '[[ $(title) == *$nested* ]]' || fail "the nested test did not start: $(title)"
wait_until 15 '[ "$(told inhibit)" = 1 ] && [ "$(since "$started" | cut -d. -f1)" -ge 12 ]' || fail "no inhibition"
xdotool key Escape && xdotool windowfocus --sync "$other"
wait_until 5 '[ "$(title)" = "Teilomat - (abgebrochen)" ]' && stopped=$(date +%s.%N) || fail "no (abgebrochen): $(title)"
wait_until 5 '[[ $(title) == "Teilomat - ($outer "* ]]' || fail "the outer caption did not come back: $(title)"
back=$(since "$stopped")
awk -v t="$back" 'BEGIN { exit !(t > 0.5 && t < 2) }' || fail "the outer caption came back after $back s"

# 2. The outer test, 12 s and more, ends unseen: one notification, whose action raises the window.
wait_until 150 '[ "$(title)" = "Teilomat - ($outer ist Prim)" ]' || fail "the test of $outer did not end: $(title)"
wait_until 5 '[ "$(told action)" = 1 ]' || fail "no notification with an action"
wait_until 5 '[ "$(xdotool getwindowfocus)" = "$window" ]' || fail "the notification's action did not raise the window"

# 3. Esc of a test of hours releases the hold.
test_number $nested
wait_until 10 '[ "$(told inhibit)" = 2 ]' || fail "no inhibition 2 s into a long test"
xdotool key Escape
wait_until 5 '[ "$(told release)" = 2 ]' || fail "no release after Esc"

# 4. A short test tells nothing. Then all told, a row of progress signals as one
# line ("rising": at least three, falling only to a nested test's 0, to 50 % or more).
test_number 999999999999989
wait_until 10 '[ "$(title)" = "Teilomat - (999999999999989 ist Prim)" ]' || fail "the short test did not end"
sleep 0.5
told=$(awk '/^progress/ { v = $2 + 0; rising = n++ == 0 || (rising && (v >= last || v == 0)); last = v; next }
  /^inhibit/ { print; next }
  n { print (n >= 3 && rising && last >= 0.5 ? "progress rising" : "progress"); n = 0 }
  { sub(/Dauer: [0-9]+ [A-Z][a-z]+( und [0-9]+ [A-Z][a-z]+)?/, "Dauer: N"); print }' "$work/log" | paste -sd ';')
expected="inhibit Teilomat: Teilomat rechnet;progress rising;notify|Teilomat|org.example.Teilomat|$outer ist Prim|\
Dauer: N|default,Anzeigen|org.example.Teilomat;release same;hidden;action;inhibit Teilomat: Teilomat rechnet;progress;release same;hidden"
[ "$told" = "$expected" ] || fail "the desktop was told otherwise: $told"
[ ! -s "$work/stderr" ] || fail "the program wrote on stderr"
stop_process "$APP_PID"

# 5. No session bus: a test runs past 2 s and ends by Esc as always, silently.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/none
start_program && test_number $nested && sleep 3 && xdotool key Escape
wait_until 5 '[ "$(title)" = "Teilomat - (abgebrochen)" ] && [ ! -s "$work/stderr" ]' || fail "without a bus: $(title)"
echo "e2e-desktop.sh: PASSED (caption back $back s after Esc)"
