# Hostile files through the real program: help pages, caption catalogues and settings stores that
# are oversized, binary, truncated, wrongly encoded, deeply nested, FIFOs or unreadable. Each case
# starts a copy of the program beside its files, in a session of its own, and checks that the window
# shows within a bound that guards a hang, titled as the program must title it, with an error box
# only where one is due; that the program runs on; and that the stored settings are byte for byte
# what they were, unless the case meant to change them.

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
# environment for env(1). hostile_store NAME is its settings store.
hostile_store() { printf '%s' "$hostile/session-$1/config/Quano/OrvixMouseV1/Config.reg"; }
hostile_session() {
  local s=$hostile/session-$1
  mkdir -p "$s/run" "$s/home" "$s/config/Quano/OrvixMouseV1"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n"Lang"="%s"\n\n' "$2" \
    >"$(hostile_store "$1")"
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

# The main window and the error box carry the same title; the main window is the one of its width.
main_width=684
error_boxes() {  # the ids of the error boxes shown
  local w
  for w in $(xdotool search --onlyvisible --name '^Orvix mouse$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
    ((WIDTH != main_width)) && echo "$w"
  done
}
error_box_shown() { [[ -n $(error_boxes) ]]; }
main_window() {  # the id of the main window, shown
  local w
  for w in $(xdotool search --onlyvisible --classname orvix-mouse 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
    ((WIDTH == main_width)) && { echo "$w"; return 0; }
  done
  return 1
}
main_window_shown() { main_window >/dev/null; }
main_titled() { local w; w=$(main_window) && [[ $(net_wm_name "$w") == $1 ]]; }  # main_titled PATTERN
started() { main_window >/dev/null || error_box_shown; }
dismiss_error_box() {  # OK on the box; true when there was one
  local w
  w=$(error_boxes | head -n 1) && [[ -n $w ]] || return 1
  xdotool windowfocus "$w" key Return 2>/dev/null  # no window manager here to activate it
  wait_for 5 not error_box_shown
}

# Makers of hostile files, made on the spot rather than kept in the tree; each writes the file named
# by its argument. Random bytes come from a fixed seed, so every run sees the same file.
random_bytes() { python3 -c 'import random, sys; random.seed(1); sys.stdout.buffer.write(random.randbytes(int(sys.argv[1])))' "$1"; }
repeat() { head -c "$1" /dev/zero | tr '\0' "$2"; }  # repeat COUNT CHAR
big_rtf() { { printf '{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 '; yes 'Lorem ipsum dolor sit amet.\par' | head -c 40M; printf '}'; } >"$1"; }
big_text() { yes 'Lorem ipsum dolor sit amet, consectetur adipiscing elit.' | head -c 40M >"$1"; }
binary_page() { random_bytes 65536 >"$1"; }
truncated_rtf() { printf '{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs24 {\\b Start\\cf1 ST' >"$1"; }
nested_rtf() { { printf '{\\rtf1 '; repeat 100000 '{'; printf 'deep'; repeat 100000 '}'; printf '}'; } >"$1"; }
open_rtf() { { printf '{\\rtf1 '; repeat 100000 '{'; printf '\\b deep'; } >"$1"; }

latin1_catalogue() { printf 'langname=Fran\xe7ais\r\nmain.fmCaption=Souris \xe0 \xe9t\xe9\r\n' >"$1"; }
utf16_catalogue() { printf 'langname=Fran\xc3\xa7ais\nmain.fmCaption=Souris\n' | iconv -f UTF-8 -t UTF-16LE >"$1"; }
bom_catalogue() { printf '\xef\xbb\xbf' >"$1"; }
nul_catalogue() { printf 'langname=Fran\xc3\xa7ais\nmain.fmCaption=Sou\0ris\nmain.btApply=X\n' >"$1"; }
empty_catalogue() { : >"$1"; }
long_line_catalogue() { { printf 'main.fmCaption=Souris '; repeat 5000000 'x'; } >"$1"; }
# Over the size limit of a catalogue: refused as one that cannot be read.
big_catalogue() { { printf 'langname=Fran\xc3\xa7ais\nmain.fmCaption=Souris\n'; yes 'main.btApply=Apply' | head -c 20M; } >"$1"; }
long_caption_line() { { printf 'langname=Fran\xc3\xa7ais\nmain.fmCaption=Souris\nmain.btApply='; repeat 5000000 'x'; } >"$1"; }

store_header() { printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n'; }
binary_store() { random_bytes 4096 >"$1"; }
truncated_store() { { store_header; printf '"Lang"="FR"\n"VID"=dword:00000e8f\n"Note"="a text cu'; } >"$1"; }
oversized_store() { { store_header; printf '"Lang"="FR"\n'; yes '; a comment that fills the store' | head -c 1100000; } >"$1"; }
# Written as the program writes a store, so a change of one value is a change of one line.
many_values_store() {
  { store_header; python3 -c '
digits = "0123456789abcdefghijklmnopqrstuvwxyz"
for i in range(100000):
    name = "".join(digits[i // 36 ** k % 36] for k in (3, 2, 1, 0))
    print(f"\"{name}\"=\"\"")
'; printf '"Lang"="FR"\n\n'; } >"$1"
}
missing_lang_store() { { store_header; printf '"Lang"="DE"\n\n'; } >"$1"; }
# ".." must not load the folder above the program's, which holds a catalogue.
dotdot_lang_store() { { store_header; printf '"Lang"=".."\n\n'; } >"$1"; printf 'main.fmCaption=Above\n' >"$hostile/Lang.txt"; }
dword_lang_store() { { store_header; printf '"Lang"=dword:00000001\n\n'; } >"$1"; }
fifo_store() { rm -f "$1" && mkfifo "$1"; }

# Steps some cases take once the window shows.
open_help_tabs() {  # "START STAT" and "LED INDICATOR", then back; the window must still answer
  local w x y
  w=$(main_window) || return 1
  xdotool mousemove --window "$w" 55 20 click 1 sleep 0.3 mousemove --window "$w" 255 20 click 1 sleep 0.3
  read -r x y <<<"$(tray_icon)" || return 1
  xdotool mousemove "$x" "$y" click 1  # hides the window: the main thread answers
  wait_for 5 not main_window_shown
}
refuses_language_switch() {  # choosing another language is refused with an error box
  tray_menu Down Down Right Down Return
  wait_for 5 error_box_shown && dismiss_error_box
}
stores_english_alone() {  # choosing English changes the one value "Lang" in the store
  local expected=$hostile/expected.reg
  sed 's/^"Lang"="FR"$/"Lang"="EN"/' "$before" >"$expected"
  tray_menu Down Down Right Return
  wait_for 10 cmp -s "$expected" "$store"
}

# What becomes of the store: kept byte for byte, or (a FIFO in its place) left as it was.
store_kept() { cmp -s "$before" "$store"; }
store_still_fifo() { [[ -p $store ]]; }

# The table. KIND (where the file goes) | NAME | MAKER (the file's maker; for pages
# "Start.rtf-maker LED.rtf-maker") | TITLE shown (a pattern) | BOX: 1 when an error box is due | STEP
# after the start (or -) | STORE: its check (or -, when the step changes it) | what the case is.
cases=(
  "page|big-pages|big_rtf big_text|Souris|0|open_help_tabs|store_kept|help pages of 40 MB, RTF and plain text"
  "page|binary-page|binary_page -|Orvix mouse|1|-|store_kept|a help page of binary garbage (Failed to Load Stream)"
  "page|truncated-page|truncated_rtf truncated_rtf|Souris|0|open_help_tabs|store_kept|help pages of RTF cut inside a group"
  "page|nested-page|nested_rtf open_rtf|Souris|0|open_help_tabs|store_kept|help pages nested 100,000 groups deep"
  "catalogue|latin1|latin1_catalogue|Souris à été|0|-|store_kept|a catalogue in Latin-1"
  "catalogue|utf16|utf16_catalogue|Orvix mouse|0|-|store_kept|a catalogue in UTF-16 without a byte-order mark"
  "catalogue|bom|bom_catalogue|Orvix mouse|0|-|store_kept|a catalogue of a lone byte-order mark"
  "catalogue|nul|nul_catalogue|Sou|0|-|store_kept|a catalogue cut by a NUL byte"
  "catalogue|empty|empty_catalogue|Orvix mouse|0|-|store_kept|an empty catalogue"
  "catalogue|long-line|long_line_catalogue|Souris xxxxxxxxxxxxxxxx*|0|-|store_kept|a catalogue of one 5 MB line"
  "catalogue|big-catalogue|big_catalogue|Orvix mouse|0|-|store_kept|a catalogue of 20 MB"
  "catalogue|long-caption|long_caption_line|Souris|0|-|store_kept|a catalogue with a caption of 5 MB"
  "store|binary-store|binary_store|Orvix mouse|1|refuses_language_switch|store_kept|a store of binary garbage"
  "store|truncated-store|truncated_store|Orvix mouse|1|refuses_language_switch|store_kept|a store cut inside a value"
  "store|big-store|oversized_store|Orvix mouse|1|refuses_language_switch|store_kept|a store over 1 MiB"
  "store|many-values|many_values_store|Souris|0|stores_english_alone|-|a store of 100,000 values"
  "store|missing-lang|missing_lang_store|Orvix mouse|0|-|store_kept|a stored language without a folder"
  "store|dotdot-lang|dotdot_lang_store|Orvix mouse|0|-|store_kept|a stored language \"..\""
  "store|dword-lang|dword_lang_store|Orvix mouse|1|-|store_kept|a stored language of the wrong type"
  "store|fifo-store|fifo_store|Orvix mouse|0|-|store_still_fifo|a FIFO in the store's place"
)

# hostile_case ROW: one row of the table. The steps and store checks see its $store and $before.
hostile_case() {
  local kind name maker title box step keep what prog env_ store before start led
  IFS='|' read -r kind name maker title box step keep what <<<"$1"
  prog=$(hostile_program "$name")
  env_=$(hostile_session "$name" FR)
  store=$(hostile_store "$name")
  case $kind in
    page)
      read -r start led <<<"$maker"
      [[ $start != - ]] && $start "$prog/FR/Start.rtf"
      [[ $led != - ]] && $led "$prog/FR/LED.rtf"
      ;;
    catalogue) $maker "$prog/FR/Lang.txt" ;;
    store) $maker "$store" ;;
  esac
  before=$hostile/$name.before
  [[ -f $store ]] && cp "$store" "$before"
  hostile_start env $env_ "$prog/orvix-mouse"
  check "$what: the program starts" wait_for 10 started
  if ((box)); then
    check "  with an error box" wait_for 5 error_box_shown
    dismiss_error_box
  fi
  check "  the window is titled as it must be" wait_for 5 main_titled "$title"
  sleep 0.3  # an error box of the store comes right after the window
  check "  no (further) error box" not error_box_shown
  [[ $step != - ]] && check "  ${step//_/ }" $step
  check "  the program runs on" running "$app"
  [[ $keep != - ]] && check "  ${keep//_/ }" $keep
  hostile_stop
  rm -rf "$prog"
}

for row in "${cases[@]}"; do hostile_case "$row"; done

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
