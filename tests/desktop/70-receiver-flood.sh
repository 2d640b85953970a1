# A receiver that floods the program with reports no collection of it describes: the window
# answers a window manager's pings throughout, an apply sequence run meanwhile writes each row
# once, and afterwards the link state still follows the receiver.

pinger=$ORVIX_BUILD/tests/wm-ping
control=$work/control-70
trace=$work/trace-70.txt
mkfifo "$control"
exec 7<>"$control"  # held open, so the program never reads its end
ORVIX_SIM_CONTROL=$control ORVIX_SIM_TRACE=$trace "$program" &
app=$!
pids=("$app" "${pids[@]}")
check "the window shows at start" wait_for 10 window_shown
check "the simulated receiver is taken" wait_for 10 grep -q '^IN 04 80' "$trace"
main=$(xdotool search --onlyvisible --name '^Orvix mouse$' | head -n 1)
sleep 0.5  # the status report has reached the buttons

# Context switches of all the program's threads: the flood wakes them for every report.
switches() { cat /proc/"$app"/task/*/status 2>/dev/null | awk '/ctxt_switches/ {n += $2} END {print n + 0}'; }
key_writes() { grep -cE '^OUT 04 02 01 A4 0[0-4] ' "$trace"; }
acknowledgements() { grep -c '^IN 04 89 ' "$trace"; }
# pings COUNT: COUNT pings 10 ms apart, each answered within 2 s; the reply times go to a file.
pings() { "$pinger" "$main" "$1" 10 2000 >"$work/pings-70.txt"; }
# apply: a click on APPLY.
apply() { xdotool mousemove --window "$main" 609 403 click 1; }
# Every row written once and acknowledged before the next, after the first N trace lines.
each_row_once_after() {
  tail -n +"$(($1 + 1))" "$trace" | awk '
    /^OUT 04 02 01 A4 0[0-4] / { if (want_ack) bad = 1; rows[$6]++; want_ack = 1; next }
    /^IN 04 89 / { if (!want_ack) bad = 1; want_ack = 0; acks++ }
    END { for (r in rows) if (rows[r] != 1) bad = 1; exit !(length(rows) == 5 && acks == 5 && !bad) }'
}

before=$(switches)
echo "flood 4000000000" >&7  # until "flood 0"
sleep 0.5
lines=$(wc -l <"$trace")
apply
check "a window manager's pings are answered during a flood (each within 2 s)" pings 100
flooded=$(($(switches) - before))
check "the flood reached the program" test "$flooded" -gt 5000
check "an apply sequence during the flood writes each row once, each after the one before's acknowledgement" \
  wait_for 5 each_row_once_after "$lines"
echo "flood 0" >&7
check "the program runs on" kill -0 "$app"

# The link state still follows the receiver: unlinked, APPLY writes nothing; linked again, it does.
echo unlink >&7
wait_for 5 grep -q '^IN 04 81' "$trace" >/dev/null
sleep 0.5
writes=$(key_writes)
apply
sleep 1
check "after the flood an unlinked mouse disables APPLY" test "$(key_writes)" -eq "$writes"
echo link >&7
sleep 0.5
lines=$(wc -l <"$trace")
apply
check "and a linked one enables it again: the next apply writes each row once" wait_for 5 each_row_once_after "$lines"
check "a window manager's pings are answered after the flood" pings 10
kill "$app" 2>/dev/null; wait "$app" 2>/dev/null
exec 7>&-
