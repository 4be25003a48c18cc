// A libretro core for the tests: it runs nothing, records what the frontend hands it and draws a
// small frame whose pixels are known.
#include "fake_core.h"

#include <libretro.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

fake_core_report report;
retro_environment_t environment;
retro_video_refresh_t video;
retro_audio_sample_batch_t audio_batch;
retro_input_poll_t input_poll;
retro_input_state_t input_state;
retro_log_printf_t log_printf;

// Four pixels wide, two high, in XRGB8888, with padding at the end of each row.
const std::uint32_t picture[2][6] = {{0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF, 0, 0},
                                     {0x00000000, 0x00808080, 0x00123456, 0x00ABCDEF, 0, 0}};

void copy_text(char* to, std::size_t size, const char* from) {
    std::snprintf(to, size, "%s", from ? from : "(null)");
}

}  // namespace

extern "C" {

RETRO_API const fake_core_report* fake_core_report_of(void) {
    return &report;
}

RETRO_API unsigned retro_api_version(void) {
    return RETRO_API_VERSION;
}

RETRO_API void retro_set_environment(retro_environment_t callback) {
    environment = callback;
    static const retro_variable variables[] = {{"fake_speed", "Speed; normal|fast|slow"},
                                               {nullptr, nullptr}};
    environment(RETRO_ENVIRONMENT_SET_VARIABLES, const_cast<retro_variable*>(variables));
    unsigned version = 0;
    if (environment(RETRO_ENVIRONMENT_GET_CORE_OPTIONS_VERSION, &version) && version >= 1) {
        static retro_core_option_definition options[2] = {};
        options[0].key = "fake_colour";
        options[0].desc = "Colour";
        options[0].values[0] = {"mono", nullptr};
        options[0].values[1] = {"colour", nullptr};
        options[0].default_value = "colour";
        environment(RETRO_ENVIRONMENT_SET_CORE_OPTIONS, options);
    }
}

RETRO_API void retro_set_video_refresh(retro_video_refresh_t callback) {
    video = callback;
}
RETRO_API void retro_set_audio_sample(retro_audio_sample_t) {}
RETRO_API void retro_set_audio_sample_batch(retro_audio_sample_batch_t callback) {
    audio_batch = callback;
}
RETRO_API void retro_set_input_poll(retro_input_poll_t callback) {
    input_poll = callback;
}
RETRO_API void retro_set_input_state(retro_input_state_t callback) {
    input_state = callback;
}

RETRO_API void retro_init(void) {
    std::memset(&report, 0, sizeof report);
    retro_log_callback log{};
    report.log_interface = environment(RETRO_ENVIRONMENT_GET_LOG_INTERFACE, &log) && log.log;
    log_printf = report.log_interface ? log.log : nullptr;
    if (log_printf) {
        log_printf(RETRO_LOG_DEBUG, "chatter that is not kept\n");
        log_printf(RETRO_LOG_WARN, "fake core warning %d\n", 7);
    }
    bool dupe = false;
    report.can_dupe = environment(RETRO_ENVIRONMENT_GET_CAN_DUPE, &dupe) && dupe;
    const char* folder = nullptr;
    if (environment(RETRO_ENVIRONMENT_GET_SYSTEM_DIRECTORY, &folder)) {
        copy_text(report.system_folder, sizeof report.system_folder, folder);
    }
    folder = nullptr;
    if (environment(RETRO_ENVIRONMENT_GET_SAVE_DIRECTORY, &folder)) {
        copy_text(report.save_folder, sizeof report.save_folder, folder);
    }
    // Asked twice: a refusal is logged once.
    retro_rumble_interface rumble{};
    environment(RETRO_ENVIRONMENT_GET_RUMBLE_INTERFACE, &rumble);
    environment(RETRO_ENVIRONMENT_GET_RUMBLE_INTERFACE, &rumble);
}

RETRO_API void retro_deinit(void) {}

RETRO_API void retro_get_system_info(retro_system_info* info) {
    std::memset(info, 0, sizeof *info);
    info->library_name = "Fake";
    info->library_version = "1";
    info->valid_extensions = "bin";
#ifdef FAKE_CORE_NEEDS_PATH
    info->need_fullpath = true;
#endif
}

RETRO_API void retro_get_system_av_info(retro_system_av_info* info) {
    std::memset(info, 0, sizeof *info);
    info->geometry.base_width = 4;
    info->geometry.base_height = 2;
    info->geometry.aspect_ratio = 2.0f;
    info->timing.fps = 60.0988;
    info->timing.sample_rate = 32768;
}

RETRO_API void retro_set_controller_port_device(unsigned, unsigned) {}
RETRO_API void retro_reset(void) {}

RETRO_API void retro_run(void) {
    input_poll();
    for (unsigned port = 0; port < 2; ++port) {
        std::uint16_t mask = 0;
        for (unsigned id = 0; id < 16; ++id) {
            if (input_state(port, RETRO_DEVICE_JOYPAD, 0, id)) mask |= 1u << id;
        }
        report.pad[port] = mask;
    }
    // Every other frame repeats the last one.
    video(report.frames_run % 2 == 0 ? picture : nullptr, 4, 2, sizeof picture[0]);
    const std::int16_t sound[6] = {1, -1, 2, -2, 3, -3};
    audio_batch(sound, 3);
    ++report.frames_run;
    // The game writes its save memory as it runs.
    report.save_ram[0] = static_cast<unsigned char>(report.frames_run);
}

#ifndef FAKE_CORE_NEEDS_PATH
// The state is the frame count and the save memory behind a tag, so a foreign state is refused.
constexpr unsigned char state_tag[4] = {'F', 'A', 'K', 'E'};
constexpr std::size_t state_bytes = sizeof state_tag + sizeof(unsigned) + fake_core_save_size;

RETRO_API std::size_t retro_serialize_size(void) {
    return state_bytes;
}
RETRO_API bool retro_serialize(void* data, std::size_t size) {
    if (size < state_bytes) return false;
    auto* out = static_cast<unsigned char*>(data);
    std::memcpy(out, state_tag, sizeof state_tag);
    std::memcpy(out + sizeof state_tag, &report.frames_run, sizeof(unsigned));
    std::memcpy(out + sizeof state_tag + sizeof(unsigned), report.save_ram, fake_core_save_size);
    return true;
}
RETRO_API bool retro_unserialize(const void* data, std::size_t size) {
    const auto* in = static_cast<const unsigned char*>(data);
    if (size != state_bytes || std::memcmp(in, state_tag, sizeof state_tag) != 0) return false;
    std::memcpy(&report.frames_run, in + sizeof state_tag, sizeof(unsigned));
    std::memcpy(report.save_ram, in + sizeof state_tag + sizeof(unsigned), fake_core_save_size);
    return true;
}
#endif
RETRO_API void retro_cheat_reset(void) {}
RETRO_API void retro_cheat_set(unsigned, bool, const char*) {}

RETRO_API bool retro_load_game(const retro_game_info* game) {
    retro_pixel_format format = RETRO_PIXEL_FORMAT_XRGB8888;
    report.pixel_format_taken = environment(RETRO_ENVIRONMENT_SET_PIXEL_FORMAT, &format);
    retro_variable speed{"fake_speed", nullptr};
    if (environment(RETRO_ENVIRONMENT_GET_VARIABLE, &speed)) {
        copy_text(report.speed_variable, sizeof report.speed_variable, speed.value);
    }
    retro_variable colour{"fake_colour", nullptr};
    if (environment(RETRO_ENVIRONMENT_GET_VARIABLE, &colour)) {
        copy_text(report.colour_variable, sizeof report.colour_variable, colour.value);
    }
    report.game_data = game->data;
    report.game_size = game->size;
    if (game->path) {
        copy_text(report.game_path, sizeof report.game_path, game->path);
        ssize_t n = readlink(game->path, report.path_target, sizeof report.path_target - 1);
        if (n > 0) report.path_target[n] = '\0';
    }
    unsigned char first = 0;
    if (game->data) {
        const auto* bytes = static_cast<const unsigned char*>(game->data);
        report.game_bytes_read = game->size < 64 ? game->size : 64;
        std::memcpy(report.game_bytes, bytes, report.game_bytes_read);
        for (std::size_t i = 0; i < game->size; ++i) report.game_checksum += bytes[i];
        first = game->size ? bytes[0] : 0;
    } else if (game->path) {
        std::FILE* in = std::fopen(game->path, "rb");
        if (!in) return false;
        int c;
        std::size_t n = 0;
        while ((c = std::fgetc(in)) != EOF) {
            if (n < 64) report.game_bytes[n] = static_cast<unsigned char>(c);
            report.game_checksum += static_cast<unsigned char>(c);
            ++n;
        }
        std::fclose(in);
        report.game_bytes_read = n < 64 ? n : 64;
        first = report.game_bytes[0];
    }
    return first != 'R';
}

RETRO_API bool retro_load_game_special(unsigned, const retro_game_info*, std::size_t) {
    return false;
}
RETRO_API void retro_unload_game(void) {}
RETRO_API unsigned retro_get_region(void) {
    return RETRO_REGION_NTSC;
}

RETRO_API void* retro_get_memory_data(unsigned id) {
    return id == RETRO_MEMORY_SAVE_RAM ? report.save_ram : nullptr;
}
RETRO_API std::size_t retro_get_memory_size(unsigned id) {
    return id == RETRO_MEMORY_SAVE_RAM ? fake_core_save_size : 0;
}

}  // extern "C"
