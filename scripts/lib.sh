# Shared by the project's scripts: package installs and the build. Source it; do not run it.

ORVIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORVIX_BUILD=${ORVIX_BUILD:-$ORVIX_ROOT/build}

# The Debian packages the build and the host test tiers need.
ORVIX_BUILD_PACKAGES=(g++ cmake make pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev libudev-dev groff-base)
# The desktop tier: a virtual display, a tray host, a window manager, X tools, CJK fonts, and
# GLib's desktop-entry launcher for Python.
ORVIX_DESKTOP_PACKAGES=(xvfb xauth trayer xdotool x11-utils openbox imagemagick fonts-dejavu-core fonts-noto-cjk
  python3-gi)

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
