#!/usr/bin/env bash
# The install tier's checks, run by scripts/test-install in a mount namespace of its own:
#   checks.sh ROOT DEB TARBALL
# lintian on the package; then, in a fresh Debian 12 root unpacked into ROOT, the package installed
# with apt as a user's machine gets it, the program started from the command its desktop entry
# runs, orvixctl, the desktop files checked where they were installed, and a purge that must leave
# nothing behind but the user's own settings.
set -uo pipefail
root=$1 deb=$2 tarball=$3
source "$(dirname "$0")/../../scripts/lib.sh"
source "$ORVIX_ROOT/tests/desktop/lib.sh"  # check, wait_for, title_is

echo "--- the package"
lint=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v '^running with root privileges')
[[ -n $lint ]] && sed 's/^/lintian: /' <<<"$lint"
check "lintian finds no error in the package" not grep -q '^E: ' <<<"$lint"
depends=$(dpkg-deb -f "$deb" Depends)
check "its dependencies name the Qt libraries, libudev and the platform plugins" \
  grep -Eq 'libqt6widgets6.*libudev1.*qt6-qpa-plugins.*qt6-wayland' <<<"$depends"
check "and it recommends the CJK font" test "$(dpkg-deb -f "$deb" Recommends)" = fonts-noto-cjk

echo "--- a fresh Debian 12 root"
start=$SECONDS
tar -C "$root" -xzf "$tarball" || exit 1
chmod 0755 "$root"  # mktemp made it private; the test user must pass through it
mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev" || exit 1
# The machine's own mirror and a download cache kept between runs.
cache=$(dirname "$tarball")
mkdir -p "$cache/apt-archives/partial" "$cache/apt-lists/partial"
mount --bind "$cache/apt-archives" "$root/var/cache/apt/archives"
mount --bind "$cache/apt-lists" "$root/var/lib/apt/lists"
rm -f "$root/etc/apt/sources.list"
cp /etc/apt/sources.list "$root/etc/apt/" 2>/dev/null
cp /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources "$root/etc/apt/sources.list.d/" 2>/dev/null
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }
in_root apt-get -q -o DPkg::Lock::Timeout=60 update >/dev/null || { echo "apt-get update failed in the root"; exit 1; }
# The dependencies first, so the file lists before the install and after the purge differ only by
# what the package itself did.
in_root apt-get satisfy -y -q --no-install-recommends "$depends" >/dev/null || exit 1
in_root useradd --create-home --uid 1500 --user-group tester
# The user has chosen Chinese before the package comes.
config=$root/home/tester/.config/Quano/OrvixMouseV1
mkdir -p "$config"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\software\\Quano\\OrvixMouseV1\\Config]\n"Lang"="CHN"\n' >"$config/Config.reg"
chown -R 1500:1500 "$root/home/tester"
snapshot() {  # every path in the root but the kernel's, the caches' and the user's settings
  (cd "$root" && find . \( -path ./proc -o -path ./dev -o -path ./sys -o -path ./tmp -o -path ./run \
    -o -path ./var/cache/apt -o -path ./var/lib/apt/lists -o -path ./var/log -o -path ./home/tester/.config/Quano \
    -o -name '*-old' \) -prune -o -print | LC_ALL=C sort)
}
before=$(snapshot)
say "root ready in $((SECONDS - start)) s"

cp "$deb" "$root/tmp/"
installed=$(in_root apt-get install -y -q --no-install-recommends "/tmp/$(basename "$deb")" 2>&1)
check "apt installs the package, and nothing more" grep -q '^0 upgraded, 1 newly installed' <<<"$installed"
check "with the commands in bin/" test -L "$root/usr/bin/orvix-mouse" -a -L "$root/usr/bin/orvixctl"
check "the udev rule in place" test -f "$root/usr/lib/udev/rules.d/70-orvix-mouse.rules"

echo "--- the installed program"
display=$(free_display)
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$display
mkdir -p "$root/tmp/.X11-unix" && mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
install -d -o 1500 -g 1500 -m 0700 "$root/run/user/1500"
# The user's session: commands by their own names, found on PATH as the desktop entry runs them.
as_tester=(chroot --userspec=1500:1500 "$root" env -i HOME=/home/tester USER=tester PATH=/usr/bin:/bin LANG=C.UTF-8
  DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/run/user/1500 QT_QPA_PLATFORM=xcb ORVIX_HID=sim)
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.05; done
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/io.github.orvixmouse.OrvixMouse.desktop")
"${as_tester[@]}" $exec_line &
app=$!
chinese_window() { xdotool search --onlyvisible --name '^Orvix 鼠标$' 2>/dev/null | head -n 1 | grep -q .; }
check "the window shows in the stored language" wait_for 20 chinese_window
main=$(xdotool search --onlyvisible --name '^Orvix 鼠标$' 2>/dev/null | head -n 1)
check "its title bar shows the Chinese caption alone" title_is "${main:-0}" "Orvix 鼠标"
kill "$app" 2>/dev/null; wait "$app" 2>/dev/null
kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null

listed=$("${as_tester[@]}" orvixctl list 2>&1)
check "orvixctl list runs and marks the receiver it takes" grep -q '^\*.*0E8F' <<<"$listed"
functions=$("${as_tester[@]}" orvixctl functions 2>&1)
check "orvixctl finds the language folders through its link, in the stored language" grep -q '左键' <<<"$functions"

echo "--- the desktop files"
check "desktop-file-validate passes on the installed entry" \
  desktop-file-validate "$root/usr/share/applications/io.github.orvixmouse.OrvixMouse.desktop"
check "appstreamcli validate passes on the installed metainfo" \
  appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.orvixmouse.OrvixMouse.metainfo.xml"
check "the entry's icon is in the hicolor theme" \
  test -f "$root/usr/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' \
    "$root/usr/share/applications/io.github.orvixmouse.OrvixMouse.desktop").svg"

echo "--- removal"
quietly() { "$@" >/dev/null 2>&1; }
check "apt purges the package" quietly in_root apt-get purge -y -q orvix-mouse
left=$(diff <(echo "$before") <(snapshot))
[[ -n $left ]] && sed 's/^/left: /' <<<"$left"
check "which leaves nothing behind but the user's settings" test -z "$left"
check "and those are still there" test -f "$config/Config.reg"

echo "install: $passed passed, $failed failed"
((failed == 0))
