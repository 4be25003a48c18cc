# Cross toolchain for the 32-bit Windows programs that ship: Debian's i686 mingw-w64 (posix threads, for
# std::thread), run under the 32-bit Wine loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(RX_MINGW_HOST i686-w64-mingw32)
set(RX_MINGW_WINE wine)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")
