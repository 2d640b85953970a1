# "Auto Run" and the language: what the program writes into the registry, read back with reg.
# (The copy of the group before still runs.)

check "no Run value before" no_run_value
tray_menu_pick autorun
expected=$(windows_path "$program")
[[ $program == *" "* ]] && expected="\"$expected\""
check "ticking \"Auto Run\" writes the program's path under the Run key" wait_for 5 run_value_is "$expected"
tray_open_menu && shoot windows-auto-run-ticked
click_in_menu "$(menu_windows | head -n 1)" "${TRAY_ITEM[autorun]}"
check "unticking it removes the value" wait_for 5 no_run_value

check "no language stored before" eval '[[ -z $(config_lang) ]]'
language_pick 2
check "choosing 简体中文 stores \"Lang\" under the Config key" wait_for 5 config_lang_is CHN
sleep 1
shoot windows-chinese
check "the window's title follows the language" eval '[[ $(net_wm_name "$(main_window)") != "Orvix mouse" ]]'
language_pick 1
check "choosing English stores it again" wait_for 5 config_lang_is EN
