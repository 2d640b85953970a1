# The device-change broadcast a plugged receiver makes Windows send: it must reach the hidden
# window inside Qt's message loop, and each one rescans the HID interfaces once. (The copy of the
# groups before still runs.) The HID console: Shift, Alt and the right button on "CANCEL".

scans=$(hid_scans)
check "the program listed the HID interfaces at start" eval '((scans >= 1))'
sleep 1
check "nothing lists them again by itself" hid_scans_are "$scans"
"$WINE" "$tools/devnodes_broadcast.exe" post
check "a posted DBT_DEVNODES_CHANGED rescans once" wait_for 5 hid_scans_are $((scans + 1))
"$WINE" "$tools/devnodes_broadcast.exe" send
check "a sent one rescans once more" wait_for 5 hid_scans_are $((scans + 2))
sleep 1
check "and no more" hid_scans_are $((scans + 2))

if w=$(main_window); then
  xdotool mousemove --window "$w" 401 403 keydown shift keydown alt click 3 keyup alt keyup shift
  check "the gesture on CANCEL opens the HID console" \
    wait_for 5 eval 'xdotool search --onlyvisible --name "^fmHid$" >/dev/null'
  sleep 0.5
  shoot windows-hid-console
fi
