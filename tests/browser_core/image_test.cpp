// Artwork loading: the images folder, display format, the cyan colour key and blitting.
#include "widgets/image.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "browser/app/app.h"
#include "tests/browser_core/sdl_support.h"

namespace rx {
namespace {

namespace fs = std::filesystem;

class ImageTest : public test::sdl_test {
  protected:
    // A folder of our own so the test can write artwork; the file name says png, the bytes are BMP,
    // which the loader recognises by content like every format it reads.
    void SetUp() override {
        sdl_test::SetUp();
        own_ = (fs::path(folder_.path()) / "own").string();
        fs::create_directories(fs::path(own_) / "images");
        set_directory_override(own_);
    }
    void write_probe(const char* name) {
        SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 2, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        ASSERT_NE(s, nullptr);
        SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 255, 0, 0));
        SDL_Rect left{0, 0, 2, 2};
        SDL_FillRect(s, &left, SDL_MapRGB(s->format, 0, 255, 255));
        const std::string path = (fs::path(own_) / "images" / name).string();
        ASSERT_EQ(SDL_SaveBMP(s, path.c_str()), 0);
        SDL_FreeSurface(s);
    }
    std::string own_;
};

TEST_F(ImageTest, CyanIsTransparentAfterLoading) {
    write_probe("probe.png");
    SDL_Surface* image = load_image("probe.png");
    ASSERT_NE(image, nullptr);
    SDL_Surface* screen = SDL_GetVideoSurface();
    EXPECT_EQ(image->format->BitsPerPixel, screen->format->BitsPerPixel);
    EXPECT_TRUE(image->flags & SDL_SRCCOLORKEY);
    EXPECT_EQ(image->format->colorkey, SDL_MapRGB(image->format, 0, 255, 255));

    const Uint32 green = SDL_MapRGB(screen->format, 0, 200, 0);
    SDL_FillRect(screen, nullptr, green);
    EXPECT_EQ(blit_at(10, 20, image, screen), 0);
    EXPECT_EQ(test::pixel(screen, 10, 20), green);  // cyan part shows what is behind
    EXPECT_EQ(test::pixel(screen, 11, 21), green);
    EXPECT_EQ(test::pixel(screen, 12, 20), SDL_MapRGB(screen->format, 255, 0, 0));
    EXPECT_EQ(test::pixel(screen, 14, 20), green);  // nothing past the image

    // A clip draws only that part, placed at the given corner.
    SDL_FillRect(screen, nullptr, green);
    SDL_Rect clip{2, 0, 2, 2};
    blit_at(0, 0, image, screen, &clip);
    EXPECT_EQ(test::pixel(screen, 0, 0), SDL_MapRGB(screen->format, 255, 0, 0));
    EXPECT_EQ(test::pixel(screen, 2, 0), green);
    SDL_FreeSurface(image);
}

TEST_F(ImageTest, MissingImageIsNullWithoutLogAndDrawsNothing) {
    EXPECT_EQ(load_image("absent.png"), nullptr);
    EXPECT_FALSE(fs::exists(fs::path(own_) / "error_log.txt"));
    SDL_Surface* screen = SDL_GetVideoSurface();
    SDL_FillRect(screen, nullptr, 0);
    EXPECT_NE(blit_at(0, 0, nullptr, screen), 0);
    EXPECT_EQ(test::pixel(screen, 0, 0), 0u);
}

TEST_F(ImageTest, FindsFilesOnlyThroughTheProgramFolder) {
    write_probe("probe.png");
    // The same name in the working directory's images folder is never looked at.
    set_directory_override((fs::path(own_) / "elsewhere").string());
    EXPECT_EQ(load_image("probe.png"), nullptr);
}

TEST_F(ImageTest, LoadsTheGeneratedArtwork) {
    RX_REQUIRE_ARTWORK();
    set_directory_override(folder_.path());
    SDL_Surface* background = load_image("background.png");
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->w, 800);
    EXPECT_EQ(background->h, 600);
    SDL_FreeSurface(background);
}

}  // namespace
}  // namespace rx
