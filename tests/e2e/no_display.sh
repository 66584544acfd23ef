#!/usr/bin/env bash
# Started with no display, or with one that is not there, Tavelin says so in one line and ends with
# status 1, instead of the toolkit's abort.
set -uo pipefail
program="$1"
status=0
check() {
  local what="$1" expected="$2" output rc lines
  shift 2
  output="$(env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$@" "$program" 2>&1 > /dev/null)"
  rc=$?
  lines=$(printf '%s\n' "$output" | grep -vc '^QStandardPaths')
  if [ "$rc" -ne 1 ] || [ "$lines" -ne 1 ] || ! printf '%s' "$output" | grep -qF "$expected"; then
    echo "FAIL ($what): status $rc, $lines line(s): $output" >&2
    status=1
  else
    echo "$what: $output"
  fi
}
check "DISPLAY unset" "Tavelin: no display found (DISPLAY is not set); start Tavelin from a desktop session, or set DISPLAY to a running X server (for example DISPLAY=:0)." -u DISPLAY
check "DISPLAY empty" "Tavelin: no display found (DISPLAY is not set);" DISPLAY=
check "no server at DISPLAY" "Tavelin: no display found at DISPLAY=:4093;" DISPLAY=:4093
check "xcb asked for" "Tavelin: no display found (DISPLAY is not set);" -u DISPLAY QT_QPA_PLATFORM=xcb
exit $status
