// Checks the shipped font: it opens at the sizes the programs use, renders, covers ASCII and
// carries its licence.
#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "files.h"

namespace fs = std::filesystem;

namespace {

const fs::path kFont = fs::path(RX_PROGRAM_DIR) / "NEURPOLI.TTF";

using rx::test::read_file;

class Font : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(0, SDL_Init(SDL_INIT_VIDEO)) << SDL_GetError();
        ASSERT_EQ(0, TTF_Init()) << TTF_GetError();
    }
    static void TearDownTestSuite() {
        TTF_Quit();
        SDL_Quit();
    }
};

// Rendered text must have ink: a solid rendering is 8-bit with index 0 as the background.
long ink(SDL_Surface* s) {
    long n = 0;
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < s->w; ++x) n += row[x] != 0 ? 1 : 0;
    }
    SDL_UnlockSurface(s);
    return n;
}

TEST_F(Font, OpensAndRendersAtTheProgramsSizes) {
    long previous_ink = 0;
    for (int size : {12, 16, 20, 24, 28}) {
        TTF_Font* font = TTF_OpenFont(kFont.string().c_str(), size);
        ASSERT_NE(nullptr, font) << size << ": " << TTF_GetError();
        SDL_Surface* text = TTF_RenderText_Solid(font, "Relicade", SDL_Color{255, 255, 255, 0});
        ASSERT_NE(nullptr, text) << size;
        ASSERT_EQ(1, text->format->BytesPerPixel);
        EXPECT_GT(text->w, 0);
        const long drawn = ink(text);
        EXPECT_GT(drawn, 0) << size;
        EXPECT_GT(drawn, previous_ink)
            << "size " << size << " should draw more ink than a smaller one";
        previous_ink = drawn;
        SDL_FreeSurface(text);
        TTF_CloseFont(font);
    }
}

// Every printable ASCII character has a glyph: titles, game names, key names and typed text all
// come from it.
TEST_F(Font, CoversPrintableAscii) {
    TTF_Font* font = TTF_OpenFont(kFont.string().c_str(), 20);
    ASSERT_NE(nullptr, font) << TTF_GetError();
    std::string missing;
    for (Uint16 c = 32; c < 127; ++c)
        if (!TTF_GlyphIsProvided(font, c)) missing += static_cast<char>(c);
    EXPECT_EQ("", missing);
    TTF_CloseFont(font);
}

// The unicode renderer used by the text boxes draws the masked password too.
TEST_F(Font, RendersWideTextAndMasks) {
    TTF_Font* font = TTF_OpenFont(kFont.string().c_str(), 20);
    ASSERT_NE(nullptr, font) << TTF_GetError();
    const Uint16 text[] = {'*', '*', '*', '|', 0};
    SDL_Surface* s = TTF_RenderUNICODE_Solid(font, text, SDL_Color{0, 0, 0, 0});
    ASSERT_NE(nullptr, s);
    EXPECT_GT(s->w, 0);
    SDL_FreeSurface(s);
    TTF_CloseFont(font);
}

// rxlib embeds its own face (one whose licence allows embedding) and opens it from memory at 16
// points.
TEST_F(Font, RxlibFaceOpensFromMemoryAndShipsItsLicence) {
    const std::string embedded = read_file(fs::path(RX_RXLIB_RESOURCE_DIR) / "1003.ttf");
    ASSERT_FALSE(embedded.empty());
    const std::string licence = read_file(fs::path(RX_PROGRAM_DIR) / "rxlib-FONT-LICENSE.txt");
    EXPECT_NE(std::string::npos, licence.find("OFL"));
    SDL_RWops* rw =
        SDL_RWFromMem(const_cast<char*>(embedded.data()), static_cast<int>(embedded.size()));
    ASSERT_NE(nullptr, rw);
    TTF_Font* font = TTF_OpenFontRW(rw, 1, 16);
    ASSERT_NE(nullptr, font) << TTF_GetError();
    SDL_Surface* s = TTF_RenderText_Solid(font, "Loading Game", SDL_Color{255, 255, 255, 0});
    ASSERT_NE(nullptr, s);
    EXPECT_GT(ink(s), 0);
    SDL_FreeSurface(s);
    TTF_CloseFont(font);
}

TEST_F(Font, LicenceShipsBesideTheFont) {
    const std::string licence = read_file(fs::path(RX_PROGRAM_DIR) / "NEURPOLI-LICENSE.txt");
    EXPECT_NE(std::string::npos, licence.find("fonts-beteckna"));
    EXPECT_NE(std::string::npos, licence.find("GNU General Public License"));
    EXPECT_NE(std::string::npos, licence.find("Copyright"));
}

}  // namespace
