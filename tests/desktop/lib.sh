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
second_start_ends_at_once() {
  local start=$SECONDS
  timeout 5 "$program"
  local code=$?
  ((code == 0 && SECONDS - start <= 2))
}
