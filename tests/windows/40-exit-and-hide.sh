# "Exit" ends the program with status 0; "-hide" leaves only the tray icon.

tray_menu_pick exit
check "\"Exit\" ends the program with status 0" ends_with_status 20 0
check "its tray icon goes with it" wait_for 5 not tray_icon_present
stop_program

start_program -hide
check "-hide starts with the tray icon" wait_for 20 tray_icon_present
sleep 2
check "and no window" window_hidden
shoot windows-hide-start
check "a press on the tray icon opens the window" tray_click_until 1 window_shown
tray_menu_pick exit
check "\"Exit\" from there ends it with status 0 too" ends_with_status 20 0
stop_program
