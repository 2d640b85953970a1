# Helpers of the Windows tier's desktop checks, beside tests/desktop/lib.sh (check, wait_for, shoot,
# window_shown, window_hidden, net_wm_name ...). Sourced by scripts/test-windows once the display,
# the tray host and the wine prefix are up; $program, $tools and $work come from there.

# The program runs under wine; its wine debug output names every HID listing it makes.
PROGRAM_DEBUG=-all,err+all,trace+setupapi
program_starts=0

start_program() {  # start_program [ARG...]: one copy in the background; $program_pid, $program_log
  program_log=$work/program-$((++program_starts)).log
  WINEDEBUG=$PROGRAM_DEBUG "$WINE" "$program" "$@" 2>"$program_log" &
  program_pid=$!
}
ends_with_status() {  # ends_with_status SECONDS CODE: the copy ends within SECONDS, with CODE
  local end=$((SECONDS + $1)) status
  while kill -0 "$program_pid" 2>/dev/null; do
    ((SECONDS < end)) || { echo "    still running after $1 s"; return 1; }
    sleep 0.1
  done
  wait "$program_pid"
  status=$?
  ((status == $2)) || { echo "    ended with status $status"; return 1; }
}
stop_program() {  # ends a copy a failed check left running
  kill -0 "$program_pid" 2>/dev/null || return 0
  kill "$program_pid" 2>/dev/null
  "$WINE" taskkill /f /im orvix-mouse.exe >/dev/null 2>&1
  wait "$program_pid" 2>/dev/null
  return 0
}

main_window() { xdotool search --onlyvisible --name '^Orvix mouse$' 2>/dev/null | head -n 1; }
window_size_is() {  # window_size_is WIDTH HEIGHT
  local w
  w=$(main_window) && eval "$(xdotool getwindowgeometry --shell "$w")" && ((WIDTH == $1 && HEIGHT == $2))
}

# Wine docks each tray icon as a small window of its explorer into the tray host.
tray_icons() {  # the icons' centres, "X Y" a line
  local w
  for w in $(xdotool search --classname explorer.exe 2>/dev/null); do
    viewable "$w" || continue
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
    ((WIDTH <= 64 && HEIGHT <= 64 && Y < 40 && X > 1100)) && echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
  done
  return 0
}
tray_icon() { local icons; icons=$(tray_icons) && [[ -n $icons ]] && head -n 1 <<<"$icons"; }
tray_icon_present() { tray_icon >/dev/null; }
tray_icon_count() { tray_icons | grep -c .; }
# A click on wine's tray icon while a window of the program holds the X input focus reaches the
# program (wine's systray trace shows it relayed), yet often nothing follows: no menu, no toggle.
# With a window manager a user's click elsewhere moves the focus; here the focus goes to the root
# window first, which mends most of it; the first right click after a window of the program was
# activated is still lost now and then.
tray_click() {  # tray_click BUTTON: a press and release on the icon, the pointer resting on it first
  local x y
  read -r x y <<<"$(tray_icon)" || return 1
  xdotool windowfocus "$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')"
  sleep 0.7
  xdotool mousemove "$x" "$y"
  sleep 0.3
  xdotool click "$1"
}
# A click that came to nothing is repeated, at most three times, and the repeat is said; the check
# still needs the effect.
tray_click_until() {  # tray_click_until BUTTON COMMAND...: clicks until COMMAND holds (3 s a click)
  local try
  for try in 1 2 3 4; do
    tray_click "$1" || return 1
    if wait_for 3 "${@:2}"; then
      ((try == 1)) || echo "    (wine lost $((try - 1)) click(s) of button $1 on the tray icon, for: ${*:2})"
      return 0
    fi
  done
  return 1
}
tray_open_menu() { close_menus && tray_click_until 3 menu_open && sleep 0.3; }

# Pop-up menus of the program are top-level windows named after it.
menu_windows() {
  local w
  for w in $(xdotool search --onlyvisible --name '^orvix-mouse$' 2>/dev/null); do echo "$w"; done
}
menu_open() { [[ -n $(menu_windows) ]]; }
close_menus() {  # closes a pop-up a failed step left open
  menu_open || return 0
  xdotool key Escape
  wait_for 3 not menu_open
}
# Items of the tray menu, top to bottom, as fractions of its height: "Open window", "Hide window",
# separator, "Language", separator, "Auto Run", separator, "Exit".
declare -A TRAY_ITEM=([open]=0.091 [hide]=0.245 [language]=0.462 [autorun]=0.678 [exit]=0.895)
click_in_menu() {  # click_in_menu WINDOW FRACTION: a click on the item at that height
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove "$((X + WIDTH / 3))" "$(awk -v y="$Y" -v h="$HEIGHT" -v f="$2" 'BEGIN { printf "%d", y + h * f }')"
  sleep 0.3
  xdotool click 1
}
tray_menu_pick() {  # tray_menu_pick ITEM: opens the tray menu with the right button and clicks ITEM
  tray_open_menu || return 1
  click_in_menu "$(menu_windows | head -n 1)" "${TRAY_ITEM[$1]}"
  wait_for 3 not menu_open
}
language_pick() {  # language_pick N: the Nth entry (1: English) of the tray menu's Language sub-menu
  local menu sub
  tray_open_menu || return 1
  menu=$(menu_windows | head -n 1)
  eval "$(xdotool getwindowgeometry --shell "$menu")"
  xdotool mousemove "$((X + WIDTH / 3))" "$(awk -v y="$Y" -v h="$HEIGHT" 'BEGIN { printf "%d", y + h * 0.462 }')"
  sleep 0.3
  xdotool click 1
  wait_for 5 eval '(($(menu_windows | wc -l) > 1))' || return 1
  # The sub-menu: its entries have the same height, no separators.
  for sub in $(menu_windows); do [[ $sub != "$menu" ]] && break; done
  eval "$(xdotool getwindowgeometry --shell "$sub")"
  local entries=${LANGUAGE_ENTRIES:-3}
  xdotool mousemove "$((X + WIDTH / 3))" "$((Y + HEIGHT * (2 * $1 - 1) / (2 * entries)))"
  sleep 0.3
  xdotool click 1
  wait_for 3 not menu_open
}

# The registry as the program left it.
run_value() {  # the data of "QuanoOrvixMouse" under the user's Run key; nothing when absent
  "$WINE" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v QuanoOrvixMouse 2>/dev/null |
    sed -n 's/^ *QuanoOrvixMouse *REG_SZ *//p' | tr -d '\r'
}
run_value_is() { [[ $(run_value) == "$1" ]]; }
no_run_value() { [[ -z $(run_value) ]]; }
config_lang() {
  "$WINE" reg query 'HKCU\software\Quano\OrvixMouseV1\Config' /v Lang 2>/dev/null |
    sed -n 's/^ *Lang *REG_SZ *//p' | tr -d '\r'
}
config_lang_is() { [[ $(config_lang) == "$1" ]]; }
windows_path() {  # the program's path as Windows names it: on wine's drive Z:
  printf 'Z:%s' "${1//\//\\}"
}

# Every listing of the HID interfaces the program made: one per scan.
HID_LISTING='SetupDiGetClassDevsExW {4d1e55b2-f16f-11cf-88cb-001111000030} (null) 0000000000000000 0x00000012'
hid_scans() { grep -c "$HID_LISTING" "$program_log"; }
hid_scans_are() { [[ $(hid_scans) == "$1" ]]; }

only_system_dlls() {  # only_system_dlls EXE: imports nothing but Windows' own DLLs
  local dll foreign=()
  for dll in $(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'); do
    case ${dll,,} in
      kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | shell32.dll | ole32.dll | oleaut32.dll | comdlg32.dll | \
        imm32.dll | winmm.dll | ws2_32.dll | uxtheme.dll | dwmapi.dll | version.dll | userenv.dll | netapi32.dll | \
        authz.dll | wtsapi32.dll | shcore.dll | shlwapi.dll | d3d9.dll | d3d11.dll | dxgi.dll | msvcrt.dll | \
        setupapi.dll | hid.dll | api-ms-win-*) ;;
      *) foreign+=("$dll") ;;
    esac
  done
  ((${#foreign[@]} == 0)) || { echo "    not Windows' own: ${foreign[*]}"; return 1; }
}

pixel() {  # pixel X Y: the screen's colour there as "R G B"
  import -window root -crop "1x1+$1+$2" txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' | head -n 1
}
bluish() {  # bluish X Y: the digit badges' blue
  local r g b
  read -r r g b <<<"$(pixel "$1" "$2")"
  ((b > r + 60 && b > 120))
}
greyish() {  # greyish X Y: the fixed row's grey badge
  local r g b
  read -r r g b <<<"$(pixel "$1" "$2")"
  ((r - g < 20 && g - r < 20 && b - r < 25 && r > 60))
}
