// rxlib end to end through rx_host's script mode against rx_service on loopback (dummy video
// driver).
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "harness.h"
#include "service/logic/catalogue.h"
#include "service/logic/game_image.h"

namespace rx::test {
namespace {

const std::string account = "player:secret";

std::vector<rx::service::game_record> catalogue() {
    auto games = rx::service::read_catalogue_file(program_dir() + "/service/catalogue.tsv");
    return games.value_or(std::vector<rx::service::game_record>{});
}

// A game a full account may play, with an image between `low` and `high` bytes.
std::optional<rx::service::game_record> game_sized(std::uint64_t low, std::uint64_t high) {
    for (const auto& g : catalogue()) {
        if (g.copies > 0 && g.image_size >= low && g.image_size <= high) return g;
    }
    return std::nullopt;
}

std::string launch(const std::string& game) {
    return "rxgen://" + account + "@127.0.0.1/" + game;
}

unsigned long crc(const std::string& bytes) {
    return crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                 static_cast<uInt>(bytes.size()));
}

std::string hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08lx", value);
    return text;
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class Service : public ::testing::Test {
  protected:
    run_result host(const service_process& s, const std::string& game,
                    const std::vector<std::string>& steps, unsigned timeout_ms = 60000) {
        std::vector<std::string> argv{folder.host(), launch(game)};
        argv.insert(argv.end(), steps.begin(), steps.end());
        std::vector<std::string> env = service_env(s);
        env.push_back("SDL_VIDEODRIVER=dummy");
        return run(argv, env, timeout_ms);
    }
    host_folder folder;
};

TEST_F(Service, StartUpDeliversTheGameImageByteForByte) {
    auto game = game_sized(100 * 1024, 4 * 1024 * 1024);
    ASSERT_TRUE(game);
    service_process s;
    ASSERT_TRUE(s.started());
    std::string image_file = folder.path() + "/image.bin";
    run_result r = host(s, game->id, {"state", "init", "state", "image", image_file, "close"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    std::vector<std::uint8_t> expected =
        rx::service::generate_game_image(game->id, static_cast<std::size_t>(game->image_size));
    std::string got = read_file(image_file);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
                           reinterpret_cast<const std::uint8_t*>(got.data())));
    EXPECT_NE(r.output.find("state init=0 connected=0 count=30"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("game name=" + game->id + " size=" + std::to_string(expected.size())),
              std::string::npos);
    EXPECT_NE(r.output.find("state init=1 connected=1 count=30"), std::string::npos) << r.output;
    EXPECT_NE(folder.log().find("RXLIB Initialized\n"), std::string::npos);
}

TEST_F(Service, SmallCompressedImageArrivesWhole) {
    // A catalogue of one small game, so its compressed image is shorter than one download chunk.
    std::string sample = folder.path() + "/sample";
    std::filesystem::create_directories(sample);
    std::filesystem::copy_file(program_dir() + "/service/accounts.txt", sample + "/accounts.txt");
    std::filesystem::copy_file(program_dir() + "/service/news.txt", sample + "/news.txt");
    {
        std::ofstream out(sample + "/catalogue.tsv");
        out << "tiny_001.a26\t2600\tTiny\t2048\t5\t0\t\n";
    }
    std::vector<std::uint8_t> expected = rx::service::generate_game_image("tiny_001.a26", 2048);
    ASSERT_LT(rx::service::compress_game_image(expected).size(), 4096u);
    service_process s({"--sample", sample});
    ASSERT_TRUE(s.started());
    run_result r = host(s, "tiny_001.a26", {"init"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    unsigned long want =
        crc32(crc32(0L, Z_NULL, 0), expected.data(), static_cast<uInt>(expected.size()));
    EXPECT_NE(r.output.find("size=2048 crc=" + hex(want)), std::string::npos) << r.output;
}

TEST_F(Service, UserInUseOnceIsRetriedTwiceFails) {
    auto game = game_sized(1, 4 * 1024 * 1024);
    ASSERT_TRUE(game);
    {
        service_process s({"--fault", "user_in_use=1"});
        run_result r = host(s, game->id, {"init"});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_NE(r.output.find("location=set"), std::string::npos) << r.output;
    }
    {
        service_process s({"--fault", "user_in_use=2"});
        run_result r = host(s, game->id, {"init", "state"});
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.output.find("game name="), std::string::npos) << r.output;
        EXPECT_NE(folder.log().find("Error: Failed to load game.\n"), std::string::npos)
            << folder.log();
    }
}

TEST_F(Service, RefusedLoginFailsTheStartUp) {
    auto game = game_sized(1, 4 * 1024 * 1024);
    ASSERT_TRUE(game);
    service_process s({"--fault", "refuse_logins"});
    run_result r = host(s, game->id, {"init", "state"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output.find("game name="), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Failed to load game."), std::string::npos) << r.output;
    EXPECT_EQ(folder.log().find("RXLIB Initialized"), std::string::npos);
}

TEST_F(Service, VideoThatCannotStartIsLoggedWithSdlsReason) {
    // The log line carries SDL's own reason, so a machine without a display says why.
    run_result r = run({folder.host(), launch("g1"), "init", "state"},
                       {"SDL_VIDEODRIVER=no_such_driver"}, 20000);
    EXPECT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(r.output.find("game name="), std::string::npos) << r.output;
    std::string log = folder.log();
    EXPECT_EQ(log.rfind("Error: init_SDL() - ", 0), 0u) << log;
    EXPECT_GT(log.size(), std::string("Error: init_SDL() - \n").size()) << log;
}

TEST_F(Service, ErrorReplyToTheGameIsLoggedAndFails) {
    auto game = game_sized(1, 4 * 1024 * 1024);
    ASSERT_TRUE(game);
    service_process s({"--fault", "game_error=No copies left"});
    run_result r = host(s, game->id, {"init"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output.find("game name="), std::string::npos) << r.output;
    EXPECT_NE(folder.log().find("Game load error.\n"), std::string::npos) << folder.log();
}

TEST_F(Service, TruncatedStreamFailsWithoutAPartialImage) {
    auto game = game_sized(100 * 1024, 4 * 1024 * 1024);
    ASSERT_TRUE(game);
    service_process s({"--fault", "truncate_game=10000"});
    run_result r = host(s, game->id, {"init"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output.find("game name="), std::string::npos) << r.output;
    EXPECT_NE(folder.log().find("Failure recv game.\n"), std::string::npos) << folder.log();
}

TEST_F(Service, SavesAreSentWholeAndLoadBack) {
    auto game = game_sized(1, 2 * 1024 * 1024);
    ASSERT_TRUE(game);
    service_process s;
    run_result r =
        host(s, game->id,
             {"init",  "close", "write",    "empty.sav", "0",     "save",      "empty.sav", "write",
              "a.sav", "65536", "save",     "a.sav",     "write", "b.sav",     "65537",     "save",
              "b.sav", "write", "huge.sav", "1048577",   "save",  "huge.sav",  "load",      "a.sav",
              "load",  "b.sav", "load",     "huge.sav",  "load",  "empty.sav", "shutdown"},
             120000);
    ASSERT_EQ(r.exit_code, 0) << r.output;
    std::string a = folder.read("a.sav"), b = folder.read("b.sav");
    ASSERT_EQ(b.size(), 65537u);
    EXPECT_NE(r.output.find("load size=65536 crc=" + hex(crc(a))), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("load size=65537 crc=" + hex(crc(b))), std::string::npos) << r.output;
    EXPECT_EQ(count(r.output, "load size=0 crc=00000000"), 2u) << r.output;
    EXPECT_NE(folder.log().find("Save file too large.\nhuge.sav\n"), std::string::npos)
        << folder.log();

    // assert_alive follows each of the two saves sent and each of the four loads.
    std::string requests = read_file(s.data_dir() + "/requests.log");
    EXPECT_EQ(count(requests, "GET /connection/assert_alive.php?username=player&id="), 6u)
        << requests;
    EXPECT_EQ(count(requests, "GET /connection/free_game.php?username=player&id="), 1u);
}

TEST_F(Service, ExportsBeforeInitAndShutdownTwice) {
    auto game = game_sized(1, 2 * 1024 * 1024);
    ASSERT_TRUE(game);
    service_process s;
    run_result r =
        host(s, game->id, {"state", "shutdown", "init", "close", "shutdown", "shutdown", "state"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    EXPECT_NE(r.output.find("state init=0 connected=0 count=30\nstate init=0"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("location=set"), std::string::npos);
    EXPECT_NE(r.output.find("state init=0 connected=1 count=30\nstate init=0 connected=1 count=30\n"
                            "state init=0"),
              std::string::npos)
        << r.output;
    std::string requests = read_file(s.data_dir() + "/requests.log");
    EXPECT_EQ(count(requests, "GET /connection/free_game.php"), 1u) << requests;
}

TEST_F(Service, InitAfterShutdownStartsNoSecondSession) {
    auto game = game_sized(1, 2 * 1024 * 1024);
    ASSERT_TRUE(game);
    service_process s;
    run_result r = host(s, game->id, {"init", "close", "shutdown", "init", "state"});
    ASSERT_EQ(r.exit_code, 0) << r.output;
    EXPECT_EQ(count(r.output, "location=set"), 1u) << r.output;
    EXPECT_NE(r.output.find("size=0 crc=00000000 location=null\nstate init=0"), std::string::npos)
        << r.output;
    // One login on the game server: the user name token arrives once.
    EXPECT_EQ(count(read_file(s.data_dir() + "/game_requests.log"), std::string("player") + '\0'),
              1u);
}

TEST(Exports, ExactlyTheFourteenNamesAndTheThreeForSaves) {
    run_result r =
        run({"/usr/bin/nm", "-D", "--defined-only", program_dir() + "/librxlib.so"}, {}, 20000);
    ASSERT_EQ(r.exit_code, 0) << r.output;
    std::istringstream lines(r.output);
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, type, name;
        fields >> address >> type >> name;
        if (!name.empty()) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{"rx_close_window",
                                      "rx_get_diretory",
                                      "rx_get_game_location",
                                      "rx_get_game_name",
                                      "rx_get_game_size",
                                      "rx_get_load_location",
                                      "rx_get_load_size",
                                      "rx_get_load_status",
                                      "rx_get_save_status",
                                      "rx_get_shutdown_count",
                                      "rx_init",
                                      "rx_is_connected",
                                      "rx_is_init",
                                      "rx_load_game",
                                      "rx_save_game",
                                      "rx_save_game_as",
                                      "rx_shutdown"};
    EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace rx::test
