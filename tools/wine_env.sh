#!/usr/bin/env bash
# The one place that sets up Wine for the end-to-end tests, run.sh and bench.sh.
#
#   tools/wine_env.sh start BUILD_DIR [--display]
#       Starts a session: an X display (a private Xvfb, or with --display the
#       $DISPLAY given, when it is usable), a persistent wineserver and a Wine
#       prefix in BUILD_DIR/wine/prefix, created when missing. One session a
#       folder: a start waits while another one runs, and stops one whose
#       starter (the calling process, e.g. ctest) has gone.
#   tools/wine_env.sh run BUILD_DIR SECONDS [--date 'YYYY-MM-DD hh:mm:ss'] COMMAND...
#       Runs COMMAND in the session, killed after SECONDS. A first word "wine"
#       stands for the Wine loader; --date fakes the clock (libfaketime).
#   tools/wine_env.sh stop BUILD_DIR
#       Ends every Wine process of the session and its Xvfb.
#
# Wine runs with the Czech locale, so that its ANSI code page is 1250.
set -euo pipefail

loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader=$(command -v wine64 || command -v wine || true)

usage() {
  sed -n '3,15p' "$0" >&2
  exit 64
}

[ $# -ge 2 ] || usage
action=$1
build=$(cd "$2" && pwd)
shift 2
home="$build/wine"
session="$home/session"
prefix="$home/prefix"
log="$home/wine.log"

export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINELOADER="$loader"
# No desktop entries on the host, no prompts for the .NET and HTML runtimes.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
export LC_ALL=cs_CZ.UTF-8

say() { echo "wine_env: $*" >&2; }

# Whether PID is alive and runs the program NAME (guards against reused PIDs).
runs() {
  [ -n "$1" ] && [ -r "/proc/$1/cmdline" ] && tr '\0' ' ' <"/proc/$1/cmdline" | grep -q "$2"
}

stop_session() {
  [ -f "$session" ] || return 0
  local DISPLAY="" XVFB_PID="" OWNER=""
  # shellcheck disable=SC1090
  . "$session"
  timeout 20 wineserver -k >>"$log" 2>&1 || true
  timeout 20 wineserver -w >>"$log" 2>&1 || true
  if runs "$XVFB_PID" Xvfb; then
    kill "$XVFB_PID" 2>/dev/null || true
    for _ in $(seq 50); do runs "$XVFB_PID" Xvfb || break; sleep 0.1; done
  fi
  rm -f "$session"
}

# A display that answers, for a person to see the boxes.
display_usable() {
  [ -n "${DISPLAY:-}" ] && timeout 5 xwd -root -silent >/dev/null 2>&1
}

start_xvfb() {
  local number_file="$home/display"
  rm -f "$number_file"
  # -displayfd picks a free display number and writes it once the server
  # is ready.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" </dev/null >>"$log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  [ -s "$number_file" ] || { say "Xvfb did not start (see $log)"; exit 1; }
  DISPLAY=":$(tr -d '\n' <"$number_file")"
  export DISPLAY
}

# Wine steps never wait longer than their limit.
wine_step() {
  local limit=$1
  shift
  timeout -k 5 "$limit" "$@" </dev/null >>"$log" 2>&1
}

create_prefix() {
  say "creating the Wine prefix $prefix"
  rm -rf "$prefix"
  wine_step 180 "$loader" wineboot -i || { say "wineboot failed (see $log)"; exit 1; }
  # Without a window manager Wine waits two seconds after each closed box
  # unless it manages its windows itself.
  wine_step 60 "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  # The server writes the registry to the prefix when it ends.
  wine_step 60 wineserver -w || true
  grep -q '"Managed"="N"' "$prefix/user.reg" || { say "the prefix lacks its settings (see $log)"; exit 1; }
  "$loader" --version >"$prefix/.made-by-wine"
}

# A process as "pid:start time", which a reused pid does not match.
process_id() {
  [ -r "/proc/$1/stat" ] && echo "$1:$(sed 's/.*) //' "/proc/$1/stat" | cut -d' ' -f20)"
}

# The session's processes hold the lock on fd 9 while they run.
take_lock() {
  exec 9>"$home/lock"
  flock -n 9 && return 0
  local OWNER=""
  # shellcheck disable=SC1090
  [ -f "$session" ] && . "$session"
  if [ -n "$OWNER" ] && [ "$(process_id "${OWNER%%:*}" || true)" != "$OWNER" ]; then
    say "stopping a session left over in $home"
    stop_session
    flock -w 30 9 && return 0
  else
    say "waiting for the Wine session in $home to end"
    flock -w 900 9 && return 0
  fi
  say "the Wine session in $home is still busy"
  exit 1
}

start_session() {
  local use_display=$1
  mkdir -p "$home"
  take_lock
  stop_session
  : >"$log"
  XVFB_PID=""
  if [ "$use_display" = yes ] && display_usable; then
    say "using the display $DISPLAY"
  else
    start_xvfb
  fi
  printf 'DISPLAY=%q\nXVFB_PID=%q\nOWNER=%q\n' "$DISPLAY" "$XVFB_PID" "$(process_id "$PPID")" >"$session"
  # A start that fails leaves nothing running.
  trap '[ $? -eq 0 ] || stop_session' EXIT
  # A prefix made by another Wine version, or not finished, is made anew.
  if [ ! -f "$prefix/.made-by-wine" ] || [ "$(cat "$prefix/.made-by-wine")" != "$("$loader" --version)" ]; then
    create_prefix
  fi
  # One persistent server for the whole session; a warm start brings up
  # the system processes before the first real program.
  wine_step 30 wineserver -p || { say "wineserver did not start (see $log)"; exit 1; }
  wine_step 120 "$loader" wineboot -r || { say "Wine did not start (see $log)"; exit 1; }
}

run_in_session() {
  [ $# -ge 2 ] || usage
  local limit=$1
  shift
  [ -f "$session" ] || { say "no session in $home: start one first"; exit 1; }
  # shellcheck disable=SC1090
  . "$session"
  export DISPLAY
  local fake=()
  if [ "${1:-}" = --date ]; then
    fake=(env NO_FAKE_STAT=1 faketime --exclude-monotonic "$2")
    shift 2
  fi
  [ "${1:-}" = wine ] && set -- "$loader" "${@:2}"
  exec timeout -k 5 "$limit" "${fake[@]}" "$@"
}

case $action in
  start) start_session "$([ "${1:-}" = --display ] && echo yes || echo no)" ;;
  run) run_in_session "$@" ;;
  stop) stop_session ;;
  *) usage ;;
esac
