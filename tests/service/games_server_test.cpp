// rx_service with an operator's games folder: real games served byte for byte, the disk copy of the
// compressed bytes, screenshots from the folder, and a broken folder refused before listening.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>

#include "service_client.h"

using namespace rx::service;
using namespace rx::service::test;
namespace fs = std::filesystem;

namespace {

std::string inflate(const std::string& packed, std::size_t size) {
    std::string out(size + 1, '\0');
    uLongf length = static_cast<uLongf>(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                   reinterpret_cast<const Bytef*>(packed.data()),
                   static_cast<uLong>(packed.size())) != Z_OK)
        return "inflate failed";
    out.resize(length);
    return out;
}

std::string deflate(const std::string& raw) {
    std::string out(compressBound(static_cast<uLong>(raw.size())), '\0');
    uLongf length = static_cast<uLongf>(out.size());
    compress(reinterpret_cast<Bytef*>(out.data()), &length,
             reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()));
    out.resize(length);
    return out;
}

// Cartridge-like bytes: runs, a counting pattern and noise, so both zlib's matches and literals
// are exercised.
std::string game_bytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned x = seed;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((i / 4096) % 3 == 0 ? (x >> 16) : (i % 64 < 32 ? 0xFF : i));
    }
    return bytes;
}

class GamesFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        nes = game_bytes(40976, 7);
        snes = game_bytes(300000, 11);
        ASSERT_TRUE(rx::test::write_file(folder.file("one.nes"), nes));
        fs::create_directories(folder.file("snes"));
        ASSERT_TRUE(rx::test::write_file(folder.file("snes/two.smc"), snes));
        ASSERT_TRUE(rx::test::write_file(folder.file("one.png"), "our picture"));
        ASSERT_TRUE(rx::test::write_file(folder.file("catalogue.txt"),
                                         "# operator's games\n"
                                         "op_one\tNES\tOperator One\tone.nes\t3\t0\tone.png\n"
                                         "op_two\tSNES\tOperator Two\tsnes/two.smc\t1\t1\t\n"));
    }

    std::string fetch(int port, const std::string& id) {
        game_client c(port);
        EXPECT_EQ(c.login("demo", "demo"), "ok");
        c.send("id");
        EXPECT_EQ(c.send("op"), "ok");
        EXPECT_EQ(c.send(id), "ok");
        const std::string size = c.send("ok");
        c.send_only("ok");
        return c.receive_exactly(std::stoul(size));
    }

    temp_dir folder{"rx_games"};
    std::string nes, snes;
};

}  // namespace

TEST_F(GamesFolder, RealGamesAreServedByteForByteAndListedFirst) {
    service_process service({"--games", folder.path()});
    ASSERT_TRUE(service.started()) << service.first_line();
    EXPECT_EQ(inflate(fetch(service.game_port(), "op_one"), nes.size()), nes);
    EXPECT_EQ(inflate(fetch(service.game_port(), "op_two"), snes.size()), snes);
    // The HTTP view of the same bytes agrees with the stream.
    const std::string http_copy =
        body_of(get(service.http_port(), "/test/compressed_image?game=op_two"));
    EXPECT_EQ(inflate(http_copy, snes.size()), snes);

    const std::string list =
        body_of(get(service.http_port(),
                    "/browser/gamelist.php?status=Full&search=1&system=NES&criteria=^[0-z]&end=1"));
    EXPECT_EQ(list.rfind("||Operator One||NES||op_one||3||EOL", 0), 0u) << list.substr(0, 80);
    // The sampler lists the operator's sampler game (its one copy is still with demo's session).
    const std::string sampler =
        body_of(get(service.http_port(), "/browser/freegamelist.php?status=Free&end=1"));
    EXPECT_NE(sampler.find("||Operator Two||SNES||op_two||0||EOL"), std::string::npos);
    EXPECT_EQ(sampler.find("op_one"), std::string::npos);

    EXPECT_EQ(body_of(get(service.http_port(), "/browser/browser_gameinfo.php?game=op_one")),
              "||one.png||||||||EOL");
    EXPECT_EQ(body_of(get(service.http_port(), "/info_img/one.png")), "our picture");
}

TEST_F(GamesFolder, CompressedBytesAreKeptOnDiskOnceMemoryLetsThemGo) {
    temp_dir data{"rx_games_data"};
    {
        service_process service({"--games", folder.path(), "--memory-cache-mib", "0"}, data.path());
        ASSERT_TRUE(service.started()) << service.first_line();
        EXPECT_EQ(inflate(fetch(service.game_port(), "op_one"), nes.size()), nes);
    }
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(data.file("compressed")))
        kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].filename().string().rfind("op_one-40976-", 0), 0u) << kept[0];
    EXPECT_EQ(inflate(read_file(kept[0].string()), nes.size()), nes);

    // A new run takes the kept bytes instead of compressing again: a changed disk copy shows.
    const std::string marked = deflate("kept on disk");
    ASSERT_TRUE(rx::test::write_file(kept[0].string(), marked));
    service_process again({"--games", folder.path(), "--memory-cache-mib", "0"}, data.path());
    ASSERT_TRUE(again.started());
    EXPECT_EQ(fetch(again.game_port(), "op_one"), marked);
    // Another game pushes op_one out of memory (the bound is 0); it comes back from disk again.
    EXPECT_EQ(inflate(fetch(again.game_port(), "op_two"), snes.size()), snes);
    EXPECT_EQ(fetch(again.game_port(), "op_one"), marked);
}

TEST_F(GamesFolder, BrokenFolderStopsTheStartWithOneLinePerProblem) {
    ASSERT_TRUE(rx::test::write_file(folder.file("catalogue.txt"),
                                     "op_one\tNES\tOne\tone.nes\t3\t0\t\n"
                                     "op_two\tMD\tTwo\tone.nes\t1\t0\t\n"
                                     "nes_001.nes\tNES\tSame id as a sample game\tone.nes\t1\t0\t\n"
                                     "op_three\tNES\tThree\tmissing.nes\t1\t0\t\n"));
    temp_dir data{"rx_games_data"};
    const std::string out = data.file("out.txt"), err = data.file("err.txt");
    // `timeout` ends a service that wrongly started and listens.
    const std::string command = "timeout 20 '" + program_dir() + "/rx_service' --data '" +
                                data.path() + "' --http-port 0 --game-port 0 --games '" +
                                folder.path() + "' >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(read_file(out), "");
    const std::string cat = folder.file("catalogue.txt");
    EXPECT_EQ(read_file(err), "rx_service: " + cat + ":2: unknown system code 'MD'\n" +
                                  "rx_service: " + cat + ":3: duplicate game id 'nes_001.nes'\n" +
                                  "rx_service: " + cat +
                                  ":4: cannot read game file 'missing.nes'\n");

    // A folder named on the command line without its catalogue is refused as well.
    fs::remove(cat);
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
    EXPECT_EQ(read_file(err), "rx_service: " + cat + ": cannot read the games catalogue\n");
}

TEST(BuiltGamesFolder, TestGamesComeWithTheServiceAndInflateToTheBuiltFiles) {
    service_process service;
    ASSERT_TRUE(service.started()) << service.first_line();
    const std::string list =
        body_of(get(service.http_port(),
                    "/browser/gamelist.php?status=Free&search=1&system=NES&criteria=^[0-z]&end=1"));
    EXPECT_EQ(list.rfind("||Relicade Test Game NES||NES||relicade_nes.nes||50||EOL", 0), 0u)
        << list.substr(0, 80);
    const std::string games = program_dir() + "/service/games/";
    for (const char* id : {"relicade_nes.nes", "relicade_gb.gb", "relicade_gbc.gbc",
                           "relicade_gba.gba", "relicade_snes.sfc", "relicade_pce.pce"}) {
        SCOPED_TRACE(id);
        const std::string file = read_file(games + id);
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(inflate(body_of(get(service.http_port(),
                                      std::string("/test/compressed_image?game=") + id)),
                          file.size()),
                  file);
    }
}
