# A tray host that starts after the program, as a logon start can race the panel: the first
# balloons wait for the icon to be taken in and then point at it, instead of being lost.

late=$(free_display)
Xvfb ":$late" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
late_pids=($!)
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$late ]] && break; sleep 0.05; done
runtime=$(make_runtime_dir)
DISPLAY=:$late XDG_RUNTIME_DIR=$runtime "$program" -Quano &
app=$!
late_pids+=("$app")
pids+=("${late_pids[@]}")
sleep 1
DISPLAY=:$late trayer --edge top --align right --widthtype pixel --width 64 --height 32 >/dev/null 2>&1 &
late_pids+=($!)
pids+=("${late_pids[@]}")
DISPLAY=:$late check "the program's tray icon joins a tray host that starts later" wait_for 5 tray_icon_present
DISPLAY=:$late check "and its first balloons then point at it" wait_for 5 balloon_at_tray_icon
DISPLAY=:$late shoot desktop-late-tray-host
kill "${late_pids[@]}" 2>/dev/null
wait "${late_pids[@]}" 2>/dev/null
rm -rf "$runtime"
