// The Windows cores against Debian's Linux cores: the same game and the same pad give the same
// frames and the same battery memory, each probe run under its own system (the Windows one under
// Wine).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "files.h"

namespace {

struct core_case {
    const char* game;  // in the Linux build's games folder
    const char* core;  // file name without its suffix
};

const core_case cores[] = {
    {"relicade_nes.nes", "nestopia_libretro"},
    {"relicade_gb.gb", "gambatte_libretro"},
    {"relicade_gbc.gbc", "gambatte_libretro"},
    {"relicade_gba.gba", "mgba_libretro"},
    {"relicade_snes.sfc", "bsnes_mercury_performance_libretro"},
    {"relicade_pce.pce", "mednafen_pce_fast_libretro"},
};

constexpr unsigned right = 1u << 7;  // the libretro pad's Right

// What a probe run printed, as key=value pairs ("crc", "frame", "save", ...).
using probe_result = std::map<std::string, std::string>;

probe_result parse(const std::string& output) {
    probe_result result;
    const std::size_t line = output.find("core=");
    if (line == std::string::npos) return result;
    std::size_t at = line;
    const std::size_t end = output.find('\n', line);
    while (at < end && at < output.size()) {
        std::size_t space = output.find(' ', at);
        if (space == std::string::npos || space > end) space = end;
        const std::string word = output.substr(at, space - at);
        const std::size_t equals = word.find('=');
        if (equals != std::string::npos) result[word.substr(0, equals)] = word.substr(equals + 1);
        at = space + 1;
    }
    return result;
}

// Wine takes Unix paths as paths on its Z: drive.
std::string windows_path(const std::string& path) {
    std::string out = "Z:" + path;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

class CoresMatch : public ::testing::TestWithParam<core_case> {
  protected:
    // Output through a file: Wine's helpers may keep a pipe open past the program's end. Bounded,
    // so a core that hangs fails the test.
    std::string run(const std::string& command) {
        const std::string out = folder.path() + "/probe.out";
        const std::string bounded =
            "timeout -s KILL 120 " + command + " >'" + out + "' 2>&1 </dev/null";
        const int status = std::system(bounded.c_str());
        std::string output = rx::test::read_file(out);
        EXPECT_EQ(status, 0) << command << "\n" << output;
        return output;
    }

    probe_result linux_probe(int frames, unsigned mask, const std::string& save = "") {
        const core_case& c = GetParam();
        return parse(run("'" RX_LINUX_PROBE "' '" RX_LINUX_PROGRAM_DIR "/cores/" +
                         std::string(c.core) + ".so' '" RX_GAMES_DIR "/" + c.game + "' " +
                         std::to_string(frames) + " " + std::to_string(mask) +
                         (save.empty() ? "" : " '" + save + "'")));
    }

    probe_result windows_probe(int frames, unsigned mask, const std::string& save = "") {
        const core_case& c = GetParam();
        return parse(run(
            "'" RX_WINE_LOADER "' '" RX_WINDOWS_PROBE "' '" +
            windows_path(RX_WIN32_PROGRAM_DIR "/cores/" + std::string(c.core) + ".dll") + "' '" +
            windows_path(RX_GAMES_DIR "/" + std::string(c.game)) + "' " + std::to_string(frames) +
            " " + std::to_string(mask) + (save.empty() ? "" : " '" + windows_path(save) + "'")));
    }

    rx::test::temp_dir folder{"rx_wine_cores"};
};

TEST_P(CoresMatch, SameFramesForTheSamePad) {
    const struct {
        int frames;
        unsigned mask;
    } runs[] = {{1, 0}, {2, 0}, {60, 0}, {60, right}};
    std::string still, moved;
    for (const auto& r : runs) {
        const probe_result on_linux = linux_probe(r.frames, r.mask);
        const probe_result on_windows = windows_probe(r.frames, r.mask);
        ASSERT_EQ(on_linux.count("crc"), 1u) << "the Linux probe printed no frame";
        EXPECT_EQ(on_windows.count("crc"), 1u) << "the Windows probe printed no frame";
        SCOPED_TRACE(std::to_string(r.frames) + " frames, pad " + std::to_string(r.mask));
        EXPECT_EQ(on_windows.count("frame") ? on_windows.at("frame") : "", on_linux.at("frame"));
        EXPECT_EQ(on_windows.count("crc") ? on_windows.at("crc") : "", on_linux.at("crc"));
        EXPECT_EQ(on_windows.count("drawn") ? on_windows.at("drawn") : "", on_linux.at("drawn"));
        if (r.frames == 60)
            (r.mask ? moved : still) = on_windows.count("crc") ? on_windows.at("crc") : "";
    }
    // Holding Right moves the square, so the pictures differ.
    EXPECT_NE(still, moved);
}

TEST_P(CoresMatch, SameBatteryMemoryAcrossTwoStarts) {
    const std::string on_linux = folder.path() + "/linux.sav";
    const std::string on_windows = folder.path() + "/windows.sav";
    std::string first;
    for (int start = 1; start <= 2; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        const probe_result l = linux_probe(30, 0, on_linux);
        const probe_result w = windows_probe(30, 0, on_windows);
        EXPECT_EQ(w.count("save") ? w.at("save") : "", l.count("save") ? l.at("save") : "-");
        const std::string linux_save = rx::test::read_file(on_linux);
        const std::string windows_save = rx::test::read_file(on_windows);
        ASSERT_FALSE(linux_save.empty());
        EXPECT_EQ(windows_save, linux_save);
        if (start == 1) first = windows_save;
    }
    // The game counts its starts in battery memory, so the second start left other bytes.
    EXPECT_NE(rx::test::read_file(on_windows), first);
}

INSTANTIATE_TEST_SUITE_P(Cores, CoresMatch, ::testing::ValuesIn(cores),
                         [](const ::testing::TestParamInfo<core_case>& info) {
                             std::string name = info.param.game;
                             return name.substr(name.find('_') + 1,
                                                name.find('.') - name.find('_') - 1);
                         });

}  // namespace
