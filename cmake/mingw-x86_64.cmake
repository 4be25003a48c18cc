# Cross toolchain for a 64-bit Windows build of the same sources: Debian's x86_64 mingw-w64 (posix threads), run
# under wine64. The tests use it where the machine cannot start 32-bit programs; nothing built with it ships.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(RX_MINGW_HOST x86_64-w64-mingw32)
set(RX_MINGW_WINE wine64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake")
