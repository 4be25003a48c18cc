/* TrueType text for the Windows programs, with SDL_ttf 2.0's interface (solid rendering), on
 * FreeType. */
#ifndef RX_SDL_TTF_H
#define RX_SDL_TTF_H

#include "SDL.h"
#include "begin_code.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SDL_TTF_MAJOR_VERSION 2
#define SDL_TTF_MINOR_VERSION 0
#define SDL_TTF_PATCHLEVEL 11

typedef struct _TTF_Font TTF_Font;

extern DECLSPEC int SDLCALL TTF_Init(void);
extern DECLSPEC int SDLCALL TTF_WasInit(void);
extern DECLSPEC void SDLCALL TTF_Quit(void);

extern DECLSPEC TTF_Font* SDLCALL TTF_OpenFont(const char* file, int ptsize);
extern DECLSPEC TTF_Font* SDLCALL TTF_OpenFontRW(SDL_RWops* src, int freesrc, int ptsize);
extern DECLSPEC void SDLCALL TTF_CloseFont(TTF_Font* font);

extern DECLSPEC int SDLCALL TTF_FontHeight(const TTF_Font* font);
extern DECLSPEC int SDLCALL TTF_FontAscent(const TTF_Font* font);
extern DECLSPEC int SDLCALL TTF_FontDescent(const TTF_Font* font);
extern DECLSPEC int SDLCALL TTF_FontLineSkip(const TTF_Font* font);
extern DECLSPEC int SDLCALL TTF_GlyphIsProvided(const TTF_Font* font, Uint16 ch);

extern DECLSPEC int SDLCALL TTF_SizeText(TTF_Font* font, const char* text, int* w, int* h);
extern DECLSPEC int SDLCALL TTF_SizeUNICODE(TTF_Font* font, const Uint16* text, int* w, int* h);
extern DECLSPEC SDL_Surface* SDLCALL TTF_RenderText_Solid(TTF_Font* font, const char* text,
                                                          SDL_Color fg);
extern DECLSPEC SDL_Surface* SDLCALL TTF_RenderUNICODE_Solid(TTF_Font* font, const Uint16* text,
                                                             SDL_Color fg);

#define TTF_SetError SDL_SetError
#define TTF_GetError SDL_GetError

#ifdef __cplusplus
}
#endif
#include "close_code.h"

#endif
