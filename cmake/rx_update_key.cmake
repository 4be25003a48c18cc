# The Ed25519 key that rx_update trusts for updates. RX_UPDATE_PUBLIC_KEY (64 hex digits) is the service's
# public key; left empty, the Linux build makes a key pair of its own in update_key/ (kept across rebuilds) and
# signs its sample update with it, so the tests run against a key nobody else has. A Windows cross build
# cannot run the key maker: it must be handed the public key (scripts/build_win32.sh passes the Linux build's).
#
# Results: RX_UPDATE_KEY_HEADER (the generated update_public_key.h), RX_UPDATE_SIGNING_KEY_FILE (the private
# key that signs the sample update, empty when there is none) and the target rx_update_key, which makes them.
set(RX_UPDATE_PUBLIC_KEY "" CACHE STRING
    "Ed25519 public key (64 hex digits) rx_update trusts; empty: a key pair made in the build folder")
set(RX_UPDATE_SIGNING_KEY "" CACHE FILEPATH
    "Private key file that signs the sample update when RX_UPDATE_PUBLIC_KEY is given (optional)")

set(RX_UPDATE_KEY_DIR "${CMAKE_BINARY_DIR}/update_key")
set(RX_UPDATE_KEY_HEADER "${RX_UPDATE_KEY_DIR}/update_public_key.h")
file(MAKE_DIRECTORY "${RX_UPDATE_KEY_DIR}")

if(RX_UPDATE_PUBLIC_KEY)
  if(NOT RX_UPDATE_PUBLIC_KEY MATCHES "^[0-9a-fA-F]+$")
    message(FATAL_ERROR "RX_UPDATE_PUBLIC_KEY must be 64 hex digits")
  endif()
  string(LENGTH "${RX_UPDATE_PUBLIC_KEY}" _rx_key_length)
  if(NOT _rx_key_length EQUAL 64)
    message(FATAL_ERROR "RX_UPDATE_PUBLIC_KEY must be 64 hex digits")
  endif()
  string(TOLOWER "${RX_UPDATE_PUBLIC_KEY}" _rx_key)
  set(_rx_header "// The public key of the service's update signing key, set by the build.\n#pragma once\n")
  string(APPEND _rx_header "inline constexpr char rx_update_public_key_hex[] = \"${_rx_key}\";\n")
  file(CONFIGURE OUTPUT "${RX_UPDATE_KEY_HEADER}" CONTENT "${_rx_header}")
  file(CONFIGURE OUTPUT "${RX_UPDATE_KEY_DIR}/update_public_key.hex" CONTENT "${_rx_key}\n")
  set(RX_UPDATE_SIGNING_KEY_FILE "${RX_UPDATE_SIGNING_KEY}")
  add_custom_target(rx_update_key)
elseif(WIN32)
  message(FATAL_ERROR "A Windows build needs RX_UPDATE_PUBLIC_KEY: the service's public key as 64 hex digits")
else()
  add_library(rx_update_key_maker STATIC "${PROJECT_SOURCE_DIR}/updater/update_key.cpp")
  rx_warnings(rx_update_key_maker)
  target_include_directories(rx_update_key_maker PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(rx_update_key_maker PUBLIC PkgConfig::SODIUM rx_platform_base)
  add_executable(rx_make_update_key "${PROJECT_SOURCE_DIR}/updater/make_update_key.cpp")
  rx_warnings(rx_make_update_key)
  target_link_libraries(rx_make_update_key PRIVATE rx_update_key_maker)
  set(RX_UPDATE_SIGNING_KEY_FILE "${RX_UPDATE_KEY_DIR}/update_signing.key")
  add_custom_command(
    OUTPUT "${RX_UPDATE_KEY_HEADER}" "${RX_UPDATE_SIGNING_KEY_FILE}" "${RX_UPDATE_KEY_DIR}/update_public_key.hex"
    COMMAND rx_make_update_key "${RX_UPDATE_KEY_DIR}"
    DEPENDS rx_make_update_key
    COMMENT "Making the build's update signing key"
    VERBATIM)
  add_custom_target(rx_update_key DEPENDS "${RX_UPDATE_KEY_HEADER}")
endif()
