// rx_retro_probe: runs a game under a core without a window and prints what came out, for trying
// a game image against the real cores from a script.
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/file.h"
#include "retro/logic/libretro_core.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s CORE_LIBRARY GAME_IMAGE FRAMES [BUTTON_MASK [SAVE_FILE]]\n",
                     argv[0]);
        return 2;
    }
    std::string image;
    if (rx::platform::read_whole_file(argv[2], image, 64u << 20) != rx::platform::read_status::ok) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 2;
    }
    rx::retro::core_settings settings;
    settings.system_folder = settings.save_folder = ".";
    settings.game_label = "probe";
    settings.log = [](const std::string& line) { std::fprintf(stderr, "log: %s\n", line.c_str()); };
    std::string error;
    auto core = rx::retro::core::open(argv[1], settings, error);
    if (!core) {
        std::fprintf(stderr, "open: %s\n", error.c_str());
        return 1;
    }
    if (!core->load_game(reinterpret_cast<const unsigned char*>(image.data()), image.size(),
                         error)) {
        std::fprintf(stderr, "load: %s\n", error.c_str());
        return 1;
    }
    // A save file is copied into the save memory first and written back from it at the end.
    const char* save_path = argc > 5 ? argv[5] : nullptr;
    if (save_path) {
        std::string save;
        // A core may offer more battery memory than the game has written yet (mgba until the
        // game's first write shows the kind); the rest reads erased.
        if (rx::platform::read_whole_file(save_path, save) == rx::platform::read_status::ok &&
            save.size() < core->save_size()) {
            save.resize(core->save_size(), '\xFF');
        }
        if (!save.empty() &&
            !core->write_save(reinterpret_cast<const unsigned char*>(save.data()), save.size())) {
            std::fprintf(stderr, "save: %zu bytes where the game keeps %zu\n", save.size(),
                         core->save_size());
        }
    }
    long frames = std::strtol(argv[3], nullptr, 10);
    unsigned mask = argc > 4 ? static_cast<unsigned>(std::strtoul(argv[4], nullptr, 0)) : 0;
    core->set_buttons(0, static_cast<std::uint16_t>(mask));
    std::vector<std::int16_t> sound;
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < frames; ++i) core->run_frame();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    core->take_audio(sound);
    const auto& f = core->frame();
    unsigned long crc = 0;
    if (f.data) {
        crc = crc32(0L, Z_NULL, 0);
        unsigned bytes_per_pixel = f.format == rx::retro::pixel_format::xrgb8888 ? 4 : 2;
        for (unsigned y = 0; y < f.height; ++y) {
            crc = crc32(crc, static_cast<const Bytef*>(f.data) + y * f.pitch,
                        f.width * bytes_per_pixel);
        }
    }
    std::printf(
        "core=%s %s fps=%.3f rate=%.1f frame=%ux%u format=%d crc=%08lx drawn=%llu samples=%zu "
        "save=%zu ms_per_frame=%.3f\n",
        core->name().c_str(), core->version().c_str(), core->frames_per_second(),
        core->sample_rate(), f.width, f.height, static_cast<int>(f.format), crc,
        static_cast<unsigned long long>(core->frames_drawn()), sound.size() / 2, core->save_size(),
        frames ? seconds * 1000 / frames : 0.0);
    // The last frame as a PPM picture when RX_PROBE_PICTURE names a file, for looking at a game.
    if (const char* picture = std::getenv("RX_PROBE_PICTURE"); picture && f.data) {
        std::string ppm =
            "P6\n" + std::to_string(f.width) + " " + std::to_string(f.height) + "\n255\n";
        for (unsigned y = 0; y < f.height; ++y) {
            const auto* row = static_cast<const unsigned char*>(f.data) + y * f.pitch;
            for (unsigned x = 0; x < f.width; ++x) {
                unsigned r, g, b;
                if (f.format == rx::retro::pixel_format::xrgb8888) {
                    r = row[4 * x + 2], g = row[4 * x + 1], b = row[4 * x];
                } else {
                    const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
                    const bool wide_green = f.format == rx::retro::pixel_format::rgb565;
                    r = (wide_green ? v >> 11 : v >> 10) << 3 & 0xF8;
                    g = wide_green ? (v >> 5 & 63) << 2 : (v >> 5 & 31) << 3;
                    b = (v & 31) << 3;
                }
                ppm += static_cast<char>(r);
                ppm += static_cast<char>(g);
                ppm += static_cast<char>(b);
            }
        }
        rx::platform::replace_file(picture, ppm);
    }
    if (save_path) {
        auto save = core->read_save();
        rx::platform::replace_file(
            save_path, std::string(reinterpret_cast<const char*>(save.data()), save.size()));
    }
    return 0;
}
