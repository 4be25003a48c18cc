// Checks the generated pictures: every name the programs use exists, sizes, frame layouts, colour
// key, repeatability.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "files.h"

namespace fs = std::filesystem;

namespace {

const fs::path kImages = fs::path(RX_PROGRAM_DIR) / "images";
const fs::path kRxlib = RX_RXLIB_RESOURCE_DIR;
const fs::path kSource = RX_SOURCE_DIR;

using rx::test::read_file;

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Loads a picture and converts it to 32-bit RGBA so pixels can be compared by value.
Surface load_rgba(const fs::path& path) {
    Surface loaded(IMG_Load(path.string().c_str()));
    if (!loaded) return nullptr;
    SDL_Surface* rgba = SDL_CreateRGBSurface(SDL_SWSURFACE, loaded->w, loaded->h, 32, 0x000000FF,
                                             0x0000FF00, 0x00FF0000, 0xFF000000);
    if (!rgba) return nullptr;
    Surface converted(SDL_ConvertSurface(loaded.get(), rgba->format, SDL_SWSURFACE));
    SDL_FreeSurface(rgba);
    return converted;
}

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb pixel(const SDL_Surface* s, int x, int y) {
    const auto* row = static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch;
    const std::uint8_t* p = row + x * 4;
    return {p[0], p[1], p[2]};
}

bool is_key(const Rgb& c) {
    return c.r == 0 && c.g == 255 && c.b == 255;
}

long count_key(const SDL_Surface* s, int x0, int w) {
    long n = 0;
    for (int y = 0; y < s->h; ++y)
        for (int x = x0; x < x0 + w; ++x) n += is_key(pixel(s, x, y)) ? 1 : 0;
    return n;
}

bool frames_differ(const SDL_Surface* s, int a, int b, int w) {
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < w; ++x)
            if (!(pixel(s, a * w + x, y) == pixel(s, b * w + x, y))) return true;
    return false;
}

// Width, height and PNG colour type (2 RGB, 6 RGBA) straight from the file's header chunk.
struct PngHeader {
    bool ok = false;
    std::uint32_t width = 0, height = 0;
    int colour_type = -1;
};

PngHeader read_png_header(const fs::path& path) {
    const std::string bytes = read_file(path);
    PngHeader h;
    if (bytes.size() < 33 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return h;
    auto be32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
        return v;
    };
    h.width = be32(16);
    h.height = be32(20);
    h.colour_type = static_cast<std::uint8_t>(bytes[25]);
    h.ok = true;
    return h;
}

class Artwork : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_EQ(0, SDL_Init(SDL_INIT_VIDEO)) << SDL_GetError(); }
    static void TearDownTestSuite() { SDL_Quit(); }
};

// Every picture named by a string literal in the programs' and rxlib's sources must have been
// drawn. The scan runs now, not at configure time, so files added since are covered. Names
// assembled at run time ("%s.png") never match the pattern, which takes whole literals only.
TEST_F(Artwork, EveryPictureNamedInTheSourcesExists) {
    const std::regex literal("\"([A-Za-z0-9_]+\\.png)\"");
    const std::set<std::string> extensions = {".cpp", ".h", ".hpp", ".cc", ".rc", ".inc"};
    std::set<std::string> seen;
    for (const char* folder : {"browser", "updater", "rxlib"}) {
        const fs::path root = kSource / folder;
        if (!fs::exists(root)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file() || !extensions.count(entry.path().extension().string()))
                continue;
            const std::string text = read_file(entry.path());
            for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it) {
                const std::string name = (*it)[1];
                seen.insert(name);
                const bool found = fs::exists(kImages / name) ||
                                   (std::string(folder) == "rxlib" && fs::exists(kRxlib / name));
                EXPECT_TRUE(found)
                    << name << " (named in " << entry.path().lexically_relative(kSource).string()
                    << ") was not drawn";
            }
        }
    }
    // The browser names its backgrounds at start-up, so an empty scan means the scan itself is
    // broken.
    EXPECT_TRUE(seen.count("background.png")) << "scan found " << seen.size() << " names";
}

// Every row of the artwork table became a file of the right size: frame width times frame count.
TEST_F(Artwork, EveryTableRowWasDrawnInItsSize) {
    std::istringstream table(read_file(kSource / "assets" / "artwork_table.txt"));
    std::string line;
    int rows = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '|');) {
            const auto b = cell.find_first_not_of(" \t"), e = cell.find_last_not_of(" \t");
            fields.push_back(b == std::string::npos ? "" : cell.substr(b, e - b + 1));
        }
        ASSERT_GE(fields.size(), 4u) << line;
        const std::string& name = fields[0];
        const std::string& kind = fields[3];
        const int frames = kind == "checkbox" ? 2
                           : (kind == "button" || kind == "stacked_button" ||
                              kind.rfind("arrow_", 0) == 0 || kind.rfind("tile_", 0) == 0)
                               ? 3
                               : 1;
        const fs::path path = (kind.rfind("rxlib_", 0) == 0 ? kRxlib : kImages) / name;
        const PngHeader h = read_png_header(path);
        ASSERT_TRUE(h.ok) << path;
        EXPECT_EQ(h.width, static_cast<std::uint32_t>(std::stoi(fields[1]) * frames)) << name;
        EXPECT_EQ(h.height, static_cast<std::uint32_t>(std::stoi(fields[2]))) << name;
        ++rows;
    }
    EXPECT_GE(rows, 149);
}

struct SizeCase {
    const char* name;
    int width, height;
};

// Sizes the screens rely on: frame size times frame count for buttons (three frames) and check
// boxes (two).
TEST_F(Artwork, SizesMatchTheScreens) {
    const SizeCase cases[] = {
        {"button_atari2600.png", 450, 150},
        {"button_atari2600_guest.png", 450, 150},
        {"button_free.png", 450, 150},
        {"button_exit.png", 450, 150},
        {"button_n64_guest.png", 450, 150},
        {"button_login.png", 450, 40},
        {"button_signup.png", 450, 40},
        {"button_cancel.png", 450, 40},
        {"button_loginasguest.png", 1380, 40},
        {"button_home.png", 450, 40},
        {"button_up.png", 120, 40},
        {"button_down.png", 120, 40},
        {"button_09.png", 225, 40},
        {"button_yz.png", 225, 40},
        {"button_random.png", 225, 40},
        {"button_search_string.png", 300, 30},
        {"button_upgrade_now.png", 600, 40},
        {"button_allow.png", 600, 40},
        {"button_controls_tg16.png", 600, 40},
        {"button_set_all.png", 450, 40},
        {"textbox.png", 260, 24},
        {"searchbox.png", 520, 24},
        {"controlbox.png", 300, 22},
        {"checkbox.png", 20, 10},
        {"checkbox_selected.png", 14, 14},
        {"static_username.png", 140, 24},
        {"static_save_username_password.png", 390, 20},
        {"static_up.png", 100, 20},
        {"static_player1.png", 200, 20},
        // 150 wide so the MEKA screen's long labels end before its keyboard boxes at x 160.
        {"static_start_pause.png", 150, 20},
        {"list_bar_odd.png", 600, 25},
        {"list_button_unavailable.png", 100, 25},
        {"background.png", 800, 600},
        {"background_dark.png", 800, 600},
        {"background_update.png", 800, 600},
        {"splash.png", 800, 600},
        {"progress_bar.png", 1200, 40},
        {"progress_bar_border.png", 608, 48},
        {"gameboy_information.png", 800, 99},
        {"sms_information.png", 800, 149},
        {"atari2600_information.png", 800, 299},
    };
    for (const auto& c : cases) {
        Surface s(IMG_Load((kImages / c.name).string().c_str()));
        ASSERT_TRUE(s) << c.name << ": " << IMG_GetError();
        EXPECT_EQ(c.width, s->w) << c.name;
        EXPECT_EQ(c.height, s->h) << c.name;
    }
}

// Wait pictures are drawn centred at fixed places; anything bigger would run off the centre or the
// window.
TEST_F(Artwork, WaitPicturesAreCentredWhereTheyAreDrawn) {
    const struct {
        const char* name;
        int x, y;
    } cases[] = {{"logging_in.png", 327, 288},
                 {"static_checking_for_updates.png", 250, 288},
                 {"loading_list.png", 315, 290},
                 {"loading_information.png", 260, 290}};
    for (const auto& c : cases) {
        const PngHeader h = read_png_header(kImages / c.name);
        ASSERT_TRUE(h.ok) << c.name;
        EXPECT_EQ(800u, h.width + 2 * c.x) << c.name;
        EXPECT_EQ(600u, h.height + 2 * c.y) << c.name;
    }
}

TEST_F(Artwork, EveryButtonStripHasThreeFramesAndCheckBoxesTwo) {
    int buttons = 0;
    for (const auto& entry : fs::directory_iterator(kImages)) {
        const std::string name = entry.path().filename().string();
        const PngHeader h = read_png_header(entry.path());
        ASSERT_TRUE(h.ok) << name;
        if (name.rfind("button_", 0) == 0) {
            ++buttons;
            EXPECT_EQ(0u, h.width % 3) << name;
            Surface s = load_rgba(entry.path());
            ASSERT_TRUE(s) << name;
            const int w = s->w / 3;
            EXPECT_TRUE(frames_differ(s.get(), 0, 1, w))
                << name << ": pressed frame looks like the normal one";
            EXPECT_TRUE(frames_differ(s.get(), 0, 2, w))
                << name << ": hover frame looks like the normal one";
        } else if (name == "checkbox.png" || name == "checkbox_player.png") {
            EXPECT_EQ(h.width, 2 * h.height) << name;
            Surface s = load_rgba(entry.path());
            ASSERT_TRUE(s) << name;
            EXPECT_TRUE(frames_differ(s.get(), 0, 1, s->w / 2))
                << name << ": ticked frame looks unticked";
        }
    }
    EXPECT_GE(buttons, 70);
}

// background.png lies under every screen of the browser. Lettering on it would show between the
// widgets standing on it (the main menu's tiles, the controls screens' rows of capture boxes), so
// under every widget and in the gaps between them it must be plain backdrop: stars and grid lines
// are single pixels, lettering has strokes, so no 3 x 3 block of it may be bright.
TEST_F(Artwork, NoScreenStandsOnLetteringOfTheSharedBackground) {
    struct area {
        const char* what;
        int x, y, w, h;
    };
    std::vector<area> areas;
    // The main menu's 150 x 150 tiles, 160 px apart across and 150 px down, and the gaps between.
    areas.push_back({"main menu tiles", 5, 0, 790, 600});
    // The controls menu's console buttons.
    areas.push_back({"controls menu buttons", 5, 50, 200, 535});
    // The console screens' rows of labels and capture boxes, and their buttons.
    areas.push_back({"controls screen rows", 5, 60, 790, 340});
    areas.push_back({"Set All and Save Settings", 158, 330, 382, 130});
    // The login screen's fields and buttons.
    areas.push_back({"login fields", 170, 385, 460, 205});
    Surface s = load_rgba(kImages / "background.png");
    ASSERT_TRUE(s);
    auto bright = [&](int x, int y) {
        const Rgb c = pixel(s.get(), x, y);
        return std::max({c.r, c.g, c.b}) >= 120;
    };
    for (const area& a : areas) {
        int inked = 0;
        for (int y = std::max(a.y, 1); y < std::min(a.y + a.h, s->h - 1); ++y) {
            for (int x = std::max(a.x, 1); x < std::min(a.x + a.w, s->w - 1); ++x) {
                bool block = true;
                for (int dy = -1; dy <= 1 && block; ++dy)
                    for (int dx = -1; dx <= 1 && block; ++dx) block = bright(x + dx, y + dy);
                if (block) ++inked;
            }
        }
        EXPECT_EQ(inked, 0) << a.what << " stand on lettering of background.png";
    }
}

// The login screen's name at (100, 110) over background.png: its edge is see-through, so its
// rectangle never shows, and where it turns opaque it matches the backdrop it stands on, so the
// halo has no seam.
TEST_F(Artwork, ProductNameBlendsIntoTheBackdropItStandsOn) {
    const Rgb key{0, 255, 255};
    Surface name = load_rgba(kImages / "static_relicade.png");
    Surface backdrop = load_rgba(kImages / "background.png");
    ASSERT_TRUE(name);
    ASSERT_TRUE(backdrop);
    const int x0 = 100, y0 = 110;
    ASSERT_LE(x0 + name->w, backdrop->w);
    ASSERT_LE(y0 + name->h, backdrop->h);
    for (int x = 0; x < name->w; ++x) {
        EXPECT_EQ(pixel(name.get(), x, 0), key) << x;
        EXPECT_EQ(pixel(name.get(), x, name->h - 1), key) << x;
    }
    for (int y = 0; y < name->h; ++y) {
        EXPECT_EQ(pixel(name.get(), 0, y), key) << y;
        EXPECT_EQ(pixel(name.get(), name->w - 1, y), key) << y;
    }
    int seam = 0, border = 0;
    for (int y = 1; y < name->h - 1; ++y) {
        for (int x = 1; x < name->w - 1; ++x) {
            const Rgb c = pixel(name.get(), x, y);
            if (c == key) continue;
            const bool next_to_key =
                pixel(name.get(), x - 1, y) == key || pixel(name.get(), x + 1, y) == key ||
                pixel(name.get(), x, y - 1) == key || pixel(name.get(), x, y + 1) == key;
            if (!next_to_key) continue;
            ++border;
            const Rgb b = pixel(backdrop.get(), x0 + x, y0 + y);
            const int diff =
                std::max({std::abs(c.r - b.r), std::abs(c.g - b.g), std::abs(c.b - b.b)});
            // The crisp line under the name has a dark outline and may meet the backdrop directly.
            if (diff > 24 && std::max({c.r, c.g, c.b}) > 40) ++seam;
        }
    }
    EXPECT_GT(border, 100);
    EXPECT_EQ(seam, 0);
}

// Pure cyan turns see-through when loaded, so it may appear only where the screen behind should
// show.
TEST_F(Artwork, ColourKeyOnlyWhereMeantToBeSeeThrough) {
    const char* opaque[] = {"background.png",
                            "background_dark.png",
                            "background_update.png",
                            "splash.png",
                            "background_facebook.png",
                            "textbox.png",
                            "searchbox.png",
                            "controlbox.png",
                            "checkbox.png",
                            "checkbox_player.png",
                            "list_bar_odd.png",
                            "list_bar_even.png",
                            "list_bar_unavailable.png",
                            "list_button_odd.png",
                            "list_button_even.png",
                            "list_button_unavailable.png",
                            "progress_bar.png"};
    for (const char* name : opaque) {
        Surface s = load_rgba(kImages / name);
        ASSERT_TRUE(s) << name;
        EXPECT_EQ(0, count_key(s.get(), 0, s->w)) << name << " has see-through pixels";
    }
    for (const char* name :
         {"static_up.png", "static_player2.png", "logging_in.png", "checkbox_selected.png",
          "progress_bar_border.png", "button_home.png", "button_nes.png"}) {
        Surface s = load_rgba(kImages / name);
        ASSERT_TRUE(s) << name;
        EXPECT_GT(count_key(s.get(), 0, s->w), 0) << name << " should let the screen show through";
    }
    // The focus frame and the progress border are rings: their middles must show what lies under
    // them.
    Surface ring = load_rgba(kImages / "checkbox_selected.png");
    ASSERT_TRUE(ring);
    EXPECT_TRUE(is_key(pixel(ring.get(), 7, 7)));
    EXPECT_FALSE(is_key(pixel(ring.get(), 0, 0)));
    Surface border = load_rgba(kImages / "progress_bar_border.png");
    ASSERT_TRUE(border);
    EXPECT_TRUE(is_key(pixel(border.get(), 304, 24)));
    EXPECT_FALSE(is_key(pixel(border.get(), 2, 24)));
    // Labels keep their letters solid: some pixels are drawn, not everything is see-through.
    Surface label = load_rgba(kImages / "static_username.png");
    ASSERT_TRUE(label);
    EXPECT_LT(count_key(label.get(), 0, label->w), label->w * label->h);
}

// The updater's bar image is read as a sliding window: left half full, right half empty, clearly
// different.
TEST_F(Artwork, ProgressStripsAreFullOnTheLeftAndEmptyOnTheRight) {
    for (const fs::path& path :
         {kImages / "progress_bar.png", kRxlib / "1004.png", kRxlib / "1006.png"}) {
        Surface s = load_rgba(path);
        ASSERT_TRUE(s) << path;
        const Rgb full = pixel(s.get(), s->w / 4, s->h / 2),
                  empty = pixel(s.get(), 3 * s->w / 4, s->h / 2);
        const int full_light = full.r + full.g + full.b, empty_light = empty.r + empty.g + empty.b;
        EXPECT_GT(full_light, empty_light + 150) << path;
    }
}

struct RxlibCase {
    const char* name;
    std::uint32_t width, height;
    int colour_type;  // 2 RGB, 6 RGBA
};

TEST_F(Artwork, RxlibResourcesHaveTheirSizesAndFormats) {
    const RxlibCase cases[] = {{"1001.png", 400, 150, 6}, {"1002.png", 800, 600, 2},
                               {"1004.png", 600, 20, 2},  {"1005.png", 304, 24, 6},
                               {"1006.png", 1200, 40, 2}, {"1007.png", 608, 48, 6},
                               {"1008.png", 150, 40, 6}};
    for (const auto& c : cases) {
        const PngHeader h = read_png_header(kRxlib / c.name);
        ASSERT_TRUE(h.ok) << c.name;
        EXPECT_EQ(c.width, h.width) << c.name;
        EXPECT_EQ(c.height, h.height) << c.name;
        EXPECT_EQ(c.colour_type, h.colour_type) << c.name;
        // rxlib decodes from memory with IMG_Load_RW; the same must work here.
        const std::string bytes = read_file(kRxlib / c.name);
        SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        ASSERT_NE(nullptr, rw);
        Surface s(IMG_Load_RW(rw, 1));
        ASSERT_TRUE(s) << c.name << ": " << IMG_GetError();
        EXPECT_EQ(c.colour_type == 6, s->format->Amask != 0) << c.name;
    }
    // The frames are borders around a see-through middle.
    Surface frame(IMG_Load((kRxlib / "1007.png").string().c_str()));
    ASSERT_TRUE(frame);
    ASSERT_EQ(4, frame->format->BytesPerPixel);
    auto alpha = [&](int x, int y) {
        Uint32 v = *reinterpret_cast<const Uint32*>(
            static_cast<const std::uint8_t*>(frame->pixels) + y * frame->pitch + x * 4);
        Uint8 r, g, b, a;
        SDL_GetRGBA(v, frame->format, &r, &g, &b, &a);
        return a;
    };
    EXPECT_EQ(255, alpha(1, 24));
    EXPECT_EQ(0, alpha(304, 24));
}

// Two runs of the generator give the same bytes, so builds do not churn and rebuilt trees compare
// equal.
TEST_F(Artwork, GeneratorIsRepeatable) {
    const fs::path out =
        fs::temp_directory_path() / ("rx_artwork_repeat_" + std::to_string(::getpid()));
    fs::remove_all(out);
    fs::create_directories(out / "images");
    fs::create_directories(out / "rxlib");
    const std::string command =
        std::string("\"") + RX_ARTWORK_PYTHON + "\" \"" +
        (kSource / "assets" / "generate_artwork.py").string() + "\" --table \"" +
        (kSource / "assets" / "artwork_table.txt").string() + "\" --font \"" + RX_ARTWORK_FONT +
        "\" --images-dir \"" + (out / "images").string() + "\" --rxlib-dir \"" +
        (out / "rxlib").string() + "\" --rxlib-font \"" + RX_RXLIB_FONT + "\"";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    int compared = 0;
    for (const auto& [dir, built] :
         {std::pair{out / "images", kImages}, std::pair{out / "rxlib", kRxlib}}) {
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(read_file(entry.path()), read_file(built / name))
                << name << " differs between runs";
            ++compared;
        }
    }
    fs::remove_all(out);
    EXPECT_GE(compared, 150);
}

}  // namespace
