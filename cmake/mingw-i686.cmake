# Cross toolchain for the 32-bit Windows programs: Debian's i686 mingw-w64 (posix threads, for std::thread).
# RX_MINGW_PREFIX names the folder the Windows libraries were built into (scripts/build_win32_deps.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_AR i686-w64-mingw32-ar CACHE FILEPATH "")
set(CMAKE_RANLIB i686-w64-mingw32-ranlib CACHE FILEPATH "")

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RX_MINGW_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 "${RX_MINGW_PREFIX}")
set(CMAKE_PREFIX_PATH "${RX_MINGW_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the Windows prefix, never the build machine's own libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${RX_MINGW_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Programs run under Wine where the build or the tests need to run them.
find_program(RX_WINE wine)
if(RX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${RX_WINE}")
endif()

# The compiler's own runtime (libgcc, libstdc++, winpthread) goes inside every program and DLL, so the program
# folder ships only SDL's DLLs and ours; SDL's import libraries are named by full path, so -static keeps them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
