// The games folder's catalogue: what a good line gives, and one refusal line (file and line) for
// every broken case.
#include "service/logic/games_folder.h"

#include <gtest/gtest.h>

#include <map>

using namespace rx::service;

namespace {

// The folder as the reader sees it: file name to size; anything else is missing.
struct fake_folder {
    std::map<std::string, std::uint64_t> files = {
        {"a.nes", 40976},       {"b.gb", 32768},  {"shot.png", 900},    {"huge.gba", 67108865},
        {"edge.gba", 67108864}, {"empty.pce", 0}, {"sub/c.smc", 131072}};
    file_probe probe() const {
        return [this](const std::string& name) -> std::optional<std::uint64_t> {
            const auto it = files.find(name);
            if (it == files.end()) return std::nullopt;
            return it->second;
        };
    }
};

std::vector<std::string> refusals(const std::string& text,
                                  const std::vector<std::string>& taken = {}) {
    fake_folder folder;
    std::vector<std::string> errors;
    const auto games =
        parse_games_catalogue(text, "games/catalogue.txt", folder.probe(), taken, errors);
    EXPECT_EQ(games.has_value(), errors.empty());
    return errors;
}

}  // namespace

TEST(GamesFolder, GoodLinesGiveRealGames) {
    fake_folder folder;
    std::vector<std::string> errors;
    const auto games = parse_games_catalogue(
        "# id\tsystem\ttitle\tfile\tcopies\tsampler\tshots\n"
        "t_nes\tNES\tTest NES\ta.nes\t50\t1\tshot.png\r\n"
        "\n"
        "t_snes\tSNES\tTest SNES\tsub/c.smc\t0\t0\t\n"
        "t_gba\tGBA\tLargest\tedge.gba\t1\t0\tshot.png,shot.png\n",
        "games/catalogue.txt", folder.probe(), {"nes_001.nes"}, errors);
    ASSERT_TRUE(games) << (errors.empty() ? "" : errors.front());
    ASSERT_EQ(games->size(), 3u);
    const game_record& nes = (*games)[0];
    EXPECT_EQ(nes.id, "t_nes");
    EXPECT_EQ(nes.system, "NES");
    EXPECT_EQ(nes.title, "Test NES");
    EXPECT_EQ(nes.file, "a.nes");
    EXPECT_EQ(nes.image_size, 40976u);
    EXPECT_EQ(nes.copies, 50);
    EXPECT_TRUE(nes.sampler);
    EXPECT_EQ(nes.screenshots, std::vector<std::string>{"shot.png"});
    EXPECT_EQ((*games)[1].file, "sub/c.smc");
    EXPECT_FALSE((*games)[1].sampler);
    EXPECT_TRUE((*games)[1].screenshots.empty());
    EXPECT_EQ((*games)[2].image_size, largest_game_image);
}

TEST(GamesFolder, EveryBrokenLineIsRefusedWithItsFileAndLine) {
    const std::string good = "ok\tNES\tFine\ta.nes\t1\t0\t\n";
    struct refused_case {
        const char* what;
        std::string line;
        std::string reason;  // the message after "games/catalogue.txt:2: "
    };
    const std::vector<refused_case> cases = {
        {"missing game file", "x\tNES\tT\tgone.nes\t1\t0\t", "cannot read game file 'gone.nes'"},
        {"missing screenshot", "x\tGB\tT\tb.gb\t1\t0\tshot.png,gone.png",
         "cannot read screenshot 'gone.png'"},
        {"unknown system", "x\tVB\tT\ta.nes\t1\t0\t", "unknown system code 'VB'"},
        {"system in lower case", "x\tnes\tT\ta.nes\t1\t0\t", "unknown system code 'nes'"},
        {"duplicate in the file", "ok\tNES\tAgain\ta.nes\t1\t0\t", "duplicate game id 'ok'"},
        {"duplicate of a served id", "nes_001.nes\tNES\tT\ta.nes\t1\t0\t",
         "duplicate game id 'nes_001.nes'"},
        {"too large", "x\tGBA\tT\thuge.gba\t1\t0\t",
         "game file 'huge.gba' has 67108865 bytes, more than the 67108864 a client can take"},
        {"empty file", "x\tPCE\tT\tempty.pce\t1\t0\t", "game file 'empty.pce' is empty"},
        {"too few fields", "x\tNES\tT\ta.nes\t1\t0",
         "expected 7 fields separated by tabs, found 6"},
        {"bad copies", "x\tNES\tT\ta.nes\tmany\t0\t",
         "copies must be a number of 0 or more, not 'many'"},
        {"negative copies", "x\tNES\tT\ta.nes\t-1\t0\t",
         "copies must be a number of 0 or more, not '-1'"},
        {"bad sampler", "x\tNES\tT\ta.nes\t1\t2\t", "free sampler must be 0 or 1, not '2'"},
        {"empty title", "x\tNES\t\ta.nes\t1\t0\t", "the id and the title must not be empty"},
        {"id with a bar", "x||y\tNES\tT\ta.nes\t1\t0\t", "the id 'x||y' holds a space or '|'"},
        {"id too long for its save's name", std::string(97, 'i') + "\tNES\tT\ta.nes\t1\t0\t",
         "the id has 97 characters, more than the 96 a save name can hold with '.sav'"},
        {"file outside the folder", "x\tNES\tT\t../a.nes\t1\t0\t",
         "game file '../a.nes' is not a name inside the games folder"},
        {"absolute file", "x\tNES\tT\t/etc/passwd\t1\t0\t",
         "game file '/etc/passwd' is not a name inside the games folder"},
        {"screenshot in a sub folder", "x\tNES\tT\ta.nes\t1\t0\tsub/c.smc",
         "screenshot 'sub/c.smc' is not a file name in the games folder"},
        {"five screenshots", "x\tNES\tT\ta.nes\t1\t0\tshot.png,shot.png,shot.png,shot.png,shot.png",
         "at most 4 screenshots, found 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto errors = refusals(good + c.line + "\n", {"nes_001.nes"});
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], "games/catalogue.txt:2: " + c.reason);
    }
}

TEST(GamesFolder, AnIdJustShortEnoughForItsSaveNameIsTaken) {
    EXPECT_TRUE(refusals(std::string(96, 'i') + "\tNES\tT\ta.nes\t1\t0\t\n", {}).empty());
}

TEST(GamesFolder, SeveralBrokenLinesGiveOneLineEachAndNoGames) {
    fake_folder folder;
    std::vector<std::string> errors;
    const auto games = parse_games_catalogue(
        "# comment\n"
        "a\tNES\tT\ta.nes\t1\t0\t\n"
        "b\tXX\tT\ta.nes\t1\t0\t\n"
        "a\tNES\tT\ta.nes\t1\t0\t\n"
        "c\tGB\tT\tb.gb\t1\t0\t\n"
        "d\tGB\tT\tnone.gb\t1\t0\t\n",
        "cat.txt", folder.probe(), {}, errors);
    EXPECT_FALSE(games);
    EXPECT_EQ(errors, (std::vector<std::string>{"cat.txt:3: unknown system code 'XX'",
                                                "cat.txt:4: duplicate game id 'a'",
                                                "cat.txt:6: cannot read game file 'none.gb'"}));
}
