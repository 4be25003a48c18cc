// rx_service as an operator runs it (no test hooks): attacks on loopback and the refusal each
// meets, accounts stored hashed, and logs that never hold a password or a session id.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "service_client.h"
#include "state_db.h"
#include "wait.h"

using namespace rx::service;
using namespace rx::service::test;
namespace fs = std::filesystem;

namespace {

// The cheapest hashes keep the starts quick; the cost is not what these tests are about.
service_process production(std::vector<std::string> extra = {}, const std::string& data = {}) {
    extra.insert(extra.begin(), {"--password-cost=min", "--login-lock-ms=60000"});
    return service_process(extra, data, false);
}

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

unsigned mode_of(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

std::string session_of(int game_port, const std::string& user, const std::string& password) {
    game_client c(game_port);
    if (c.login(user, password) != "ok") return "";
    return c.send("id");
}

// The id with its last hex digit moved on by one: what a counter would have given next.
std::string next_id(std::string id) {
    char& last = id.back();
    last = last == 'f' ? '0' : last == '9' ? 'a' : static_cast<char>(last + 1);
    return id;
}

class Production : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(service.started()) << service.first_line(); }
    int http() const { return service.http_port(); }
    int game() const { return service.game_port(); }
    std::string event_log() const { return read_file(service.data_dir() + "/service.log"); }
    service_process service = production();
};

TEST_F(Production, AttacksOnLoopbackAreRefused) {
    const std::string player = session_of(game(), "player", "secret");
    const std::string demo = session_of(game(), "demo", "demo");
    ASSERT_TRUE(is_session_id(player)) << player;
    ASSERT_TRUE(is_session_id(demo)) << demo;
    const std::string any_game = catalogue().front().id;
    struct attack {
        const char* what;
        std::string target;
        int status;
        std::string body;  // the whole body, or a part of an HTML page
    };
    const std::vector<attack> attacks = {
        {"fault switch", "/control?fault=refuse_logins", 404, "error: unknown endpoint /control\n"},
        {"version switch", "/control?fault=version&value=4.30", 404,
         "error: unknown endpoint /control\n"},
        {"switch reset", "/control?reset=1", 404, "error: unknown endpoint /control\n"},
        {"game bytes without a login", "/test/compressed_image?game=" + any_game, 404,
         "error: unknown endpoint /test/compressed_image\n"},
        {"next session id", "/connection/free_game.php?username=player&id=" + next_id(player), 200,
         "||no session||EOL"},
        {"another user's session", "/connection/free_game.php?username=player&id=" + demo, 200,
         "||no session||EOL"},
        {"made-up session", "/connection/assert_alive.php?username=demo&id=" + std::string(32, '0'),
         200, "0"},
        {"old short session id",
         "/connection/clear_free_game_counter.php?username=demo&id=" + demo.substr(0, 16), 200,
         "0"},
        {"status without a login",
         "/browser/status_update.php?username=free&current_status=is_pwned&end=1", 200,
         "||error||not logged in||EOL"},
        {"permission without a login", "/rx_status_update/?username=free&authorize=1", 200,
         "Log in to Relicade as free"},
        {"status with a wrong password",
         "/browser/status_update.php?username=free&password=nope&current_status=x&end=1", 200,
         "||error||not logged in||EOL"},
    };
    for (const auto& a : attacks) {
        SCOPED_TRACE(a.what);
        const std::string reply = get(http(), a.target);
        EXPECT_EQ(status_of(reply), a.status);
        if (a.body.rfind("Log in", 0) == 0)
            EXPECT_NE(body_of(reply).find(a.body), std::string::npos) << reply;
        else
            EXPECT_EQ(body_of(reply), a.body);
    }
    // None of it changed anything: both sessions live, logins and the version as they were, no
    // status or permission stored.
    EXPECT_EQ(body_of(get(http(), "/connection/assert_alive.php?username=player&id=" + player)),
              "1");
    EXPECT_EQ(body_of(get(http(), "/connection/assert_alive.php?username=demo&id=" + demo)), "1");
    EXPECT_EQ(body_of(get(http(), "/browser/current_version.php")), "||4.29||EOL");
    EXPECT_EQ(session_of(game(), "free", "free").size(), 32u);
    EXPECT_NE(get(http(), "/rx_status_update/?username=free").find("has no status yet"),
              std::string::npos);
    EXPECT_TRUE(state_rows(service.data_dir(), "SELECT name FROM authorized").empty());
    EXPECT_NE(event_log().find("production mode"), std::string::npos) << event_log();
}

TEST_F(Production, StatusAndPermissionFollowALoginFromTheSameAddress) {
    // The flood of unknown users stores nothing.
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(body_of(get(http(), "/browser/status_update.php?username=u" + std::to_string(i) +
                                          "&current_status=x&end=1")),
                  "||error||not logged in||EOL");
    // The browser logs in, then its player allows posting and plays: the client's own path works.
    EXPECT_EQ(body_of(get(http(), "/browser/checkuser.php?username=demo&password=demo")),
              "||ok||2||EOL");
    EXPECT_NE(get(http(), "/rx_status_update/?username=demo&authorize=1").find("allowed Relicade"),
              std::string::npos);
    EXPECT_EQ(body_of(get(http(),
                          "/browser/status_update.php?username=demo&current_status="
                          "is_playing_X&end=1")),
              "||ok||EOL");
    EXPECT_EQ(state_rows(service.data_dir(), "SELECT name FROM authorized"),
              std::vector<std::string>{"demo"});
    // A password given with the update speaks for its user too; a live session does as well.
    EXPECT_EQ(body_of(get(http(),
                          "/browser/status_update.php?username=free&password=free&"
                          "current_status=x&end=1")),
              "||error||not authorised||EOL");
    const std::string id = session_of(game(), "player", "secret");
    EXPECT_EQ(body_of(get(http(), "/browser/status_update.php?username=player&id=" + id +
                                      "&current_status=x&end=1")),
              "||error||not authorised||EOL");
}

TEST_F(Production, BruteForceOnEitherPortIsLockedOutWithOneLogLine) {
    game_client attacker(game());
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(attacker.send("player"), "ok");
        ASSERT_EQ(attacker.send("guess" + std::to_string(i)), "Incorrect Username or Password");
    }
    // Locked out now: the right password is refused on both ports without being looked at.
    ASSERT_EQ(attacker.send("player"), "ok");
    EXPECT_EQ(attacker.send("secret"), "Incorrect Username or Password");
    EXPECT_EQ(body_of(get(http(), "/browser/checkuser.php?username=player&password=secret")),
              "||refused||0||EOL");
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(body_of(get(http(), "/browser/checkuser.php?username=player&password=x" +
                                          std::to_string(i))),
                  "||refused||0||EOL");
    // One line for the lock-out, naming the account, never a password.
    const std::string log = event_log();
    EXPECT_EQ(count_of(log, "account 'player' locked out for 60000 ms"), 1u) << log;
    EXPECT_EQ(count_of(log, "guess"), 0u);
    EXPECT_EQ(count_of(log, "secret"), 0u);
    // Other accounts from the same address still log in: six failures are far from its bound.
    EXPECT_EQ(body_of(get(http(), "/browser/checkuser.php?username=demo&password=demo")),
              "||ok||2||EOL");
}

TEST_F(Production, ManyNamesFromOneAddressLockTheAddress) {
    for (int i = 0; i < 21; ++i)
        ASSERT_EQ(body_of(get(http(), "/browser/checkuser.php?username=nobody" + std::to_string(i) +
                                          "&password=x")),
                  "||refused||0||EOL");
    EXPECT_EQ(count_of(event_log(), "address 127.0.0.1 locked out for 60000 ms"), 1u)
        << event_log();
    game_client c(game());
    EXPECT_EQ(c.login("demo", "demo"), "Incorrect Username or Password");
}

TEST(ProductionAccounts, PlainAccountsFileIsReplacedByHashesOnFirstStart) {
    temp_dir data{"rx_migrate"};
    const std::string accounts = data.file("accounts.txt");
    ASSERT_TRUE(rx::test::write_file(accounts,
                                     "# the operator's players\nalice\tPlain-Alice-1\t2\n"
                                     "bob\tPlain-Bob-2\t1\n"));
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        service_process service = production({}, data.path());
        ASSERT_TRUE(service.started());
        EXPECT_EQ(body_of(get(service.http_port(),
                              "/browser/checkuser.php?username=alice&password=Plain-Alice-1")),
                  "||ok||2||EOL");
        EXPECT_EQ(body_of(get(service.http_port(),
                              "/browser/checkuser.php?username=bob&password=Plain-Bob-2")),
                  "||ok||1||EOL");
        // The sample's accounts are not added to an operator's file.
        EXPECT_EQ(
            body_of(get(service.http_port(), "/browser/checkuser.php?username=demo&password=demo")),
            "||refused||0||EOL");
        service.stop();
        // Taken into the database and set aside as hashes only.
        EXPECT_FALSE(fs::exists(accounts));
        const std::string aside = data.file("imported/accounts.txt");
        const std::string text = read_file(aside);
        EXPECT_EQ(text.find("Plain-"), std::string::npos) << text;
        EXPECT_EQ(count_of(text, "\t$argon2id$"), 2u) << text;
        EXPECT_EQ(mode_of(aside), 0600u);
        EXPECT_EQ(mode_of(data.file("state.db")), 0600u);
        EXPECT_EQ(state_rows(data.path(),
                             "SELECT count(*) FROM accounts WHERE hash LIKE "
                             "'$argon2id$%' AND hash NOT LIKE '%Plain-%'"),
                  std::vector<std::string>{"2"});
    }
    const std::string log = read_file(data.file("service.log"));
    EXPECT_EQ(count_of(log, "imported 2 accounts (2 plain passwords hashed)"), 1u) << log;
    EXPECT_EQ(log.find("Plain-"), std::string::npos);
}

TEST(ProductionAccounts, AddedUserLogsInAndNoPasswordOrSessionIdReachesAnyLog) {
    temp_dir data{"rx_secrets"};
    const std::string add = "printf 'Kx7-pass-Q9\\n' | '" + program_dir() +
                            "/rx_service' --add-user tester --full --password-cost=min --data '" +
                            data.path() + "' 2>/dev/null";
    ASSERT_EQ(std::system(add.c_str()), 0);
    std::string session;
    {
        service_process service = production({}, data.path());
        ASSERT_TRUE(service.started());
        const int http = service.http_port();
        EXPECT_EQ(body_of(get(http, "/browser/checkuser.php?username=tester&password=Kx7-pass-Q9")),
                  "||ok||2||EOL");
        EXPECT_NE(
            get(http, "/myaccount.html?username=tester&password=Kx7-pass-Q9").find("full account"),
            std::string::npos);
        EXPECT_EQ(
            body_of(get(http, "/browser/checkuser.php?username=tester&password=Wr0ng-pass-Z3")),
            "||refused||0||EOL");
        game_client right(service.game_port());
        EXPECT_EQ(right.login("tester", "Kx7-pass-Q9"), "ok");
        session = right.send("id");
        ASSERT_TRUE(is_session_id(session));
        EXPECT_EQ(body_of(get(http, "/connection/assert_alive.php?username=tester&id=" + session)),
                  "1");
        game_client wrong(service.game_port());
        EXPECT_EQ(wrong.login("tester", "Wr0ng-pass-Z3"), "Incorrect Username or Password");
        {
            // A password cut off by a closed connection is masked as well.
            game_client cut(service.game_port());
            EXPECT_EQ(cut.send("tester"), "ok");
            cut.send_raw("PartOfPw");
        }
        const std::string game_log = data.file("game_requests.log");
        ASSERT_TRUE(rx::test::wait_until([&] {
            const std::string log = read_file(game_log);
            return !log.empty() && log.back() == '*';
        })) << read_file(game_log);
        EXPECT_NE(read_file(game_log).find(std::string("tester\0*\0", 9)), std::string::npos);
        EXPECT_NE(read_file(data.file("requests.log")).find("password=* HTTP"), std::string::npos);
        EXPECT_NE(read_file(data.file("requests.log")).find("&id=* HTTP"), std::string::npos);
    }
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(data.path())) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const std::string name = entry.path().string();
        const std::string bytes = read_file(name);
        SCOPED_TRACE(name);
        for (const std::string& secret : {std::string("Kx7-pass-Q9"), std::string("Wr0ng-pass-Z3"),
                                          std::string("PartOfPw"), session})
            EXPECT_EQ(bytes.find(secret), std::string::npos) << secret;
        if (name.size() > 4 && (name.compare(name.size() - 4, 4, ".log") == 0 ||
                                entry.path().filename() == "accounts.txt")) {
            EXPECT_EQ(mode_of(name), 0600u);
        }
    }
    EXPECT_GE(files, 4u);  // accounts, the service log and both request logs
}

TEST(ProductionLogs, LogsAreRotatedBySizeAndOnlyAFewKept) {
    service_process service = production({"--log-max-kib=1", "--log-keep=2"});
    ASSERT_TRUE(service.started());
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(status_of(get(service.http_port(), "/browser/news.php?n=" + std::to_string(i))),
                  200);
    const std::string log = service.data_dir() + "/requests.log";
    for (const std::string& name : {log, log + ".1", log + ".2"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(fs::exists(name));
        EXPECT_LE(fs::file_size(name), 1024u);
        EXPECT_EQ(mode_of(name), 0600u);
    }
    EXPECT_FALSE(fs::exists(log + ".3"));
    // The newest request is in the current file, whole.
    EXPECT_NE(read_file(log).find("GET /browser/news.php?n=59 HTTP/1.1\nHost: localhost\n\n"),
              std::string::npos);
}

TEST(ProductionGames, LinksAndUnsafeNamesInTheGamesFolderStopTheStart) {
    temp_dir outside{"rx_outside"}, folder{"rx_games_links"}, data{"rx_links_data"};
    ASSERT_TRUE(rx::test::write_file(outside.file("secret.nes"), std::string(4096, 'S')));
    ASSERT_TRUE(rx::test::write_file(folder.file("good.nes"), std::string(4096, 'G')));
    ASSERT_TRUE(rx::test::write_file(folder.file("shot.png"), "picture"));
    fs::create_symlink(outside.file("secret.nes"), folder.file("evil.nes"));
    fs::create_directory_symlink(outside.path(), folder.file("linked"));
    fs::create_symlink(folder.file("shot.png"), folder.file("shot_link.png"));
    ASSERT_TRUE(rx::test::write_file(folder.file("catalogue.txt"),
                                     "g1\tNES\tFine\tgood.nes\t1\t0\tshot.png\n"
                                     "g2\tNES\tEvil\tevil.nes\t1\t0\t\n"
                                     "g3\tNES\tThrough a folder link\tlinked/secret.nes\t1\t0\t\n"
                                     "g4\tNES\tLinked picture\tgood.nes\t1\t0\tshot_link.png\n"
                                     "g5\tNES\tBar || in the title\tgood.nes\t1\t0\t\n"
                                     "g6\tNES\tBell\x07title\tgood.nes\t1\t0\t\n"
                                     "g7\tNES\tBar picture\tgood.nes\t1\t0\ta|b.png\n"
                                     "g8\tNES\tA pipe\tpipe.nes\t1\t0\t\n"));
    ASSERT_EQ(::mkfifo(folder.file("pipe.nes").c_str(), 0600), 0);
    const std::string err = data.file("err.txt");
    const std::string command = "timeout 20 '" + program_dir() + "/rx_service' --data '" +
                                data.path() + "' --http-port 0 --game-port 0 --games '" +
                                folder.path() + "' >/dev/null 2>'" + err + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string cat = "rx_service: " + folder.file("catalogue.txt");
    EXPECT_EQ(read_file(err), cat + ":2: cannot read game file 'evil.nes'\n" + cat +
                                  ":3: cannot read game file 'linked/secret.nes'\n" + cat +
                                  ":4: cannot read screenshot 'shot_link.png'\n" + cat +
                                  ":5: the title holds '|' or a control character\n" + cat +
                                  ":6: the title holds '|' or a control character\n" + cat +
                                  ":7: a screenshot name holds '|' or a control character\n" + cat +
                                  ":8: cannot read game file 'pipe.nes'\n");
}

}  // namespace
