// rx_service's game server token protocol in lock step, play sessions, copies and saves.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "service/logic/game_image.h"
#include "service_client.h"

using namespace rx::service;
using namespace rx::service::test;
namespace fs = std::filesystem;

namespace {

class Game : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(service->started()) << service->first_line(); }
    int port() const { return service->game_port(); }
    int http() const { return service->http_port(); }

    int availability(const game_record& g, const std::string& status = "Full") {
        const std::string body =
            body_of(get(http(), "/browser/gamelist.php?status=" + status +
                                    "&search=1&system=" + g.system + "&criteria=^[0-z]&end=1"));
        const std::string key = "||" + g.id + "||";
        const std::size_t at = body.find(key);
        return at == std::string::npos ? -99 : std::atoi(body.c_str() + at + key.size());
    }

    // The body of one of the connection endpoints ("clear_free_game_counter", "assert_alive",
    // "free_game") for `user`'s session `id`.
    std::string session_call(const std::string& endpoint, const std::string& user,
                             const std::string& id) {
        return body_of(
            get(http(), "/connection/" + endpoint + ".php?username=" + user + "&id=" + id));
    }

    // Logs in, takes a session id, opens the game and returns the compressed bytes.
    std::string open(game_client& c, const game_record& g, std::string* session = nullptr) {
        EXPECT_EQ(c.login("demo", "demo"), "ok");
        const std::string id = c.send("id");
        if (session) *session = id;
        EXPECT_EQ(c.send("op"), "ok");
        EXPECT_EQ(c.send(g.id), "ok");
        const std::string size = c.send("ok");
        c.send_only("ok");
        return c.receive_exactly(std::stoul(size));
    }

    temp_dir data;
    std::unique_ptr<service_process> service =
        std::make_unique<service_process>(std::vector<std::string>{}, data.path());
};

const game_record& small_game(const std::string& system) {
    const game_record* g = find_game([&](const game_record& x) {
        return x.system == system && x.file.empty() && x.copies >= 2 && x.image_size < (1u << 20);
    });
    EXPECT_NE(g, nullptr) << system;
    return *g;
}

}  // namespace

TEST_F(Game, LoginSessionIdAndGameImageInLockStep) {
    const game_record& g = small_game("GEN");
    game_client c(port());
    ASSERT_TRUE(c.connected());
    EXPECT_EQ(c.send("demo"), "ok");
    EXPECT_EQ(c.send("demo"), "ok");
    EXPECT_EQ(c.send("192.168.0.10"), "ok");
    const std::string id = c.send("id");
    EXPECT_TRUE(is_session_id(id)) << id;
    game_client other(port());
    EXPECT_EQ(other.login("player", "secret"), "ok");
    EXPECT_NE(other.send("id"), id);

    EXPECT_EQ(c.send("op"), "ok");
    EXPECT_EQ(c.send(g.id), "ok");
    const std::string size = c.send("ok");
    const auto expected = compress_game_image(generate_game_image(g.id, g.image_size));
    EXPECT_EQ(size, std::to_string(expected.size()));
    c.send_only("ok");
    const std::string bytes = c.receive_exactly(expected.size());
    EXPECT_EQ(bytes, std::string(expected.begin(), expected.end()));
    // The test endpoint serves the very same bytes.
    EXPECT_EQ(body_of(get(http(), "/test/compressed_image?game=" + g.id)), bytes);
}

TEST_F(Game, LoginRefusalsAndRetriesOnTheSameConnection) {
    game_client c(port());
    EXPECT_EQ(c.send("demo"), "ok");
    EXPECT_EQ(c.send("wrong"), "Incorrect Username or Password");
    EXPECT_EQ(c.send("nobody"), "ok");
    EXPECT_EQ(c.send("demo"), "Incorrect Username or Password");
    // The client may go on with the right password on the same connection.
    EXPECT_EQ(c.login("demo", "demo"), "ok");

    // A second open connection of the same user: "in use", the older one is cleared, the retry
    // works.
    game_client second(port());
    EXPECT_EQ(second.send("demo"), "ok");
    EXPECT_EQ(second.send("demo"), "Username in use login again to clear.");
    EXPECT_TRUE(c.closed_by_server());
    EXPECT_EQ(second.login("demo", "demo"), "ok");
    EXPECT_TRUE(is_session_id(second.send("id")));
}

TEST_F(Game, TheSharedGuestAccountNeverClearsItself) {
    game_client a(port());
    game_client b(port());
    EXPECT_EQ(a.login("guest", "guest"), "ok");
    EXPECT_EQ(b.login("guest", "guest"), "ok");
    const std::string first = a.send("id");
    const std::string second = b.send("id");
    EXPECT_NE(first, second);
    EXPECT_EQ(session_call("clear_free_game_counter", "guest", first), "1");
    EXPECT_EQ(session_call("clear_free_game_counter", "guest", second), "1");
}

TEST_F(Game, GameRefusals) {
    const game_record* in_play = find_game([](const game_record& g) { return g.copies == 0; });
    const game_record* full_only = find_game(
        [](const game_record& g) { return g.system == "SNES" && !g.sampler && g.copies > 0; });
    const game_record* sampler = find_game(
        [](const game_record& g) { return g.system == "SNES" && g.sampler && g.copies > 0; });
    ASSERT_TRUE(in_play && full_only && sampler);
    game_client c(port());
    EXPECT_EQ(c.login("guest", "guest"), "ok");
    EXPECT_EQ(c.send("op"), "ok");
    EXPECT_EQ(c.send("nothing.bin"), "Game not found.");
    EXPECT_EQ(c.send("op"), "ok");
    EXPECT_EQ(c.send(in_play->id), "All copies are in play.");
    EXPECT_EQ(c.send("op"), "ok");
    EXPECT_EQ(c.send(full_only->id), "This game is only available to full accounts.");
    EXPECT_EQ(c.send("frobnicate"), "Unknown command.");
    EXPECT_EQ(c.send("op"), "ok");
    EXPECT_EQ(c.send(sampler->id), "ok");  // the free sampler is open to free accounts
}

TEST_F(Game, CopiesAreTakenAndGivenBack) {
    const game_record* one =
        find_game([](const game_record& g) { return g.copies == 1 && g.system == "NES"; });
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(availability(*one), 1);
    game_client c(port());
    std::string session;
    open(c, *one, &session);
    EXPECT_EQ(availability(*one), 0);
    EXPECT_EQ(session_call("clear_free_game_counter", "demo", session), "1");
    EXPECT_EQ(session_call("assert_alive", "demo", session), "1");

    game_client rival(port());
    EXPECT_EQ(rival.login("player", "secret"), "ok");
    EXPECT_EQ(rival.send("op"), "ok");
    EXPECT_EQ(rival.send(one->id), "All copies are in play.");

    // Someone else's name does not free the copy; the player's own free_game does.
    EXPECT_EQ(session_call("free_game", "player", session), "||no session||EOL");
    EXPECT_EQ(availability(*one), 0);
    EXPECT_EQ(session_call("free_game", "demo", session), "||ok||EOL");
    EXPECT_EQ(availability(*one), 1);
    const std::string after =
        get(http(), "/connection/clear_free_game_counter.php?username=demo&id=" + session);
    EXPECT_EQ(after.substr(after.rfind('\n') + 1, 1), "0");
}

TEST_F(Game, ANewSessionOfTheSameUserEndsTheOldOne) {
    const game_record* one =
        find_game([](const game_record& g) { return g.copies == 1 && g.system == "COL"; });
    ASSERT_NE(one, nullptr);
    std::string first;
    {
        game_client c(port());
        open(c, *one, &first);
    }
    EXPECT_EQ(availability(*one), 0);
    game_client again(port());
    EXPECT_EQ(again.login("demo", "demo"), "ok");
    const std::string second = again.send("id");
    EXPECT_EQ(availability(*one), 1);  // the crashed emulator's copy comes back
    EXPECT_EQ(session_call("clear_free_game_counter", "demo", first), "0");
    EXPECT_EQ(session_call("clear_free_game_counter", "demo", second), "1");
}

TEST(GameTimeout, SessionsTimeOutAndGiveTheirCopyBack) {
    service_process service({"--session-timeout", "1"});
    ASSERT_TRUE(service.started());
    const game_record* one =
        find_game([](const game_record& g) { return g.copies == 1 && g.system == "GB"; });
    ASSERT_NE(one, nullptr);
    game_client c(service.game_port());
    EXPECT_EQ(c.login("demo", "demo"), "ok");
    const std::string session = c.send("id");
    EXPECT_EQ(c.send("op"), "ok");
    EXPECT_EQ(c.send(one->id), "ok");
    auto avail = [&] {
        const std::string body = body_of(
            get(service.http_port(),
                "/browser/gamelist.php?status=Full&search=1&system=GB&criteria=^[0-z]&end=1"));
        return std::atoi(body.c_str() + body.find("||" + one->id + "||") + one->id.size() + 4);
    };
    EXPECT_EQ(avail(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    EXPECT_EQ(avail(), 1);
    EXPECT_EQ(body_of(get(service.http_port(),
                          "/connection/clear_free_game_counter.php?username=demo&id=" + session)),
              "0");
}

TEST_F(Game, SaveSurvivesARestartByteForByte) {
    std::string save(65537, '\0');  // one byte over the classic load buffer: kept whole
    for (std::size_t i = 0; i < save.size(); ++i) save[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    {
        game_client c(port());
        EXPECT_EQ(c.login("demo", "demo"), "ok");
        EXPECT_EQ(c.send("sv"), "ok");
        EXPECT_EQ(c.send(std::to_string(save.size())), "ok");
        EXPECT_EQ(c.send("zelda.srm"), "ok");
        c.send_raw(save);
        c.send_only("cl");  // as older clients do: the confirmation waits unread until the close
        EXPECT_EQ(c.receive_exactly(2), "ok");
        EXPECT_TRUE(c.closed_by_server());
    }
    service->stop();
    service = std::make_unique<service_process>(std::vector<std::string>{}, data.path());
    ASSERT_TRUE(service->started());

    game_client c(port());
    EXPECT_EQ(c.login("demo", "demo"), "ok");
    EXPECT_EQ(c.send("ld"), "ok");
    EXPECT_EQ(c.send("zelda.srm"), "ok");
    EXPECT_EQ(c.send("ok"), "65537");
    c.send_only("ok");
    EXPECT_EQ(c.receive_exactly(save.size()), save);
    c.send_only("cl");

    // Saves belong to their user: another user sees none of it.
    game_client other(port());
    EXPECT_EQ(other.login("player", "secret"), "ok");
    EXPECT_EQ(other.send("ld"), "ok");
    EXPECT_EQ(other.send("zelda.srm"), "ok");
    EXPECT_EQ(other.send("ok"), "0");
}

TEST_F(Game, SaveNamesCannotLeaveTheDataFolderAndBadSavesAreRefused) {
    {
        game_client c(port());
        EXPECT_EQ(c.login("demo", "demo"), "ok");
        EXPECT_EQ(c.send("sv"), "ok");
        EXPECT_EQ(c.send("5"), "ok");
        EXPECT_EQ(c.send("../../../escape.sav"), "ok");
        c.send_raw("hello");
        c.send_only("cl");
        EXPECT_EQ(c.receive_exactly(2), "ok");
        EXPECT_TRUE(c.closed_by_server());
    }
    for (const auto& entry : fs::recursive_directory_iterator(data.path())) {
        if (entry.is_regular_file()) {
            EXPECT_EQ(
                entry.path().string().rfind(data.path() + "/saves/demo/", 0) == 0 ||
                    entry.path().string().rfind(data.path() + "/save_versions/demo/", 0) == 0 ||
                    entry.path().parent_path() == fs::path(data.path()),
                true)
                << entry.path();
        }
    }
    EXPECT_FALSE(fs::exists(fs::path(data.path()).parent_path() / "escape.sav"));
    {
        game_client c(port());
        EXPECT_EQ(c.login("demo", "demo"), "ok");
        EXPECT_EQ(c.send("ld"), "ok");
        EXPECT_EQ(c.send("../../../escape.sav"), "ok");
        EXPECT_EQ(c.send("ok"), "5");
        c.send_only("ok");
        EXPECT_EQ(c.receive_exactly(5), "hello");
    }
    {
        game_client c(port());
        EXPECT_EQ(c.login("demo", "demo"), "ok");
        EXPECT_EQ(c.send("sv"), "ok");
        EXPECT_EQ(c.send("1048577"), "Bad save size.");
        EXPECT_TRUE(c.closed_by_server());
    }
    {
        game_client c(port());
        EXPECT_EQ(c.login("demo", "demo"), "ok");
        EXPECT_EQ(c.send("sv"), "ok");
        EXPECT_EQ(c.send("4"), "ok");
        EXPECT_EQ(c.send(""), "Bad file name.");
        EXPECT_TRUE(c.closed_by_server());
    }
    {
        // A save cut short by the client keeps the stored one.
        game_client c(port());
        EXPECT_EQ(c.login("demo", "demo"), "ok");
        EXPECT_EQ(c.send("sv"), "ok");
        EXPECT_EQ(c.send("100"), "ok");
        EXPECT_EQ(c.send("../../../escape.sav"), "ok");
        c.send_raw("partial");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    game_client c(port());
    EXPECT_EQ(c.login("demo", "demo"), "ok");
    EXPECT_EQ(c.send("ld"), "ok");
    EXPECT_EQ(c.send("../../../escape.sav"), "ok");
    EXPECT_EQ(c.send("ok"), "5");
}

TEST_F(Game, OverlongTokensEndTheConnection) {
    game_client c(port());
    c.send_raw(std::string(5000, 'x'));
    EXPECT_TRUE(c.closed_by_server());
    game_client d(port());
    EXPECT_EQ(d.login("demo", "demo"), "ok");  // still serving
}

// One store as the current clients make it: optionally naming the play first, then reading the
// server's word after the bytes.
std::string store(int port, const std::string& bytes, const std::string& play = "") {
    game_client c(port);
    EXPECT_EQ(c.login("demo", "demo"), "ok");
    if (!play.empty()) {
        EXPECT_EQ(c.send("pl"), "ok");
        const std::string answer = c.send(play);
        if (answer != "ok") return answer;
    }
    EXPECT_EQ(c.send("sv"), "ok");
    EXPECT_EQ(c.send(std::to_string(bytes.size())), "ok");
    EXPECT_EQ(c.send("game.sav"), "ok");
    c.send_raw(bytes);
    c.send_only("cl");
    return c.receive_exactly(2) == "ok" ? "ok" : "refused";
}

std::string load(int port) {
    game_client c(port);
    EXPECT_EQ(c.login("demo", "demo"), "ok");
    EXPECT_EQ(c.send("ld"), "ok");
    EXPECT_EQ(c.send("game.sav"), "ok");
    const std::string size = c.send("ok");
    c.send_only("ok");
    return c.receive_exactly(std::stoul(size));
}

std::string operator_command(const std::string& data, const std::string& args) {
    FILE* out = ::popen((program_dir() + "/rx_service --data '" + data + "' " + args).c_str(), "r");
    if (!out) return "";
    std::string text;
    char chunk[256];
    while (std::size_t n = std::fread(chunk, 1, sizeof chunk, out)) text.append(chunk, n);
    return ::pclose(out) == 0 ? text : "failed: " + text;
}

TEST_F(Game, SixStoresKeepFiveVersionsAndARestoreBringsOneBack) {
    for (int i = 1; i <= 6; ++i) ASSERT_EQ(store(port(), "count " + std::to_string(i)), "ok");
    const std::string list = operator_command(data.path(), "--saves demo game.sav");
    EXPECT_NE(list.find("1  7 bytes  "), std::string::npos) << list;
    EXPECT_NE(list.find("(current)"), std::string::npos) << list;
    EXPECT_NE(list.find("\n5  7 bytes"), std::string::npos) << list;
    EXPECT_EQ(list.find("\n6 "), std::string::npos) << list;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 5) << list;
    EXPECT_EQ(operator_command(data.path(), "--export-save demo game.sav 5"), "count 2");

    // Version 5 is the oldest kept: count 2 (count 1 went with the sixth store).
    EXPECT_EQ(operator_command(data.path(), "--restore-save demo game.sav 5"),
              "restored version 5 of demo's game.sav\n");
    EXPECT_EQ(load(port()), "count 2");
    // The restore is itself the newest version, so it can be undone.
    EXPECT_EQ(operator_command(data.path(), "--restore-save demo game.sav 2"),
              "restored version 2 of demo's game.sav\n");
    EXPECT_EQ(load(port()), "count 6");
    EXPECT_EQ(operator_command(data.path(), "--restore-save demo game.sav 6").rfind("failed", 0),
              0u);
    EXPECT_EQ(operator_command(data.path(), "--saves demo other.sav").rfind("failed", 0), 0u);
}

TEST_F(Game, StoresAreConfirmedRefusedOrTakenOver) {
    const game_record& g = small_game("GEN");
    std::string first, second;
    {
        game_client a(port());
        open(a, g, &first);
    }
    ASSERT_EQ(store(port(), "first play", first), "ok");
    ASSERT_EQ(store(port(), "no play named"), "ok");  // older clients
    ASSERT_EQ(store(port(), "unknown play", "0123456789abcdef"), "ok");
    {
        game_client b(port());
        open(b, g, &second);
    }
    // The earlier play is refused, before and after its bytes; the newer one stores.
    EXPECT_EQ(store(port(), "stale", first), "Continued on another computer.");
    {
        game_client c(port());
        EXPECT_EQ(c.login("demo", "demo"), "ok");
        EXPECT_EQ(c.send("sv"), "ok");
        EXPECT_EQ(c.send("5"), "ok");
        EXPECT_EQ(c.send("game.sav"), "ok");
        c.send_raw("stale");
        EXPECT_EQ(c.send("cl"), "ok");  // nothing named: accepted as before
    }
    EXPECT_EQ(load(port()), "stale");
    EXPECT_EQ(store(port(), "second play", second), "ok");
    EXPECT_EQ(load(port()), "second play");

    get(http(), "/control?fault=refuse_saves&value=1");
    game_client r(port());
    EXPECT_EQ(r.login("demo", "demo"), "ok");
    EXPECT_EQ(r.send("sv"), "ok");
    EXPECT_EQ(r.send("3"), "ok");
    EXPECT_EQ(r.send("game.sav"), "ok");
    r.send_raw("bad");
    EXPECT_EQ(r.send("cl"), "Save not stored.");
    get(http(), "/control?reset=1");
    EXPECT_EQ(load(port()), "second play");
}
