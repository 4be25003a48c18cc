# Shared CMake helpers: warnings on our own code and placing programs in the program folder.

# Our own targets build with every warning as an error.
function(rx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
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
endfunction()
