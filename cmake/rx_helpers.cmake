# Shared CMake helpers: warnings on our own code and placing programs in the program folder.

# Our own targets build with every warning as an error.
function(rx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(RX_SANITIZE)
    # Sanitizer instrumentation makes GCC report uninitialised reads inside the standard library (std::regex,
    # std::function) that are not there; the plain build keeps the warning.
    target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
  endif()
endfunction()

# A program or shared library that ships: it lands in the program folder beside its artwork.
function(rx_program target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "${RX_PROGRAM_DIR}"
    LIBRARY_OUTPUT_DIRECTORY "${RX_PROGRAM_DIR}")
  rx_warnings(${target})
endfunction()

# A library of display-free logic: it must not see SDL, so an SDL include fails to compile.
function(rx_logic_library target)
  add_library(${target} STATIC ${ARGN})
  rx_warnings(${target})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}")
  rx_forbid_sdl(${target})
endfunction()

# A folder of stand-in SDL headers that stop the build: put first on a display-free target's include path,
# they turn any SDL include (either <SDL.h> or <SDL/SDL.h> style) into a compile error.
set(RX_NO_SDL_DIR "${CMAKE_BINARY_DIR}/no_sdl")
file(GLOB _rx_sdl_headers /usr/include/SDL/*.h)
list(APPEND _rx_sdl_headers SDL.h SDL_image.h SDL_ttf.h SDL_net.h)
foreach(_h ${_rx_sdl_headers})
  get_filename_component(_name "${_h}" NAME)
  set(_text "#error \"display-free code must not include SDL (${_name})\"\n")
  file(WRITE "${RX_NO_SDL_DIR}/${_name}" "${_text}")
  file(WRITE "${RX_NO_SDL_DIR}/SDL/${_name}" "${_text}")
endforeach()

function(rx_forbid_sdl target)
  target_include_directories(${target} BEFORE PRIVATE "${RX_NO_SDL_DIR}")
endfunction()

# Globs the sources of a library; a folder with none yet still yields a valid (empty) target.
function(rx_glob_sources var)
  file(GLOB _found CONFIGURE_DEPENDS ${ARGN})
  if(NOT _found)
    set(_found "${PROJECT_SOURCE_DIR}/cmake/empty.cpp")
  endif()
  set(${var} ${_found} PARENT_SCOPE)
endfunction()

# The program names of every emulator profile (emulators/profiles.inc) into `all`, and of those
# rx_retro plays on Linux into `retro`. Each row starts a line with its name, program and player.
function(rx_emulator_programs all retro)
  file(STRINGS "${PROJECT_SOURCE_DIR}/emulators/profiles.inc" _rows REGEX "^RX_EMULATOR\\(")
  set(_all "")
  set(_retro "")
  foreach(_row ${_rows})
    if(NOT _row MATCHES "^RX_EMULATOR\\(\"[^\"]*\", \"([^\"]*)\", ([a-z_]+),")
      message(FATAL_ERROR "emulators/profiles.inc: unreadable row ${_row}")
    endif()
    list(APPEND _all "${CMAKE_MATCH_1}")
    if(CMAKE_MATCH_2 STREQUAL "rx_retro")
      list(APPEND _retro "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/emulators/profiles.inc")
  set(${all} ${_all} PARENT_SCOPE)
  set(${retro} ${_retro} PARENT_SCOPE)
endfunction()
