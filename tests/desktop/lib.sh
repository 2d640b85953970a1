# Helpers of the desktop tier (sourced by scripts/test-desktop after the display and the tray host
# are up). $program, $work and $pids come from there; groups add the pids of what they start.

passed=0 failed=0
check() {  # check NAME COMMAND...: one test
  if "${@:2}"; then passed=$((passed + 1)); echo "[  OK  ] $1"; else failed=$((failed + 1)); echo "[ FAIL ] $1"; fi
}
wait_for() {  # wait_for SECONDS COMMAND...
  local end=$((SECONDS + $1))
  while ((SECONDS < end)); do "${@:2}" && return 0; sleep 0.1; done
  "${@:2}"
}
window_shown() { xdotool search --onlyvisible --name '^Orvix mouse$' >/dev/null 2>&1; }
window_hidden() { ! window_shown; }
receiver_held() { grep -q '^IN 04 80' "$work/trace.txt" 2>/dev/null; }
tray_icon() {  # the program's small window inside the tray host
  local w
  for w in $(xdotool search --classname orvix-mouse 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
    if ((WIDTH <= 64 && HEIGHT <= 64 && Y < 40 && X > 1100)); then echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"; return 0; fi
  done
  return 1
}
tray_icon_present() { tray_icon >/dev/null; }
shoot() { [[ -n ${ORVIX_SCREENSHOTS:-} ]] && mkdir -p "$ORVIX_SCREENSHOTS" && import -window root "$ORVIX_SCREENSHOTS/$1.png"; return 0; }
shoot_window() {  # shoot_window NAME WINDOW: that window alone (the package's AppStream screenshot is one)
  [[ -n ${ORVIX_SCREENSHOTS:-} && -n $2 ]] && mkdir -p "$ORVIX_SCREENSHOTS" && import -window "$2" "$ORVIX_SCREENSHOTS/$1.png"
  return 0
}
second_start_ends_at_once() {
  local start=$SECONDS
  timeout 5 "$program"
  local code=$?
  ((code == 0 && SECONDS - start <= 2))
}
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
not() { ! "$@"; }
net_wm_name() { xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'; }
title_is() { [[ $(net_wm_name "$1") == "$2" ]]; }  # title_is WINDOW TEXT: what a window manager shows
console_titled() {  # console_titled TEXT: the HID console is shown, titled TEXT alone
  local w
  w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && title_is "$w" "$1"
}
tray_menu() {  # tray_menu KEY...: opens the tray menu and types the keys into it
  local x y k
  read -r x y <<<"$(tray_icon)" || return 1
  xdotool mousemove "$x" "$y" click 3
  sleep 0.8
  for k; do xdotool key "$k"; sleep 0.25; done
}
balloon_at_tray_icon() {  # a balloon of the program is shown next to its tray icon
  local icon ix iy w
  icon=$(tray_icon) || return 1
  read -r ix iy <<<"$icon"
  for w in $(xdotool search --onlyvisible --classname orvix-mouse 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
    ((WIDTH > 64 && WIDTH < 600 && HEIGHT < 300)) || continue  # neither the icon nor a window
    local cx=$((X + WIDTH / 2)) cy=$((Y + HEIGHT / 2))
    ((cx - ix < 250 && ix - cx < 250 && cy - iy < 250 && iy - cy < 250)) && return 0
  done
  return 1
}
launch_desktop_entry() {  # launch_desktop_entry FILE: through GLib, as a desktop's autostart does
  /usr/bin/python3 - "$1" <<'PY'
import sys
import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio
info = Gio.DesktopAppInfo.new_from_filename(sys.argv[1])
sys.exit(0 if info is not None and info.launch([], None) else 1)
PY
}
