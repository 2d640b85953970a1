# The Windows download: unpacked into a folder whose path has a blank, started with the simulated
# receiver; "Auto Run" quotes that path.

unpacked="$work/Orvix Mouse"
package() { ORVIX_PACKAGE_FROM=$ORVIX_WINDOWS_BUILD "$ORVIX_ROOT/scripts/package-windows" 2>"$work/package.log"; }
if check "scripts/package-windows makes the zip" eval 'zip=$(package | tail -n 1) && [[ -f $zip ]]'; then
  mkdir -p "$unpacked"
  (cd "$unpacked" && cmake -E tar xf "$zip")
  check "it holds the program, orvixctl, the language folders and a read-me" \
    eval '[[ -f "$unpacked/orvix-mouse.exe" && -f "$unpacked/orvixctl.exe" && -f "$unpacked/EN/Lang.txt" &&
             -f "$unpacked/CHN/Lang.txt" && -f "$unpacked/JPN/Lang.txt" && -f "$unpacked/README.txt" ]]'
  check "the program imports only Windows' own DLLs" only_system_dlls "$unpacked/orvix-mouse.exe"
  check "and so does orvixctl" only_system_dlls "$unpacked/orvixctl.exe"
  packaged=$program
  program=$unpacked/orvix-mouse.exe
  ORVIX_HID=sim ORVIX_SIM_TRACE=$work/trace.txt start_program
  check "the unpacked program starts" wait_for 20 window_shown
  check "and takes the simulated receiver" wait_for 10 receiver_held
  check "its language folders are found" eval 'language_pick 3 && wait_for 5 config_lang_is JPN'
  sleep 1
  shoot windows-package-japanese
  tray_menu_pick autorun
  check "\"Auto Run\" quotes a path with a blank" wait_for 5 run_value_is "\"$(windows_path "$program")\""
  tray_menu_pick autorun
  wait_for 5 no_run_value
  tray_menu_pick exit
  check "and it ends with status 0" ends_with_status 20 0
  stop_program
  program=$packaged
else
  sed 's/^/    /' "$work/package.log"
fi
