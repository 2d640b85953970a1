# A desktop without a notification area, on a display of its own with a window manager (openbox)
# and no tray host: hiding minimises the window, a second start brings it back in its normal state,
# raised and active, and the close box ends the program, since no "Exit" can be reached.

bare=$(free_display)
Xvfb ":$bare" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
bare_pids=($!)
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$bare ]] && break; sleep 0.05; done
DISPLAY=:$bare openbox >/dev/null 2>&1 &
bare_pids+=($!)
pids+=("${bare_pids[@]}")
runtime=$(make_runtime_dir)  # an instance of its own, apart from the tray display's
on_bare() { DISPLAY=:$bare XDG_RUNTIME_DIR=$runtime "$@"; }
bare_window() { on_bare xdotool search --name '^Orvix mouse$' 2>/dev/null | head -n 1; }
has_window() { [[ -n $(bare_window) ]]; }
wm_state() { on_bare xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/^[[:space:]]*window state: //p'; }
active_window() { on_bare xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*window id # //p'; }
minimised() { [[ $(wm_state "$win") == Iconic ]]; }
restored() { [[ $(wm_state "$win") == Normal ]] && (($(active_window) == win)); }
ended() { ! kill -0 "$app" 2>/dev/null; }
for _ in $(seq 50); do on_bare xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

for start in plain -hide; do
  arguments=()
  [[ $start == plain ]] || arguments=("$start")
  DISPLAY=:$bare XDG_RUNTIME_DIR=$runtime "$program" "${arguments[@]}" &
  app=$!
  pids=("$app" "${pids[@]}")
  wait_for 10 has_window >/dev/null
  win=$(($(bare_window)))
  if [[ $start == plain ]]; then
    check "without a tray the window shows at start" wait_for 5 on_bare viewable "$win"
    on_bare xdotool mousemove --window "$win" 401 403 click 1  # CANCEL
    check "CANCEL minimises the window" wait_for 5 minimised
  else
    check "-hide without a tray starts minimised" wait_for 5 minimised
  fi
  check "and the program goes on ($start start)" kill -0 "$app"
  on_bare timeout 5 "$program"
  check "a second start restores it, raised and active ($start start)" wait_for 5 restored
  DISPLAY=:$bare shoot "desktop-no-tray-restored-$start"
  on_bare xdotool key alt+F4
  check "the close box ends the program ($start start)" wait_for 5 ended
  wait "$app" 2>/dev/null
  check "with exit code 0 ($start start)" test $? -eq 0
done
kill "${bare_pids[@]}" 2>/dev/null
wait "${bare_pids[@]}" 2>/dev/null
rm -rf "$runtime"
