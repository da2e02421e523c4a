# Sourced by the scripts that drive Teilomat in a virtual X server (Xvfb).
# Provides: need_xvfb_tools, start_xvfb (sets DISPLAY), start_session_bus
# FOLDER (sets DBUS_SESSION_BUS_ADDRESS), wait_for_window NAME-REGEX SECONDS,
# wait_until SECONDS COMMAND, and a trap that stops whatever was started here.
# patience: how many times longer the program takes; a cross-built program
# under its emulator (TEILOMAT_RUN_WITH, qemu-user) is many times slower.

XVFB_PID=""
APP_PID=""
BUS_PID=""
patience=1
[ -z "${TEILOMAT_RUN_WITH:-}" ] || patience=10
# The tests' pixel positions are those of the program's own style.
unset QT_STYLE_OVERRIDE

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
  stop_process "$BUS_PID"
  stop_process "$XVFB_PID"
  APP_PID=""
  BUS_PID=""
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
# -noreset: by default the server resets whenever its last client leaves,
# and a program that connects during the reset is turned away ("could not
# connect to display"); a restarted program or a helper that touched the
# display just before would then race it. A reset would also drop the root
# window's properties, where the accessibility bus is announced.
start_xvfb() {
  local fifo
  fifo=$(mktemp -u /tmp/teilomat-xvfb.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
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

# Every wait is bounded: until the command $2 succeeds, at most $1 seconds.
wait_until() { local t=$(($1 * 10)); until eval "$2"; do t=$((t - 1)); [ $t -gt 0 ] || return 1; sleep 0.1; done; }

# Prints the id of the first window whose title matches the regex, waiting
# up to the given number of seconds times the patience.
wait_for_window() {
  local pattern=$1 seconds=$2 id=""
  local tries=$((seconds * patience * 10))
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

# A session bus of its own, listening in FOLDER, where no installed service
# can be activated.
start_session_bus() {
  printf '<busconfig><type>session</type><listen>unix:dir=%s</listen><auth>EXTERNAL</auth><policy context="default">
<allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy></busconfig>' \
    "$1" >"$1/bus.conf"
  { read -r DBUS_SESSION_BUS_ADDRESS; read -r BUS_PID; } < <(timeout 10 dbus-daemon --config-file="$1/bus.conf" --fork --print-address=1 --print-pid=1)
  export DBUS_SESSION_BUS_ADDRESS
}
