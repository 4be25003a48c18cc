// The functions an emulator calls in rxlib, exported undecorated with C linkage.
#pragma once
#include <stdint.h>

#if defined(_WIN32) && defined(RXLIB_BUILDING)
#define RXLIB_API __declspec(dllexport)
#elif defined(_WIN32)
#define RXLIB_API __declspec(dllimport)
#else
#define RXLIB_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

RXLIB_API void rx_init(const char* launch_argument, int fullscreen);
RXLIB_API unsigned char rx_is_init(void);
RXLIB_API void rx_shutdown(void);
RXLIB_API void rx_close_window(void);
RXLIB_API unsigned char* rx_get_game_location(void);
RXLIB_API const char* rx_get_game_name(void);
RXLIB_API int32_t rx_get_game_size(void);
RXLIB_API const char* rx_get_diretory(void);
RXLIB_API unsigned char rx_is_connected(void);
RXLIB_API int32_t rx_get_shutdown_count(void);
RXLIB_API void rx_save_game(const char* file_name);
RXLIB_API void rx_load_game(const char* file_name);
RXLIB_API unsigned char* rx_get_load_location(void);
RXLIB_API int32_t rx_get_load_size(void);
// As rx_save_game, but the file at rx_get_diretory() + file_name is stored as the save named
// `save_name`, so two plays of one game on one computer each upload from a file of their own.
RXLIB_API void rx_save_game_as(const char* file_name, const char* save_name);
// How the last rx_load_game ended: 0 none yet, 1 whole (rx_get_load_size 0: the server holds no
// save), 2 failed, 3 cut short, 4 larger than the load buffer. Only 1 says what the server holds.
RXLIB_API int32_t rx_get_load_status(void);
// How the last rx_save_game ended: 0 none yet, 1 kept by the server, 2 failed or unconfirmed,
// 3 refused by the server, 4 refused because the game is played on another computer now,
// 5 nothing sent (no file, an empty one, or one over 1 MiB).
RXLIB_API int32_t rx_get_save_status(void);

#ifdef __cplusplus
}
#endif
