// PNG (through libpng) and BMP (through SDL) loading behind SDL_image's interface.
#include <png.h>

#include <cstring>
#include <vector>

#include "SDL_image.h"

namespace {

// The whole stream from its current position; the images here are small artwork and screenshots.
bool read_all(SDL_RWops* src, std::vector<unsigned char>& bytes) {
    unsigned char chunk[16384];
    for (;;) {
        int n = SDL_RWread(src, chunk, 1, sizeof chunk);
        if (n < 0) return false;
        if (n == 0) return true;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

bool is_png(const std::vector<unsigned char>& bytes) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.data(), signature, 8) == 0;
}

// Images with transparency become 32-bit RGBA surfaces with per-pixel alpha; the others 24-bit RGB,
// so a colour key set on them later still applies when they are blitted.
SDL_Surface* decode_png(const std::vector<unsigned char>& bytes) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        SDL_SetError("Error reading the PNG file: %s", image.message);
        return nullptr;
    }
    const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const int depth = alpha ? 32 : 24;
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, static_cast<int>(image.width),
                                                static_cast<int>(image.height), depth, 0x000000FF,
                                                0x0000FF00, 0x00FF0000, alpha ? 0xFF000000 : 0);
    if (surface == nullptr) {
        png_image_free(&image);
        return nullptr;
    }
    if (!png_image_finish_read(&image, nullptr, surface->pixels, surface->pitch, nullptr)) {
        SDL_SetError("Error reading the PNG file: %s", image.message);
        png_image_free(&image);
        SDL_FreeSurface(surface);
        return nullptr;
    }
    return surface;
}

}  // namespace

extern "C" {

int IMG_isPNG(SDL_RWops* src) {
    if (src == nullptr) return 0;
    int start = SDL_RWtell(src);
    unsigned char head[8];
    std::vector<unsigned char> bytes;
    if (SDL_RWread(src, head, 1, 8) == 8) bytes.assign(head, head + 8);
    SDL_RWseek(src, start, RW_SEEK_SET);
    return is_png(bytes) ? 1 : 0;
}

SDL_Surface* IMG_Load_RW(SDL_RWops* src, int freesrc) {
    if (src == nullptr) {
        SDL_SetError("Passed a NULL data source");
        return nullptr;
    }
    int start = SDL_RWtell(src);
    std::vector<unsigned char> bytes;
    bool read = read_all(src, bytes);
    SDL_Surface* surface = nullptr;
    if (!read) {
        SDL_SetError("Error reading the image data");
    } else if (is_png(bytes)) {
        surface = decode_png(bytes);
    } else if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        SDL_RWseek(src, start, RW_SEEK_SET);
        surface = SDL_LoadBMP_RW(src, 0);
    } else {
        SDL_SetError("Unsupported image format");
    }
    if (freesrc) SDL_RWclose(src);
    return surface;
}

SDL_Surface* IMG_Load(const char* file) {
    SDL_RWops* src = SDL_RWFromFile(file, "rb");
    if (src == nullptr) return nullptr;
    return IMG_Load_RW(src, 1);
}

}  // extern "C"
