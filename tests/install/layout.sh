#!/usr/bin/env bash
# cmake --install into a fresh prefix: every file of the layout in its place, and the commands in
# bin/, links into lib/orvix-mouse/, find the language folders beside their resolved executable.
#   layout.sh BUILD_DIR
set -uo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/a prefix"  # a blank in the path, as a user's may have
cmake --install "$build" --prefix "$prefix" >/dev/null || exit 1

failed=0
expect() {  # expect NAME COMMAND...
  if "${@:2}"; then echo "[  OK  ] $1"; else echo "[ FAIL ] $1"; failed=1; fi
}
for path in lib/orvix-mouse/orvix-mouse lib/orvix-mouse/orvixctl lib/orvix-mouse/EN/Lang.txt \
  lib/orvix-mouse/CHN/Lang.txt lib/orvix-mouse/JPN/Lang.txt \
  share/applications/io.github.orvixmouse.OrvixMouse.desktop \
  share/metainfo/io.github.orvixmouse.OrvixMouse.metainfo.xml \
  share/icons/hicolor/16x16/apps/orvix-mouse.png share/icons/hicolor/128x128/apps/orvix-mouse.png \
  share/icons/hicolor/scalable/apps/orvix-mouse.svg share/man/man1/orvix-mouse.1 share/man/man1/orvixctl.1 \
  share/bash-completion/completions/orvixctl lib/udev/rules.d/70-orvix-mouse.rules; do
  expect "$path is installed" test -f "$prefix/$path" -a ! -L "$prefix/$path"
done
expect "bin/orvix-mouse is a relative link to the program" test "$(readlink "$prefix/bin/orvix-mouse")" = ../lib/orvix-mouse/orvix-mouse
expect "bin/orvixctl is a relative link to orvixctl" test "$(readlink "$prefix/bin/orvixctl")" = ../lib/orvix-mouse/orvixctl
expect "no read-me among the language folders" test ! -e "$prefix/lib/orvix-mouse/README.md"

# Chinese stored: the captions come from lib/orvix-mouse/CHN, found through the link.
mkdir -p "$work/config/Quano/OrvixMouseV1"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n"Lang"="CHN"\n' \
  >"$work/config/Quano/OrvixMouseV1/Config.reg"
mv "$prefix" "$work/moved"  # the tree works wherever it is
functions=$(XDG_CONFIG_HOME=$work/config ORVIX_HID=sim "$work/moved/bin/orvixctl" functions 2>&1)
expect "orvixctl through its link finds the language folders, after the tree moved" grep -q '左键' <<<"$functions"
exit $failed
