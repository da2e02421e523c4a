# Sourced by the scripts that drive Teilomat in a virtual X server (Xvfb).
# Provides: need_xvfb_tools, start_xvfb (sets DISPLAY), wait_for_window
# NAME-REGEX SECONDS, and a trap that stops whatever was started here.

XVFB_PID=""
APP_PID=""

# Ends one started process: TERM, then KILL if it is still there after 3 s
# (a stopped process would keep TERM pending).
stop_process() {
  local pid=$1 tries=30
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || return 0
  kill -CONT "$pid" 2>/dev/null || true
  while [ "$tries" -gt 0 ] && kill -0 "$pid" 2>/dev/null; do
    sleep 0.1
    tries=$((tries - 1))
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

stop_session() {
  stop_process "$APP_PID"
  stop_process "$XVFB_PID"
  APP_PID=""
  XVFB_PID=""
}
trap stop_session EXIT

# Installs xvfb and xdotool when missing and allowed (root or sudo without
# password); otherwise ends the script with 77, which ctest reports as skipped.
need_xvfb_tools() {
  if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
    if [ "$(id -u)" = 0 ]; then
      apt-get install -y xvfb xdotool >/dev/null || true
    elif sudo -n true 2>/dev/null; then
      sudo -n apt-get install -y xvfb xdotool >/dev/null || true
    fi
    if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
      echo "$(basename "$0"): SKIPPED, Xvfb or xdotool missing (apt-get install xvfb xdotool)"
      exit 77
    fi
  fi
}

# Starts Xvfb on a free display number (Xvfb picks it and reports it).
start_xvfb() {
  local fifo
  fifo=$(mktemp -u /tmp/teilomat-xvfb.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
  XVFB_PID=$!
  local number
  if ! read -r -t 20 number <"$fifo"; then
    rm -f "$fifo"
    echo "Xvfb did not start" >&2
    return 1
  fi
  rm -f "$fifo"
  export DISPLAY=":$number"
}

# Prints the id of the first window whose title matches the regex, waiting
# up to the given number of seconds.
wait_for_window() {
  local pattern=$1 seconds=$2 id=""
  local tries=$((seconds * 10))
  while [ "$tries" -gt 0 ]; do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}
