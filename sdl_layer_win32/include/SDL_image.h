/* Image loading for the Windows programs, with SDL_image 1.2's interface (PNG and BMP). */
#ifndef RX_SDL_IMAGE_H
#define RX_SDL_IMAGE_H

#include "SDL.h"
#include "begin_code.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SDL_IMAGE_MAJOR_VERSION 1
#define SDL_IMAGE_MINOR_VERSION 2
#define SDL_IMAGE_PATCHLEVEL 12

extern DECLSPEC SDL_Surface* SDLCALL IMG_Load(const char* file);
extern DECLSPEC SDL_Surface* SDLCALL IMG_Load_RW(SDL_RWops* src, int freesrc);
extern DECLSPEC int SDLCALL IMG_isPNG(SDL_RWops* src);

#define IMG_SetError SDL_SetError
#define IMG_GetError SDL_GetError

#ifdef __cplusplus
}
#endif
#include "close_code.h"

#endif
