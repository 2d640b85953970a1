# A start as a user meets it, from a program folder whose path holds a blank and a '%': the title
# bars as the window manager reads them (also after a language switch and on the HID console), the
# first balloon, nothing made on disk by the start, and Auto Run launched through GLib's
# desktop-entry launcher.

folder="$work/Orvix 50%off"
mkdir -p "$folder"
cp "$program" "$folder/"
cp -r "$(dirname "$program")/EN" "$(dirname "$program")/CHN" "$folder/"  # English, then one more
config=$work/config-20  # untouched by earlier groups
mkdir -p "$config"

XDG_CONFIG_HOME=$config ORVIX_SIM_TRACE=$work/trace-20.txt "$folder/orvix-mouse" -Quano &
app=$!
pids=("$app" "${pids[@]}")
check "the window shows at start" wait_for 10 window_shown
main=$(xdotool search --onlyvisible --name '^Orvix mouse$' | head -n 1)
check "the title bar shows the caption alone" title_is "$main" "Orvix mouse"
check "the first balloon points at the tray icon" wait_for 5 balloon_at_tray_icon
shoot desktop-first-balloon
check "the start made nothing in the configuration folder" test -z "$(find "$config" -mindepth 1)"

tray_menu Down Down Right Down Return  # Language, its second entry
check "after a language switch the title bar shows the new caption alone" wait_for 5 title_is "$main" "Orvix 鼠标"
shoot desktop-after-language-switch

# The HID console's gesture: Shift, Alt and the right button on CANCEL.
xdotool mousemove --window "$main" 401 403 keydown shift keydown alt click 3 keyup alt keyup shift
check "the HID console's title bar shows its caption alone" wait_for 5 console_titled "Dev On"
shoot desktop-hid-console

tray_menu Down Down Down Return  # Auto Run
entry=$config/autostart/QuanoOrvixMouse.desktop
check "ticking Auto Run writes the desktop entry" wait_for 5 test -f "$entry"
check "whose Exec line writes the path's % as %%" grep -q '^Exec=.*/Orvix 50%%off/orvix-mouse' "$entry"
check "desktop-file-validate passes on it" desktop-file-validate "$entry"
read -r x y <<<"$(tray_icon)"
xdotool mousemove "$x" "$y" click 1
check "a left click on the tray icon hides the window" wait_for 5 not viewable "$main"
check "GLib loads and launches the entry" launch_desktop_entry "$entry"
check "which starts this program: its second start brings the window back" wait_for 5 viewable "$main"
kill "$app" 2>/dev/null; wait "$app" 2>/dev/null

# Qt's own options reach Qt no more: the window opens centred, titled as ever, on this display.
"$program" -geometry 200x100+0+0 -qwindowtitle Other -platform offscreen -reverse &
app=$!
pids=("$app" "${pids[@]}")
check "Qt's options on the command line leave the window as it is" wait_for 10 window_shown
main=$(xdotool search --onlyvisible --name '^Orvix mouse$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$main")"
check "and centred on the screen" test "$X,$Y,$WIDTH,$HEIGHT" = "$(((1280 - 684) / 2)),$(((800 - 427) / 2)),684,427"
shoot desktop-qt-options
kill "$app" 2>/dev/null; wait "$app" 2>/dev/null
