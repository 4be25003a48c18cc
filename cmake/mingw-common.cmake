# Shared part of the mingw-w64 cross toolchains (cmake/mingw-i686.cmake, cmake/mingw-x86_64.cmake): each sets
# RX_MINGW_HOST (the compiler triple) and RX_MINGW_WINE (the Wine loader that runs its programs) and includes this.
# RX_MINGW_PREFIX names the folder the Windows libraries were built into (scripts/build_win32_deps.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${RX_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RX_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${RX_MINGW_HOST}-windres)
set(CMAKE_AR ${RX_MINGW_HOST}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${RX_MINGW_HOST}-ranlib CACHE FILEPATH "")

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RX_MINGW_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${RX_MINGW_HOST} "${RX_MINGW_PREFIX}")
set(CMAKE_PREFIX_PATH "${RX_MINGW_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the Windows prefix, never the build machine's own libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${RX_MINGW_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Programs run under Wine where the build or the tests need to run them. The loader is named by its own
# path: Debian's `wine` command picks the 32-bit loader whenever wine32 is installed, even on a machine
# that cannot start 32-bit programs, and there is no `wine64` command without that package.
set(RX_WINE_LOADER "/usr/lib/wine/${RX_MINGW_WINE}" CACHE FILEPATH "Wine loader that runs this build's programs")
set(CMAKE_CROSSCOMPILING_EMULATOR "${RX_WINE_LOADER}")

# The compiler's own runtime (libgcc, libstdc++, winpthread) goes inside every program and DLL, so the program
# folder ships only SDL's DLLs and ours; SDL's import libraries are named by full path, so -static keeps them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
