#!/usr/bin/env bash
# The Windows program under Wine in a virtual X server, driven by the keyboard
# as a user would: the verdicts of a small prime, a product of two primes and
# the largest prime below 2^64 in the window title; a number read with the
# separators of the user's Windows settings; 10 to 30 listed and saved
# (exactly "11" CR LF ... "29"), a read-only file refused with the box; Esc
# ending a long test; the Info window. With --kernel-check only the three
# verdicts, for a run per kernel (TEILOMAT_KERNEL): a forced kernel must be
# accepted without a warning.
# Usage: scripts/e2e-windows.sh [--kernel-check] PROGRAM.exe
#   in the Wine prefix that WINEPREFIX names (scripts/wine-run.sh's otherwise);
#   the program's working folder, where it saves, is a fresh temporary one.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
full=1
[ "${1:-}" = --kernel-check ] && { full=0; shift; }
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
[ -f "$program" ] || { echo "e2e-windows.sh: no program at $program" >&2; exit 1; }

# shellcheck source=scripts/xvfb-session.sh
. "$root/scripts/xvfb-session.sh"
need_xvfb_tools
work=$(mktemp -d /tmp/teilomat-e2e-windows.XXXXXX)
# Wine's desktop takes the display it first meets, and its programs' windows
# go there: a prefix whose wine server already runs (an installer without a
# display) is ended first, and ends again with this run's Xvfb.
WINEPREFIX=$("$root/scripts/wine-run.sh" --prefix)
export WINEPREFIX
wineserver -k 2>/dev/null || true
wineserver -w
# German separators in the user's Windows settings (Control Panel,
# International), which Wine's locale functions and so Qt read; removed again
# at the end.
international='HKCU\Control Panel\International'
end() {
  stop_session
  if [ "$full" = 1 ]; then
    "$root/scripts/wine-run.sh" reg delete "$international" /v sDecimal /f >/dev/null 2>&1 || true
    "$root/scripts/wine-run.sh" reg delete "$international" /v sThousand /f >/dev/null 2>&1 || true
  fi
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap end EXIT
fail() { echo "e2e-windows.sh: FAILED, $*" >&2; [ -s "$work/stderr" ] && cat "$work/stderr" >&2; exit 1; }
start_xvfb
if [ "$full" = 1 ]; then
  "$root/scripts/wine-run.sh" reg add "$international" /v sDecimal /d , /f >/dev/null
  "$root/scripts/wine-run.sh" reg add "$international" /v sThousand /d . /f >/dev/null
fi

(cd "$work" && exec "$root/scripts/wine-run.sh" "$program" </dev/null 2>"$work/stderr") &
APP_PID=$!
window=$(wait_for_window '^Teilomat $' 60) || fail "the main window did not appear"
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 1  # the first paint under Wine

title() { xdotool getwindowname "$window"; }
# Waits up to $2 seconds (default 20) for the title $1.
expect_title() {
  local tries=$(( ${2:-20} * 10 ))
  while [ "$tries" -gt 0 ]; do
    [ "$(title)" = "$1" ] && { echo "ok: $1"; return 0; }
    sleep 0.1
    tries=$((tries - 1))
  done
  fail "the title is \"$(title)\", expected \"$1\""
}
keys() { xdotool key --clearmodifiers "$@"; }
# The focus starts on Command1; Tab takes it to Text1, where Alt+P (the
# access key of Command1) leaves it.
keys Tab
test_number() {
  keys ctrl+a
  xdotool type --delay 20 "$1"
  keys alt+p
}

test_number 97
expect_title "Teilomat - (97 ist Prim)"
test_number 1000000016000000063
expect_title "Teilomat - (1000000016000000063 ist keine Primzahl)" 120
test_number 18446744073709551557
expect_title "Teilomat - (18446744073709551557 ist Prim)" 300
if grep -q TEILOMAT_KERNEL "$work/stderr"; then
  fail "TEILOMAT_KERNEL=${TEILOMAT_KERNEL:-} was not accepted"
fi
[ "$full" = 1 ] || { echo "e2e-windows.sh: PASSED (kernel ${TEILOMAT_KERNEL:-of the processor})"; exit 0; }

# The user's Windows settings give the separators (set before the start):
# "1.000.003" is 1000003 with German ones.
test_number 1.000.003
expect_title "Teilomat - (1000003 ist Prim)"

# Esc ends a test of hours: a 28-digit prime, as long as Text1 takes.
test_number 9999999999999999999999999473
expect_title_prefix() {
  local tries=200
  while [ "$tries" -gt 0 ]; do
    [[ $(title) == "$1"* ]] && return 0
    sleep 0.1
    tries=$((tries - 1))
  done
  fail "the title is \"$(title)\", expected one beginning with \"$1\""
}
expect_title_prefix "Teilomat - (9999999999999999999999999473"
sleep 2
keys Escape
expect_title "Teilomat - (abgebrochen)" 10

# From Text1 back (Shift+Tab) past Command1, Command7, Command6 and Command5
# to Text4, then Text3; Enter there presses Auflisten.
keys shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab ctrl+a
xdotool type --delay 20 10
keys Tab ctrl+a
xdotool type --delay 20 30
keys Return
expect_title "Teilomat - (6 Primzahlen zwischen 10 und 30)"
# Tab to Auflisten, Tab to Als Textfile speichern, Space presses it.
keys Tab Tab space
printf '11\r\n13\r\n17\r\n19\r\n23\r\n29' >"$work/expected"
saved() { cmp -s "$work/expected" "$work/Primzahlen.txt"; }
for _ in $(seq 100); do saved && break; sleep 0.1; done
saved || fail "Primzahlen.txt holds \"$(od -c "$work/Primzahlen.txt" 2>/dev/null | head -3)\""
echo "ok: Primzahlen.txt"
# A read-only file is refused with the box and stays as it was; the focus
# is still on Als Textfile speichern.
"$root/scripts/wine-run.sh" cmd /c attrib +r "$(winepath -w "$work/Primzahlen.txt")"
keys space
box=$(wait_for_window '^Speichern Listbox$' 20) || fail "no box for the read-only Primzahlen.txt"
xdotool windowfocus --sync "$box" 2>/dev/null || true
keys Return
saved || fail "the read-only Primzahlen.txt changed"
echo "ok: the read-only Primzahlen.txt refused with the box"

# The Info window, by its access key.
keys alt+i
wait_for_window '^Teilomat - Info$' 20 >/dev/null || fail "the Info window did not appear"
echo "ok: Info"
echo "e2e-windows.sh: PASSED"
