# Cross build for 64-bit Windows with mingw-w64 (Debian's g++-mingw-w64-x86-64-posix).
# The posix-thread compilers: the win32-thread variant of GCC 12 has no std::mutex or std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVIX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORVIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVIX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages also outside the root: the static Qt for Windows lives in the build tree's cache.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Fully static: no libstdc++, libgcc or winpthread DLL has to sit beside the executables.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest runs the cross-built tests through wine (scripts/test-windows prepares the prefix); the
# runner retries a start that wine ended before the program ran.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/support/wine-run ABSOLUTE)
endif()
