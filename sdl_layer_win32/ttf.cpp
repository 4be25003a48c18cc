// TrueType fonts on FreeType behind SDL_ttf's interface: monochrome ("solid") text on an 8-bit
// surface whose colour 0 is the transparent background, measured the way SDL_ttf 2.0 measures it.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "SDL_ttf.h"

struct _TTF_Font {
    FT_Face face = nullptr;
    std::vector<unsigned char> data;  // FreeType reads the face from here for as long as it is open
    int height = 0;
    int ascent = 0;
    int descent = 0;
    int lineskip = 0;
};

namespace {

FT_Library library = nullptr;
int started = 0;

int floor26(FT_Long v) {
    return static_cast<int>((v & -64) / 64);
}
int ceil26(FT_Long v) {
    return static_cast<int>(((v + 63) & -64) / 64);
}

struct glyph_box {
    int minx, maxx, miny, maxy, yoffset, advance;
};

bool load_glyph(TTF_Font* font, FT_UInt index, bool render, glyph_box& box) {
    if (FT_Load_Glyph(font->face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0) return false;
    const FT_Glyph_Metrics& m = font->face->glyph->metrics;
    box.minx = floor26(m.horiBearingX);
    box.maxx = box.minx + ceil26(m.width);
    box.maxy = floor26(m.horiBearingY);
    box.miny = box.maxy - ceil26(m.height);
    box.yoffset = font->ascent - box.maxy;
    box.advance = ceil26(m.horiAdvance);
    if (render && FT_Render_Glyph(font->face->glyph, FT_RENDER_MODE_MONO) != 0) return false;
    return true;
}

std::vector<Uint16> from_latin1(const char* text) {
    std::vector<Uint16> units;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        units.push_back(*p);
    return units;
}

// UCS-2 text up to its terminator; a byte-order mark switches the order of the units after it.
std::vector<Uint16> from_ucs2(const Uint16* text) {
    std::vector<Uint16> units;
    bool swapped = false;
    for (const Uint16* p = text; *p; ++p) {
        if (*p == 0xFEFF) {
            swapped = false;
            continue;
        }
        if (*p == 0xFFFE) {
            swapped = true;
            continue;
        }
        units.push_back(swapped ? static_cast<Uint16>((*p << 8) | (*p >> 8)) : *p);
    }
    return units;
}

// The pen's move in whole pixels between two glyphs; 0 when either is missing.
int kerning_offset(TTF_Font* font, FT_UInt previous, FT_UInt index) {
    if (!previous || !index) return 0;
    FT_Vector delta;
    FT_Get_Kerning(font->face, previous, index, FT_KERNING_DEFAULT, &delta);
    return static_cast<int>(delta.x >> 6);
}

bool measure(TTF_Font* font, const std::vector<Uint16>& units, int& width, int& height,
             int& shift) {
    if (font == nullptr) {
        SDL_SetError("Passed a NULL font");
        return false;
    }
    const bool kerning = FT_HAS_KERNING(font->face);
    int x = 0, minx = 0, maxx = 0;
    FT_UInt previous = 0;
    for (Uint16 unit : units) {
        FT_UInt index = FT_Get_Char_Index(font->face, unit);
        glyph_box box;
        if (!load_glyph(font, index, false, box)) {
            SDL_SetError("Couldn't find glyph");
            return false;
        }
        if (kerning) x += kerning_offset(font, previous, index);
        minx = std::min(minx, x + box.minx);
        maxx = std::max(maxx, x + std::max(box.advance, box.maxx));
        x += box.advance;
        previous = index;
    }
    width = maxx - minx;
    height = font->height;
    shift = -minx;
    return true;
}

SDL_Surface* render_solid(TTF_Font* font, const std::vector<Uint16>& units, SDL_Color fg) {
    int width = 0, height = 0, shift = 0;
    if (!measure(font, units, width, height, shift)) return nullptr;
    if (width == 0) {
        SDL_SetError("Text has zero width");
        return nullptr;
    }
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 8, 0, 0, 0, 0);
    if (surface == nullptr) return nullptr;
    SDL_Palette* palette = surface->format->palette;
    palette->colors[0].r = static_cast<Uint8>(255 - fg.r);
    palette->colors[0].g = static_cast<Uint8>(255 - fg.g);
    palette->colors[0].b = static_cast<Uint8>(255 - fg.b);
    palette->colors[1] = fg;
    SDL_SetColorKey(surface, SDL_SRCCOLORKEY, 0);
    std::memset(surface->pixels, 0, static_cast<std::size_t>(surface->pitch) * surface->h);

    const bool kerning = FT_HAS_KERNING(font->face);
    int x = shift;
    FT_UInt previous = 0;
    for (Uint16 unit : units) {
        FT_UInt index = FT_Get_Char_Index(font->face, unit);
        glyph_box box;
        if (!load_glyph(font, index, true, box)) {
            SDL_FreeSurface(surface);
            SDL_SetError("Couldn't render glyph");
            return nullptr;
        }
        if (kerning) x += kerning_offset(font, previous, index);
        const FT_GlyphSlot slot = font->face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int left = x + slot->bitmap_left;
        const int top = font->ascent - slot->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int y = top + static_cast<int>(row);
            if (y < 0 || y >= surface->h) continue;
            const unsigned char* bits =
                bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
            Uint8* out = static_cast<Uint8*>(surface->pixels) + y * surface->pitch;
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const int px = left + static_cast<int>(col);
                if (px < 0 || px >= surface->w) continue;
                if (bits[col >> 3] & (0x80 >> (col & 7))) out[px] = 1;
            }
        }
        x += box.advance;
        previous = index;
    }
    return surface;
}

}  // namespace

extern "C" {

int TTF_Init(void) {
    if (started == 0 && FT_Init_FreeType(&library) != 0) {
        SDL_SetError("Couldn't init FreeType engine");
        return -1;
    }
    ++started;
    return 0;
}

int TTF_WasInit(void) {
    return started;
}

void TTF_Quit(void) {
    if (started > 0 && --started == 0) {
        FT_Done_FreeType(library);
        library = nullptr;
    }
}

TTF_Font* TTF_OpenFontRW(SDL_RWops* src, int freesrc, int ptsize) {
    if (src == nullptr) {
        SDL_SetError("Passed a NULL font source");
        return nullptr;
    }
    TTF_Font* font = nullptr;
    if (started == 0) {
        SDL_SetError("Library not initialized");
    } else if ((font = new (std::nothrow) _TTF_Font) == nullptr) {
        SDL_OutOfMemory();
    } else {
        unsigned char chunk[16384];
        int n;
        while ((n = SDL_RWread(src, chunk, 1, sizeof chunk)) > 0) {
            font->data.insert(font->data.end(), chunk, chunk + n);
        }
        if (n < 0 || font->data.empty() ||
            FT_New_Memory_Face(library, font->data.data(), static_cast<FT_Long>(font->data.size()),
                               0, &font->face) != 0) {
            SDL_SetError("Couldn't load font file");
            delete font;
            font = nullptr;
        } else if (!FT_IS_SCALABLE(font->face) ||
                   FT_Set_Char_Size(font->face, 0, ptsize * 64, 0, 0) != 0) {
            SDL_SetError("Couldn't set font size");
            FT_Done_Face(font->face);
            delete font;
            font = nullptr;
        } else {
            const FT_Fixed scale = font->face->size->metrics.y_scale;
            font->ascent = ceil26(FT_MulFix(font->face->ascender, scale));
            font->descent = ceil26(FT_MulFix(font->face->descender, scale));
            font->height = font->ascent - font->descent + 1;
            font->lineskip = ceil26(FT_MulFix(font->face->height, scale));
        }
    }
    if (freesrc) SDL_RWclose(src);
    return font;
}

TTF_Font* TTF_OpenFont(const char* file, int ptsize) {
    SDL_RWops* src = SDL_RWFromFile(file, "rb");
    if (src == nullptr) return nullptr;
    return TTF_OpenFontRW(src, 1, ptsize);
}

void TTF_CloseFont(TTF_Font* font) {
    if (font == nullptr) return;
    if (font->face) FT_Done_Face(font->face);
    delete font;
}

int TTF_FontHeight(const TTF_Font* font) {
    return font->height;
}
int TTF_FontAscent(const TTF_Font* font) {
    return font->ascent;
}
int TTF_FontDescent(const TTF_Font* font) {
    return font->descent;
}
int TTF_FontLineSkip(const TTF_Font* font) {
    return font->lineskip;
}

int TTF_GlyphIsProvided(const TTF_Font* font, Uint16 ch) {
    return static_cast<int>(FT_Get_Char_Index(font->face, ch));
}

int TTF_SizeText(TTF_Font* font, const char* text, int* w, int* h) {
    int width = 0, height = 0, shift = 0;
    if (!measure(font, from_latin1(text), width, height, shift)) return -1;
    if (w) *w = width;
    if (h) *h = height;
    return 0;
}

int TTF_SizeUNICODE(TTF_Font* font, const Uint16* text, int* w, int* h) {
    int width = 0, height = 0, shift = 0;
    if (!measure(font, from_ucs2(text), width, height, shift)) return -1;
    if (w) *w = width;
    if (h) *h = height;
    return 0;
}

SDL_Surface* TTF_RenderText_Solid(TTF_Font* font, const char* text, SDL_Color fg) {
    return render_solid(font, from_latin1(text), fg);
}

SDL_Surface* TTF_RenderUNICODE_Solid(TTF_Font* font, const Uint16* text, SDL_Color fg) {
    return render_solid(font, from_ucs2(text), fg);
}

}  // extern "C"
