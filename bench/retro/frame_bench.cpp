// rx_retro's cost per frame beside the core's: retro_run of each installed core on a small image
// of our own, then the frontend's share (pixel conversion and scaling into the 800 x 600 window,
// resampling the frame's sound). Run `retro_frame_bench [frames]`; cores missing from the program
// folder are skipped.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files.h"
#include "retro/logic/libretro_core.h"
#include "retro/logic/picture.h"
#include "retro/logic/sound.h"

namespace {

// Each image only starts its console and loops forever; the cores draw their idle picture.
std::vector<unsigned char> nes_image() {
    std::vector<unsigned char> b(16 + 16384 + 8192, 0);
    const unsigned char header[] = {'N', 'E', 'S', 0x1A, 1, 1};
    std::copy(header, header + 6, b.begin());
    unsigned char* prg = b.data() + 16;
    prg[0] = 0x4C;  // JMP $8000
    prg[2] = 0x80;
    for (int v = 0; v < 3; ++v) prg[0x3FFA + 2 * v + 1] = 0x80;  // every vector at $8000
    return b;
}

std::vector<unsigned char> gameboy_image() {
    std::vector<unsigned char> b(32768, 0);
    const unsigned char entry[] = {0x00, 0xC3, 0x50, 0x01};  // NOP; JP $0150
    std::copy(entry, entry + 4, b.begin() + 0x100);
    b[0x150] = 0x18;  // JR -2
    b[0x151] = 0xFE;
    int check = 0;
    for (int i = 0x134; i < 0x14D; ++i) check = (check - b[i] - 1) & 0xFF;
    b[0x14D] = static_cast<unsigned char>(check);
    return b;
}

std::vector<unsigned char> gba_image() {
    std::vector<unsigned char> b(256 * 1024, 0);
    const unsigned char branch[] = {0xFE, 0xFF, 0xFF, 0xEA};  // B .
    std::copy(branch, branch + 4, b.begin());
    b[0xB2] = 0x96;
    return b;
}

std::vector<unsigned char> snes_image() {
    std::vector<unsigned char> b(128 * 1024, 0);
    b[0] = 0x80;  // BRA -2
    b[1] = 0xFE;
    for (int i = 0; i < 21; ++i) b[0x7FC0 + i] = ' ';
    b[0x7FD5] = 0x20;
    b[0x7FD7] = 8;
    b[0x7FFD] = 0x80;  // reset vector $8000
    return b;
}

std::vector<unsigned char> pce_image() {
    std::vector<unsigned char> b(32 * 1024, 0);
    b[0] = 0x4C;  // JMP $E000
    b[2] = 0xE0;
    b[0x1FFF] = 0xE0;  // reset vector $E000
    return b;
}

double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 1200;
    struct row {
        const char* console;
        const char* library;
        std::vector<unsigned char> image;
    };
    const row rows[] = {{"NES", "nestopia_libretro.so", nes_image()},
                        {"Gameboy", "gambatte_libretro.so", gameboy_image()},
                        {"Gameboy Advance", "mgba_libretro.so", gba_image()},
                        {"SNES", "bsnes_mercury_performance_libretro.so", snes_image()},
                        {"TG16", "mednafen_pce_fast_libretro.so", pce_image()}};
    std::printf("%-16s %10s %12s %14s %12s %10s\n", "console", "load ms", "retro_run ms",
                "frontend ms", "(picture)", "(sound)");
    std::vector<std::uint32_t> window(800 * 600);
    for (const row& r : rows) {
        rx::retro::core_settings settings;
        settings.system_folder = settings.save_folder = rx::test::program_dir();
        std::string error;
        auto start = std::chrono::steady_clock::now();
        auto game =
            rx::retro::core::open(rx::test::program_dir() + "/cores/" + r.library, settings, error);
        if (!game || !game->load_game(r.image.data(), r.image.size(), error)) {
            std::printf("%-16s skipped: %s\n", r.console, error.c_str());
            continue;
        }
        double load = since(start);
        rx::retro::picture_scaler scaler;
        rx::retro::resampler resample(game->sample_rate(), 48000);
        rx::retro::rate_controller control(3072, 8192);
        std::vector<std::int16_t> sound, out;
        double core_ms = 0, picture_ms = 0, sound_ms = 0;
        for (int i = 0; i < frames; ++i) {
            auto t0 = std::chrono::steady_clock::now();
            game->run_frame();
            core_ms += since(t0);
            auto t1 = std::chrono::steady_clock::now();
            const auto& f = game->frame();
            auto place = rx::retro::picture_rect(f.width, f.height, game->aspect_ratio(), 800, 600);
            scaler.draw(f, window.data() + place.y * 800 + place.x, 800 * 4, place);
            picture_ms += since(t1);
            auto t2 = std::chrono::steady_clock::now();
            sound.clear();
            out.clear();
            game->take_audio(sound);
            resample.process(sound.data(), sound.size() / 2, control.factor(3000), out);
            sound_ms += since(t2);
        }
        std::printf("%-16s %10.1f %12.3f %14.3f %12.3f %10.3f\n", r.console, load, core_ms / frames,
                    (picture_ms + sound_ms) / frames, picture_ms / frames, sound_ms / frames);
    }
    return 0;
}
