# A StatusNotifierItem host on a session bus of the test's own, on a display without an X tray (as
# on a Wayland desktop): the watcher starts after the program, and its panel a second after it, as
# at logon. The icon then registers with it, shows the window's caption as its title, and its menu
# entries work when a panel clicks them over com.canonical.dbusmenu. Asking whether a tray exists
# opens no connection.

sni=$ORVIX_ROOT/tests/desktop/sni.py
bus_display=$(free_display)
Xvfb ":$bus_display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
bus_pids=($!)
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$bus_display ]] && break; sleep 0.05; done
runtime=$(make_runtime_dir)
dbus-daemon --session --nofork --nopidfile --print-address=1 >"$runtime/bus" 2>/dev/null &
bus_pids+=($!)
pids+=("${bus_pids[@]}")
for _ in $(seq 100); do [[ -s $runtime/bus ]] && break; sleep 0.05; done
# A configuration of its own: the language chosen here stays here.
bus_env=(DISPLAY=:$bus_display XDG_RUNTIME_DIR=$runtime XDG_CONFIG_HOME=$runtime/config
  DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$runtime/bus")")
on_bus() { env "${bus_env[@]}" "$@"; }
items=$runtime/items
item() { head -n 1 "$items" 2>/dev/null; }
registered() { [[ -n $(item) ]]; }
item_is() { [[ $(on_bus "$sni" get "$(item)" "$1" 2>/dev/null) == "$2" ]]; }  # item_is PROPERTY VALUE
menu() { on_bus "$sni" click "$(item)" "$1"; }
bus_window() { on_bus xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep -q .; }
bus_shown() { bus_window '^Orvix mouse$'; }
bus_hidden() { ! bus_shown; }
ended() { ! kill -0 "$app" 2>/dev/null; }

on_bus "$program" &
app=$!
pids=("$app" "${pids[@]}")
wait_for 10 bus_shown >/dev/null
on_bus "$sni" watcher "$items" 1 &
bus_pids+=($!)
pids+=("${bus_pids[@]}")
check "the icon registers with a watcher and panel that start after the program" wait_for 5 registered
check "its title is the window's caption" wait_for 5 item_is Title "Orvix mouse"
check "its tip is the caption too" item_is ToolTip "Orvix mouse"
check "it carries its picture" item_is IconPixmap 32x32
check "and exports its menu" item_is Menu /MenuBar

menu "Hide window"
check "\"Hide window\" clicked on the panel's menu hides the window" wait_for 5 bus_hidden
menu "Open window"
check "\"Open window\" brings it back" wait_for 5 bus_shown
on_bus "$sni" activate "$(item)"
check "a left click on the item hides it" wait_for 5 bus_hidden
on_bus "$sni" activate "$(item)"
check "and another brings it back" wait_for 5 bus_shown

# CANCEL and a second start, which opens no connection of its own, ask whether a tray exists.
main=$(on_bus xdotool search --onlyvisible --name '^Orvix mouse$' | head -n 1)
first=$(on_bus "$sni" serial)
for _ in $(seq 10); do
  on_bus xdotool mousemove --window "$main" 401 403 click 1 && wait_for 5 bus_hidden && on_bus "$program" &&
    wait_for 5 bus_shown
done
opened=$(($(on_bus "$sni" serial) - first - 1))
check "asking whether a tray exists opens no connection ($opened opened by ten hides)" test "$opened" -eq 0

menu "简体中文"
check "after a language switch the title is the new caption" wait_for 5 item_is Title "Orvix 鼠标"
check "and the tip too" item_is ToolTip "Orvix 鼠标"
wm_class_is() {  # wm_class_is TITLE CLASS: the class of the window of that title
  local w
  w=$(on_bus xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
  [[ -n $w && $(on_bus xprop -id "$w" WM_CLASS 2>/dev/null) == "WM_CLASS(STRING) = \"$2\", \"$2\"" ]]
}
check "the window's class stays the program's, as its desktop entry names it" wm_class_is "Orvix 鼠标" orvix-mouse
menu "退出"
check "\"Exit\" (now \"退出\") from the panel's menu ends the program" wait_for 5 ended
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
check "with exit code 0" test $? -eq 0

kill "${bus_pids[@]}" 2>/dev/null
wait "${bus_pids[@]}" 2>/dev/null
rm -rf "$runtime"
