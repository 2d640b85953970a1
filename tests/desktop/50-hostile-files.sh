# Odd files beside the program: FIFOs named like language files, and a catalogue this user may not
# read. The program starts as always, passes them over, and loads what it can.

hostile=$(mktemp -d /tmp/orvix-hostile.XXXXXX)
chmod 755 "$hostile"

# hostile_program NAME: a copy of the program in a folder of its own, with the language folder FR.
hostile_program() {
  local prog=$hostile/$1
  mkdir -p "$prog/FR"
  cp "$program" "$prog/"
  printf 'langname=Fran\xc3\xa7ais\nmain.fmCaption=Souris\n' >"$prog/FR/Lang.txt"
  chmod -R a+rX "$prog"
  printf '%s' "$prog"
}

# hostile_session NAME LANG [OWNER]: a session's own folders with "Lang" stored; prints its
# environment for env(1).
hostile_session() {
  local s=$hostile/session-$1
  mkdir -p "$s/run" "$s/home" "$s/config/Quano/OrvixMouseV1"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n"Lang"="%s"\n' "$2" \
    >"$s/config/Quano/OrvixMouseV1/Config.reg"
  [[ -n ${3:-} ]] && chown -R "$3:$3" "$s"
  chmod 700 "$s/run"
  printf 'XDG_RUNTIME_DIR=%s HOME=%s XDG_CONFIG_HOME=%s' "$s/run" "$s/home" "$s/config"
}

# hostile_start COMMAND...: starts it in the background as $app; hostile_stop ends it.
hostile_start() {
  "$@" &
  app=$!
  pids=("$app" "${pids[@]}")
}
hostile_stop() { kill "$app" 2>/dev/null; wait "$app" 2>/dev/null; }

visible_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }
window_named() { xdotool search --name "$1" >/dev/null 2>&1; }
# The error box is titled with the application's title.
no_error_box() { (($(visible_named '^Orvix mouse$') == ${1:-0})); }
running() { kill -0 "$1" 2>/dev/null; }

# FIFOs named as a catalogue, as both help pages and as a language folder's catalogue: an open()
# of any of them would wait for a writer for ever.
prog=$(hostile_program fifos)
mkfifo "$prog/FR/Start.rtf" "$prog/FR/LED.rtf"
mkdir -p "$prog/FF" && mkfifo "$prog/FF/lang.txt"
hostile_start env $(hostile_session fifo-fr FR) "$prog/orvix-mouse"
check "FIFOs as help pages and catalogues: the stored language loads" wait_for 10 window_named '^Souris'
check "and the window shows" wait_for 5 eval '(($(visible_named "^Souris") == 1))'
check "without an error box" no_error_box
check "the program runs on" running "$app"
hostile_stop

hostile_start env $(hostile_session fifo-ff FF) "$prog/orvix-mouse"
check "a stored language whose catalogue is a FIFO: the window shows" \
  wait_for 10 eval '(($(visible_named "^Orvix mouse$") >= 1))'
sleep 1
check "with its built-in captions and no error box" no_error_box 1
check "the program runs on" running "$app"
hostile_stop

# A language folder whose catalogue this user may not read (another user's, mode 000): the scan
# passes it over. Started as a second user, at logon (-hide).
if [[ $(id -u) -eq 0 ]]; then
  prog=$(hostile_program unreadable)
  mkdir -p "$prog/AA" && printf 'langname=Locked\n' >"$prog/AA/lang.txt" && chmod 000 "$prog/AA/lang.txt"
  session=$(hostile_session nobody FR 65534)
  hostile_start setpriv --reuid=65534 --regid=65534 --clear-groups env $session "$prog/orvix-mouse" -hide
  check "an unreadable catalogue in another folder: the stored language still loads" wait_for 10 window_named '^Souris'
  check "-hide is honoured" wait_for 5 eval 'window_named "^Souris" && (($(visible_named "^Souris") == 0))'
  check "no error box" no_error_box
  check "the program runs on as the second user" running "$app"
  hostile_stop
else
  echo "[ SKIP ] an unreadable catalogue, as a second user: needs root to start a second user"
fi

rm -rf "$hostile"
