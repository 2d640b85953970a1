# The tray icon, the tray press, a second start (also from the application menu's entry) and "-hide".

ORVIX_SIM_TRACE=$work/trace.txt "$program" &
app=$!
pids=("$app" "${pids[@]}")
check "the window shows at start" wait_for 10 window_shown
check "the simulated receiver is taken" wait_for 10 receiver_held
check "the tray icon sits in the tray host" wait_for 5 tray_icon_present
sleep 1
shoot desktop-window-and-tray
shoot_window main-window "$(xdotool search --onlyvisible --name '^Orvix mouse$' | head -n 1)"

if position=$(tray_icon); then
  read -r x y <<<"$position"
  xdotool mousemove "$x" "$y" click 1
  check "a left click on the tray icon hides the window" wait_for 5 window_hidden
  check "a second start ends at once" second_start_ends_at_once
  check "and brings the window back" wait_for 5 window_shown
  xdotool mousemove "$x" "$y" click 1
  wait_for 5 window_hidden >/dev/null
  PATH=$(dirname "$program"):$PATH launch_desktop_entry "$ORVIX_ROOT/packaging/io.github.orvixmouse.OrvixMouse.desktop"
  check "a start from the application menu's entry brings the window back too" wait_for 5 window_shown
  xdotool mousemove "$x" "$y" click 3
  sleep 1
  shoot desktop-tray-menu
  xdotool key Escape
fi
check "the first copy still runs" kill -0 "$app"
kill "$app" 2>/dev/null; wait "$app" 2>/dev/null

# The root's children mapped meanwhile: the window shows for a moment before it hides.
xev -root -event substructure >"$work/maps-hide.txt" 2>/dev/null &
pids=($! "${pids[@]}")
sleep 0.3
"$program" -hide &
app=$!
pids=("$app" "${pids[@]}")
wait_for 10 window_shown >/dev/null
check "-hide leaves only the tray icon" wait_for 5 window_hidden
mapped_for_a_moment() {
  local w
  w=$(xdotool search --name '^Orvix mouse$' 2>/dev/null | head -n 1) && [[ -n $w ]] &&
    grep -A1 '^MapNotify' "$work/maps-hide.txt" | grep -q "window $(printf '0x%x' "$w"),"
}
check "-hide maps the window for a moment first" mapped_for_a_moment
check "-hide keeps running" kill -0 "$app"
check "a second start opens the hidden window" second_start_ends_at_once
check "the window is back" wait_for 5 window_shown
kill "$app" 2>/dev/null; wait "$app" 2>/dev/null
