#!/usr/bin/env bash
# Tavelin on a desktop with a window manager (openbox on a virtual X server), used by keyboard as a
# user does: File > Open, Tab to Begin Scan and Enter, Tab into Plot Setup (it must land on the
# selected option), arrows to SWR, Enter on Compute and Plot. Checks that the plot window's title
# bar is empty, that the whole plot lies inside its drawing area under the frame, and that File >
# Open wrote no settings. Usage: openbox_session.sh TAVELIN NETWORK [SCREENSHOT-FOLDER]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/plot_window.sh"
program="$1"
network="$2"
shots="${3:-}"
work="$(mktemp -d)"
server=""
manager=""
pid=""
cleanup() {
  set +e  # every step runs, whichever process has already gone
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
  [ -n "$manager" ] && kill "$manager" 2>/dev/null
  [ -n "$server" ] && kill "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  import -window root "${TMPDIR:-/tmp}/tavelin-openbox-failure.png" 2>/dev/null &&
    echo "the screen at that moment: ${TMPDIR:-/tmp}/tavelin-openbox-failure.png" >&2
  exit 1
}
shot() { [ -z "$shots" ] || import -window root "$shots/$1.png"; }

# A display of our own; the server picks a free number and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
server=$!
for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "the X server did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"
xdpyinfo > /dev/null 2>&1 || fail "the X server at $DISPLAY does not answer"

# A home of its own, so the settings check sees only what this run writes.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
openbox > "$work/openbox.log" 2>&1 &
manager=$!
for _ in $(seq 600); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "openbox did not start"
config_before="$(find "$XDG_CONFIG_HOME" 2>/dev/null | sort; true)"

# Waits up to a minute for a visible window whose name matches, prints its id.
window() {
  local id
  for _ in $(seq 600); do
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
      [ "${WIDTH:-0}" -gt 50 ] && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  fail "no window named $1"
}
acknowledge() {
  xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
  xdotool key Return
  for _ in $(seq 600); do
    xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.1
  done
  fail "message box $1 did not close"
}
focused_name() { xdotool getwindowfocus getwindowname 2>/dev/null || true; }

cp "$program" "$work/Tavelin"
export QT_QPA_PLATFORM=xcb
"$work/Tavelin" > "$work/tavelin.log" 2>&1 &
pid=$!
main=$(window '^Tavelin 3.3.1$')
xdotool windowactivate --sync "$main"
sleep 0.5
shot 1-main

# The number-of-steps dialog opens with the focus mark on its OK, and Enter presses it.
xdotool key alt+c
sleep 0.3
xdotool key n
steps=$(window '^Configure Number Of Steps$')
sleep 0.3
shot 1-steps-dialog
acknowledge "$steps"

# The about box, from the Help menu (which has no access key).
xdotool windowactivate --sync "$main"
xdotool mousemove --window "$main" 116 8 click 1
sleep 0.3
xdotool key a
about=$(window '^About Tavelin$')
sleep 0.3
shot 1-about-box
acknowledge "$about"
xdotool windowactivate --sync "$main"

# File > Open by the access keys, the path typed into the dialog; one box per element.
xdotool key alt+f
sleep 0.3
xdotool key o
dialog=$(window '^Open$')
shot 2-open-dialog
xdotool windowactivate --sync "$dialog"
xdotool type --delay 2 "$network"
xdotool key Return
box=$(window '^Tavelin$')
shot 3-element-box
acknowledge "$box"
acknowledge "$(window '^Tavelin$')"

# Bounds typed; Tab to Begin Scan and Enter.
xdotool windowactivate --sync "$main"
sleep 0.3
xdotool type --delay 20 "10"
xdotool key Tab
xdotool type --delay 20 "18"
xdotool key Tab Return
warning=$(window '^Warning$')
shot 4-warning
acknowledge "$warning"
status=$(window '^Status$')
shot 5-status
acknowledge "$status"
[ -s "$work/TavelinOutput.dat" ] || fail "Enter on the focused Begin Scan did not scan"

# The focus is back on Begin Scan. Tab into Plot Setup lands on the selected option, Voltage
# Magnitude, and Down moves the selection with it: six Downs select SWR. Back through the log boxes
# and the selected scale to Compute and Plot, Enter.
xdotool windowactivate --sync "$main"
sleep 0.3
xdotool key Tab
xdotool key Down Down Down Down Down Down
sleep 0.2
shot 6-swr-selected
xdotool key shift+Tab shift+Tab shift+Tab shift+Tab Return

plot="$(find_plot_window "$main")" || fail "no plot window after Tab to the selected option, Down to SWR and Enter"
sleep 1
shot 7-plot

# The caption is empty, on the window and so on the title bar.
name=$(xprop -id "$plot" _NET_WM_NAME)
echo "plot window: $name"
caption="${name#*=}"
[ -z "${caption# }" ] || [ "$caption" = ' ""' ] || fail "the plot window's caption is not empty: $name"

# The whole plot lies in the drawing area: the bottom grid line is black at 3% + 94% of its height,
# and the markers that sit on it near the match are all inside.
import -window "$plot" "$work/plot.png"
size=$(convert "$work/plot.png" -format "%w %h" info:)
width=${size% *}
height=${size#* }
bottom=$(( (97 * height) / 100 ))
line=$(convert "$work/plot.png" -crop "$((width / 2))x5+$((width / 4))+$((bottom - 3))" -fill white +opaque black \
  -fill black -opaque black -negate -format "%[fx:round(mean*w*h)]" info:)
[ "$line" -gt $((width * 2 / 5)) ] || fail "no bottom grid line near y=$bottom of $height"
blue=$(convert "$work/plot.png" -fill black +opaque "rgb(0,0,255)" -fill white -opaque "rgb(0,0,255)" \
  -format "%[fx:round(mean*w*h)]" info:)
echo "plot window ${width}x$height: bottom grid line of $line pixels, $blue marker-blue pixels"
# 100 markers of a radius of 1.6 pixels, about five pure marker-blue pixels each.
[ "$blue" -gt 300 ] || fail "markers missing: only $blue marker-blue pixels"
# The two markers at the match sit on the bottom grid line either side of the middle tick (whose
# top three pixels fall in the same box).
match=$(convert "$work/plot.png" -crop "17x5+$((width / 2 - 8))+$((bottom - 2))" \
  -fill black +opaque "rgb(0,0,255)" -fill white -opaque "rgb(0,0,255)" -format "%[fx:round(mean*w*h)]" info:)
echo "marker-blue pixels on the bottom line around the match: $match"
[ "$match" -gt 6 ] || fail "the markers at the match are not on the bottom grid line"
lowest=$(convert "$work/plot.png" -fill black +opaque "rgb(0,0,255)" -fill white -opaque "rgb(0,0,255)" \
  -crop "${width}x3+0+$((height - 3))" -format "%[fx:round(mean*w*h)]" info:)
[ "$lowest" -eq 0 ] || fail "marker pixels touch the bottom edge of the drawing area"

# The OK button has the focus: Enter presses it and the plot window closes.
xdotool windowactivate --sync "$plot"
xdotool key Return
for _ in $(seq 600); do
  xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$plot" || break
  sleep 0.1
done
xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$plot" && fail "Enter on the focused OK did not close the plot"

# File > Exit; no settings were written by the file dialog.
xdotool windowactivate --sync "$main"
xdotool key alt+f
sleep 0.3
xdotool key x
for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the program"
wait "$pid" || fail "Tavelin ended with status $?: $(cat "$work/tavelin.log")"
pid=""
config_after="$(find "$XDG_CONFIG_HOME" 2>/dev/null | sort; true)"
[ "$config_before" = "$config_after" ] || fail "settings written: $(echo "$config_after" | tr '\n' ' ')"
echo "PASS"
