#!/usr/bin/env bash
# The part of the real-display test that runs inside the X server; see real_display_test.sh.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/plot_window.sh"
work="$1"
network="$2"

fail() {
  echo "FAIL: $*" >&2
  local shot="${TMPDIR:-/tmp}/tavelin-real-display-failure.png"
  import -window root "$shot" 2>/dev/null && echo "the screen at that moment: $shot" >&2
  exit 1
}

# Waits for a visible window of some size whose name matches, prints its id. (The toolkit keeps a
# tiny window of the program's name that is no window to the user.)
window() {
  local id
  local deadline=$((SECONDS + 60))  # a minute on a busy machine; far less when idle
  while [ $SECONDS -lt $deadline ]; do
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
      if [ "${WIDTH:-0}" -gt 50 ]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  fail "no window named $1"
}

# Presses Return in the box with that id, then waits until it has gone.
acknowledge() {
  xdotool windowfocus --sync "$1"
  xdotool key Return
  local deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ]; do
    xdotool getwindowname "$1" > /dev/null 2>&1 || return 0
    xdotool search --onlyvisible --name '.' | grep -qx "$1" || return 0
    sleep 0.1
  done
  fail "message box $1 did not close"
}

"$work/Tavelin" > "$work/tavelin.log" 2>&1 &
pid=$!

main=$(window '^Tavelin 3.3.1$')
xdotool windowfocus --sync "$main"

# File > Open by its access keys; the path typed into the dialog.
xdotool key alt+f
sleep 0.3
xdotool key o
dialog=$(window '^Open$')
# On a busy machine the dialog may show before it takes keys: type the name again until it closes.
deadline=$((SECONDS + 60))
while xdotool getwindowname "$dialog" > /dev/null 2>&1 &&
      xdotool search --onlyvisible --name '^Open$' | grep -qx "$dialog"; do
  [ $SECONDS -lt $deadline ] || fail "the file dialog did not take the name"
  xdotool windowfocus --sync "$dialog"
  xdotool key ctrl+a
  xdotool type --delay 2 "$network"
  xdotool key Return
  sleep 1
done

# Each element is listed in a box of its own.
for _ in 1 2; do
  box=$(window '^Tavelin$')
  acknowledge "$box"
done

# The focus is in the lower bound: type both bounds and press Begin Scan, all by keyboard.
xdotool windowfocus --sync "$main"
sleep 0.2
xdotool type --delay 20 "1"
xdotool key Tab
xdotool type --delay 20 "30"
xdotool key Tab space
box=$(window '^Warning$')
acknowledge "$box"
box=$(window '^Status$')
acknowledge "$box"

output="$work/TavelinOutput.dat"
[ -f "$output" ] || fail "no output file beside the program"
size=$(stat -c %s "$output")
[ "$size" -eq $((100 * 2 * 68)) ] || fail "output file holds $size bytes, expected $((100 * 2 * 68))"

# Z Magnitude, then Compute and Plot, with the mouse; the menu bar sits above the 389-pixel client area.
eval "$(xdotool getwindowgeometry --shell "$main")"
menu=$((HEIGHT - 389))
xdotool mousemove --window "$main" 300 $((menu + 92)) click 1
xdotool mousemove --window "$main" 340 $((menu + 240)) click 1

plot="$(find_plot_window "$main")" || fail "no plot window"
sleep 0.5
import -window "$plot" "$work/plot.png"
blue=$(convert "$work/plot.png" -fill black +opaque "rgb(0,0,255)" -fill white -opaque "rgb(0,0,255)" \
  -colorspace Gray -format "%[fx:round(mean*w*h)]" info:)
colours=$(convert "$work/plot.png" -format "%k" info:)
echo "plot window: $blue marker-blue pixels, $colours colours"
[ "$blue" -gt 100 ] || fail "the plot window shows no markers"
[ "$colours" -gt 4 ] || fail "the plot window is blank"

# File > Exit ends the program with both windows.
xdotool windowfocus --sync "$main"
xdotool key alt+f
sleep 0.3
xdotool key x
deadline=$((SECONDS + 60))
while [ $SECONDS -lt $deadline ]; do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  fail "File > Exit did not end the program"
fi
wait "$pid" || fail "Tavelin ended with status $?: $(cat "$work/tavelin.log")"
echo "PASS"
