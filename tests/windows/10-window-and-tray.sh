# The window as laid out, the tray icon and its menu, a left press on the icon, a second start.

start_program
check "the window shows at start" wait_for 20 window_shown
check "its title bar reads the caption" eval 'title_is "$(main_window)" "Orvix mouse"'
check "it has its fixed size, 684 x 427" window_size_is 684 427
check "the tray icon sits in the tray host" wait_for 10 tray_icon_present
sleep 1
if w=$(main_window); then
  eval "$(xdotool getwindowgeometry --shell "$w")"
  # The hot-spots on the mouse picture: digits 2 to 5 blue, the fixed row's 1 grey.
  check "the picture's hot-spots show their digit badges" \
    eval 'bluish $((X + 387 + 143)) $((Y + 9 + 13)) && bluish $((X + 387 + 256)) $((Y + 9 + 100)) &&
          bluish $((X + 387 + 16)) $((Y + 9 + 131)) && bluish $((X + 387 + 263)) $((Y + 9 + 151))'
  check "the fixed row's hot-spot is set apart" greyish $((X + 387 + 16)) $((Y + 9 + 92))
fi
shoot windows-window-and-tray

check "a right click on the tray icon opens its menu" tray_open_menu
sleep 0.5
shoot windows-tray-menu
click_in_menu "$(menu_windows | head -n 1)" "${TRAY_ITEM[hide]}"
check "\"Hide window\" hides the window" wait_for 5 window_hidden
check "the tray icon stays" tray_icon_present
tray_menu_pick open
check "\"Open window\" shows it again" wait_for 5 window_shown

check "a left press on the tray icon hides the window" tray_click_until 1 window_hidden
shoot windows-hidden-in-tray
check "and the next one shows it" tray_click_until 1 window_shown

tray_menu_pick hide
wait_for 5 window_hidden
first=$program_pid first_log=$program_log
start_program
check "a second start ends at once, with status 0" ends_with_status 20 0
program_pid=$first program_log=$first_log
check "and the first copy's window comes back" wait_for 10 window_shown
check "with one tray icon still" eval '[[ $(tray_icon_count) == 1 ]]'
check "the first copy still runs" kill -0 "$program_pid"
shoot windows-woken
