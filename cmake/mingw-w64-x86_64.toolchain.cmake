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
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Fully static: no libstdc++, libgcc or winpthread DLL has to sit beside the executables.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest runs the cross-built tests through wine (scripts/test-windows prepares the prefix).
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()
