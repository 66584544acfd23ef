# Sourced by the display sessions. The plot window has no caption: it is the program's other large
# visible window. Waits up to a minute for it and prints its id; fails when none appears.
find_plot_window() {
  local main="$1" id deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ]; do
    for id in $(xdotool search --onlyvisible --class '^Tavelin$' 2>/dev/null); do
      [ "$id" = "$main" ] && continue
      eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
      [ "${WIDTH:-0}" -gt 300 ] && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  return 1
}
