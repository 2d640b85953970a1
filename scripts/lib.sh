# Shared by the project's scripts: package installs and the build. Source it; do not run it.

ORVIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVIX_BUILD=${ORVIX_BUILD:-$ORVIX_ROOT/build}

# The Debian packages the build and the host test tiers need (libxcb1-dev for the desktop tier's
# window pinger, tests/desktop/WmPing.cpp).
ORVIX_BUILD_PACKAGES=(g++ cmake make pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev libudev-dev libxcb1-dev groff-base)
# The desktop tier: a virtual display, a tray host, a window manager, X tools, CJK fonts, GLib's
# desktop-entry launcher for Python, the desktop-entry checker, and a session bus with Python's
# D-Bus binding for a StatusNotifierItem host.
ORVIX_DESKTOP_PACKAGES=(xvfb xauth trayer xdotool x11-utils openbox imagemagick fonts-dejavu-core fonts-noto-cjk
  python3-gi desktop-file-utils dbus-daemon python3-dbus)
# The Wayland tier: a compositor with a headless backend, and Qt's Wayland platform plugin.
ORVIX_WAYLAND_PACKAGES=(weston qt6-wayland)

# The Debian package (scripts/package) and its install test (scripts/test-install): the packaging
# tools, the checkers of the package and of its desktop files, and a Debian root to install it into.
ORVIX_PACKAGE_PACKAGES=(dpkg-dev lintian)
ORVIX_INSTALL_TEST_PACKAGES=(debootstrap desktop-file-utils appstream xvfb xauth x11-utils xdotool)
ORVIX_PACKAGE_BUILD=${ORVIX_PACKAGE_BUILD:-$ORVIX_ROOT/build-package}

# The fuzz targets and the sanitizer tiers: Debian's clang, with libFuzzer and the sanitizers'
# runtimes.
ORVIX_SANITIZER_PACKAGES=(clang libclang-rt-14-dev)
ORVIX_ASAN_BUILD=${ORVIX_ASAN_BUILD:-$ORVIX_ROOT/build-asan}
ORVIX_TSAN_BUILD=${ORVIX_TSAN_BUILD:-$ORVIX_ROOT/build-tsan}

say() { printf '%s\n' "$*" >&2; }

as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

# ensure_packages PKG...: installs what is missing, without recommended extras.
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  say "Installing: ${missing[*]}"
  if [[ ! -f /tmp/.orvix-apt-updated ]]; then
    as_root apt-get -o DPkg::Lock::Timeout=600 update -q >/dev/null && touch /tmp/.orvix-apt-updated
  fi
  # Another script of the project may be installing at the same time: wait for its lock.
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
    --no-install-recommends "${missing[@]}" >/dev/null
}

# build_project [extra cmake args...]: configures (Release) and builds into $ORVIX_BUILD.
build_project() {
  cmake -S "$ORVIX_ROOT" -B "$ORVIX_BUILD" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$ORVIX_BUILD" -j"$(nproc)"
}

# A private runtime folder, as a logged-in desktop session has.
make_runtime_dir() {
  local dir
  dir=$(mktemp -d /tmp/orvix-runtime.XXXXXX)
  chmod 700 "$dir"
  printf '%s' "$dir"
}

# free_display: prints a display number no X server uses.
free_display() {
  local n
  for n in $(seq 90 150); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || { printf '%s' "$n"; return; }
  done
  return 1
}

# configure_sanitized DIR SANITIZERS [cmake args...]: a clang build of its own with those
# sanitizers, a little optimised (sanitized tests run slowly at -O0) and with line tables for the
# reports.
configure_sanitized() {
  local dir=$1 sanitizers=$2
  shift 2
  CXX=clang++ cmake -S "$ORVIX_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DORVIX_SANITIZE="$sanitizers" "$@" >/dev/null
}

# The options of every sanitized run: the first finding ends the program, leaks are findings, and
# the leaks of the libraries below Qt that are no fault of the program's are suppressed.
sanitizer_env() {
  export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  export LSAN_OPTIONS=suppressions=$ORVIX_ROOT/scripts/lsan.supp:print_suppressions=0
  export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
}
