// What the test core records of the frontend driving it, read by the tests through
// fake_core_report().
#pragma once
#include <cstddef>
#include <cstdint>

struct fake_core_report {
    // The game as handed over.
    const void* game_data;
    std::size_t game_size;
    char game_path[256];
    char path_target[256];  // where the path's link leads ("/memfd:..." for an in-memory file)
    unsigned char game_bytes[64];  // the first bytes, read through data or path
    std::size_t game_bytes_read;
    std::uint32_t game_checksum;  // sum of every byte, read through data or path
    // The environment's answers.
    bool can_dupe;
    bool pixel_format_taken;
    char system_folder[256];
    char save_folder[256];
    bool log_interface;
    char speed_variable[64];   // the value of "fake_speed" (declared with SET_VARIABLES)
    char colour_variable[64];  // the value of "fake_colour" (declared with SET_CORE_OPTIONS)
    // Inputs: the pad buttons read in the last frame, by port, as a mask of joypad ids.
    std::uint16_t pad[2];
    unsigned frames_run;
    unsigned char save_ram[512];
};

// The save memory is this large; a game whose first byte is 'R' is refused.
inline constexpr std::size_t fake_core_save_size = 512;
