# Shared by the Windows scripts (test-windows, package-windows, build-qt-windows): the cross build
# and wine. Source it after lib.sh; do not run it.

ORVIX_WINDOWS_BUILD=${ORVIX_WINDOWS_BUILD:-$ORVIX_BUILD/windows}
# The static Qt for Windows: shipped beside the project, unpacked into the build tree's cache...
ORVIX_SHARED_QT=$ORVIX_ROOT/../shared/qt-windows
ORVIX_QT_UNPACKED=$ORVIX_BUILD/cache/qt-windows
# ...or built here from Debian's sources by scripts/build-qt-windows, kept outside the build tree.
ORVIX_QT_BUILT=${ORVIX_QT_WINDOWS_CACHE:-$ORVIX_ROOT/.cache/qt-windows}

# The cross compiler, wine, and what CMake needs to use the static Qt (Debian's host tools).
# wine64 only suggests its preloader, yet without it wine reserves the address ranges Windows
# programs expect only after its own heap and libraries are placed: now and then (about one start
# in a few thousand) the heap sits on the fixed address of the shared user data, and the new
# process ends with status 1 before the program runs ("failed to map the shared user data").
ORVIX_WINDOWS_PACKAGES=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine64 wine64-preloader
  qt6-base-dev qt6-base-dev-tools)

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export ORVIX_WINE=$WINE  # tests/support/wine-run
# Errors of every debug channel: wine says why a process could not start only on its channels.
export WINEARCH=win64 WINEDEBUG=-all,err+all WINEDLLOVERRIDES="mscoree,mshtml="

# qt_windows_prefix: prints the prefix of a static Qt for Windows (unpacking the shared archive
# into the cache when it is new), or nothing when there is none.
qt_windows_prefix() {
  local archive stamp
  archive=$(ls "$ORVIX_SHARED_QT"/qt6*-win64-mingw-static.tar.xz 2>/dev/null | tail -n 1)
  if [[ -n $archive ]]; then
    stamp="$(basename "$archive") $(stat -c '%s %Y' "$archive")"
    if [[ ! -f $ORVIX_QT_UNPACKED/.unpacked || $(cat "$ORVIX_QT_UNPACKED/.unpacked") != "$stamp" ]]; then
      say "Unpacking $(basename "$archive") into $ORVIX_QT_UNPACKED"
      rm -rf "$ORVIX_QT_UNPACKED"
      mkdir -p "$ORVIX_QT_UNPACKED"
      tar -xJf "$archive" -C "$ORVIX_QT_UNPACKED" || return 1
      printf '%s' "$stamp" >"$ORVIX_QT_UNPACKED/.unpacked"
    fi
    printf '%s' "$ORVIX_QT_UNPACKED/prefix"
  elif [[ -f $ORVIX_QT_BUILT/prefix/lib/cmake/Qt6/Qt6Config.cmake ]]; then
    printf '%s' "$ORVIX_QT_BUILT/prefix"
  fi
}

# cross_build BUILD QT_PREFIX [cmake args...]: configures and builds the project for Windows in
# BUILD; with a QT_PREFIX the whole program, without one the half below the windows.
cross_build() {
  local build=$1 qt=$2
  shift 2
  local app=(-DORVIX_BUILD_APP=OFF)
  [[ -n $qt ]] && app=(-DORVIX_BUILD_APP=ON -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
  # A build folder of another generator (earlier versions used make) starts afresh.
  if [[ -f $build/CMakeCache.txt ]] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$build/CMakeCache.txt"; then
    rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
  fi
  cmake -S "$ORVIX_ROOT" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ORVIX_ROOT/cmake/mingw-w64-x86_64.toolchain.cmake" "${app[@]}" "$@" >/dev/null &&
    cmake --build "$build" -j"$(nproc)"
}

# wine_prefix PREFIX DRIVER: starts one wine server for PREFIX (made on first use) and its
# services, with the display driver DRIVER ("null": hidden windows without a display; "x11").
# Started before anything that could inherit a caller's output pipes (CTest waits for them).
wine_prefix() {
  local prefix=$1 driver=$2 log=$1.log
  export WINEPREFIX=$prefix
  mkdir -p "$prefix"
  "$WINESERVER" -p 2>/dev/null || say "A wine server already runs for $prefix: using it"
  "$WINE" wineboot >"$log" 2>&1
  if [[ ! -f $prefix/.orvix-$driver ]]; then
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d "$driver" /f >>"$log" 2>&1
    # A crash never opens a dialog; the Run key exists, as on every Windows.
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1
    "$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /f >>"$log" 2>&1
    touch "$prefix/.orvix-$driver"
    # The desktop process chose its driver before the setting: start the server again.
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    "$WINESERVER" -p 2>/dev/null
    "$WINE" wineboot >>"$log" 2>&1
  fi
}

# wine_prefix_stop: ends the server of $WINEPREFIX and every process of it.
wine_prefix_stop() {
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w 2>/dev/null || true
}
