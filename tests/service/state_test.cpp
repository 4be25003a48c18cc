// rx_service's state across restarts: an older data folder taken in, plays that outlive a restart,
// and saves that a SIGKILL in the middle of stores leaves whole.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "service_client.h"
#include "state_db.h"
#include "wait.h"

using namespace rx::service;
using namespace rx::service::test;
namespace fs = std::filesystem;

namespace {

// An operator's command on the data folder; its standard output, or "failed: ..." when it fails.
std::string operator_command(const std::string& data, const std::string& args) {
    FILE* out = ::popen((program_dir() + "/rx_service --data '" + data + "' " + args +
                         " --password-cost=min 2>/dev/null")
                            .c_str(),
                        "r");
    if (!out) return "failed: popen";
    std::string text;
    char chunk[4096];
    while (std::size_t n = std::fread(chunk, 1, sizeof chunk, out)) text.append(chunk, n);
    return ::pclose(out) == 0 ? text : "failed: " + text;
}

// Kept versions of a save, newest first, as the operator exports them.
std::vector<std::string> versions_of(const std::string& data, const std::string& user,
                                     const std::string& save) {
    std::vector<std::string> out;
    for (int n = 1; n <= 6; ++n) {
        const std::string bytes = operator_command(
            data, "--export-save '" + user + "' '" + save + "' " + std::to_string(n));
        if (bytes.rfind("failed: ", 0) == 0) break;
        out.push_back(bytes);
    }
    return out;
}

std::string store_word(game_client& c, const std::string& name, const std::string& bytes) {
    if (c.send("sv") != "ok" || c.send(std::to_string(bytes.size())) != "ok" ||
        c.send(name) != "ok")
        return "";
    c.send_raw(bytes);
    char reply[64];
    const ssize_t n = ::recv(c.fd(), reply, sizeof reply, 0);
    return n > 0 ? std::string(reply, static_cast<std::size_t>(n)) : "";
}

std::string load_bytes(game_client& c, const std::string& name) {
    if (c.send("ld") != "ok" || c.send(name) != "ok") return "no load";
    const std::string size = c.send("ok");
    if (size.empty() || size.find_first_not_of("0123456789") != std::string::npos)
        return "bad size " + size;
    c.send_only("ok");
    return c.receive_exactly(std::stoul(size));
}

void name_play(game_client& c, const std::string& play) {
    EXPECT_EQ(c.send("pl"), "ok");
    EXPECT_EQ(c.send(play), "ok");
}

struct legacy_row {
    std::string name;
    std::map<std::string, std::string> files;  // path in the data folder: bytes
    std::string login;                         // "user&password=..." that must work
    std::string user, save;
    std::vector<std::string> versions;  // newest first
    std::string summary;                // in the log line
};

TEST(StateImport, AnOlderDataFolderIsTakenInOnceOnTheFirstStart) {
    const std::string v = "save_versions/alice/game.sav/";
    const std::vector<legacy_row> rows = {
        {"plain accounts, permissions, a save with versions",
         {{"accounts.txt", "alice\tPw-Alice\t2\n"},
          {"authorized.txt", "alice\n"},
          {"saves/alice/game.sav", "third"},
          {v + "00000000000000000001", "first"},
          {v + "00000000000000000002", "second"},
          {v + "00000000000000000003", "third"}},
         "alice&password=Pw-Alice",
         "alice",
         "game.sav",
         {"third", "second", "first"},
         "imported 1 accounts (1 plain passwords hashed), 1 permissions, 1 saves with 3 versions"},
        {"a save from before versions, an escaped name; guest saves and torn writes left out",
         {{"accounts.txt", "bob\tPw-Bob\t1\n"},
          {"saves/bob/my%20game.sav", "kept"},
          {"saves/bob/my%20game.sav.tmp17", "torn"},
          {"saves/guest/s0011/g.sav", "anyone's"}},
         "bob&password=Pw-Bob",
         "bob",
         "my game.sav",
         {"kept"},
         "imported 1 accounts (1 plain passwords hashed), 0 permissions, 1 saves with 1 versions"},
        {"no accounts file: the sample's accounts",
         {},
         "demo&password=demo",
         "demo",
         "game.sav",
         {},
         "accounts (the sample's)"},
    };
    for (const legacy_row& r : rows) {
        SCOPED_TRACE(r.name);
        temp_dir data{"rx_import"};
        for (const auto& [path, bytes] : r.files) {
            fs::create_directories(fs::path(data.file(path)).parent_path());
            ASSERT_TRUE(rx::test::write_file(data.file(path), bytes));
        }
        for (int run = 0; run < 2; ++run) {
            service_process service({}, data.path());
            ASSERT_TRUE(service.started());
            EXPECT_EQ(
                body_of(get(service.http_port(), "/browser/checkuser.php?username=" + r.login))
                    .substr(0, 6),
                "||ok||");
            EXPECT_EQ(versions_of(data.path(), r.user, r.save), r.versions);
            if (run == 0 && r.files.count("authorized.txt")) {
                EXPECT_EQ(state_rows(data.path(), "SELECT name FROM authorized"),
                          std::vector<std::string>{r.user});
            }
            // The files are set aside; one dropped where they were is not read again.
            EXPECT_FALSE(fs::exists(data.file("saves")));
            EXPECT_FALSE(fs::exists(data.file("accounts.txt")));
            fs::create_directories(data.file("saves/" + r.user));
            ASSERT_TRUE(rx::test::write_file(data.file("saves/" + r.user + "/" + r.save), "new"));
            service.stop();
            fs::remove_all(data.file("saves"));
        }
        const std::string log = read_file(data.file("service.log"));
        EXPECT_NE(log.find(r.summary), std::string::npos) << log;
        EXPECT_EQ(log.find("state: created"), log.rfind("state: created")) << log;
        EXPECT_EQ(log.find("Pw-"), std::string::npos) << log;
        if (!r.files.empty()) {
            EXPECT_EQ(log.find(r.user), std::string::npos) << log;
        }
    }
}

TEST(StateImport, ADatabaseOfANewerVersionIsRefused) {
    temp_dir data{"rx_newer"};
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(data.file("state.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    service_process service({}, data.path());
    EXPECT_FALSE(service.started());
    EXPECT_NE(operator_command(data.path(), "--saves demo game.sav").find("failed"),
              std::string::npos);
}

TEST(StateRestart, APlayRunningAcrossARestartKeepsItsSessionCopyAndSaves) {
    temp_dir data{"rx_restart"};
    const game_record* single = find_game([](const game_record& g) {
        return g.copies == 1 && !g.sampler && g.image_size < (1u << 20);
    });
    ASSERT_NE(single, nullptr);
    std::string play, guest_play;
    {
        service_process service({}, data.path());
        ASSERT_TRUE(service.started());
        game_client c(service.game_port());
        ASSERT_EQ(c.login("demo", "demo"), "ok");
        play = c.send("id");
        ASSERT_EQ(c.send("op"), "ok");
        ASSERT_EQ(c.send(single->id), "ok");
        const std::string size = c.send("ok");
        c.send_only("ok");
        ASSERT_EQ(c.receive_exactly(std::stoul(size)).size(), std::stoul(size));
        name_play(c, play);
        EXPECT_EQ(store_word(c, "game.sav", "before the restart"), "ok");
        game_client guest(service.game_port());
        ASSERT_EQ(guest.login("guest", "guest"), "ok");
        guest_play = guest.send("id");
        name_play(guest, guest_play);
        EXPECT_EQ(store_word(guest, "g.sav", "a guest's progress"), "ok");
    }
    service_process service({}, data.path());
    ASSERT_TRUE(service.started());
    const int http = service.http_port();
    // The running game's keep-alive, its copy and its save store carry on.
    EXPECT_EQ(body_of(get(http, "/connection/assert_alive.php?username=demo&id=" + play)), "1");
    EXPECT_EQ(
        body_of(get(http, "/connection/clear_free_game_counter.php?username=demo&id=" + play)),
        "1");
    {
        game_client other(service.game_port());
        ASSERT_EQ(other.login("player", "secret"), "ok");
        EXPECT_EQ(other.send("op"), "ok");
        EXPECT_EQ(other.send(single->id), "All copies are in play.");
    }
    {
        game_client c(service.game_port());
        ASSERT_EQ(c.login("demo", "demo"), "ok");
        name_play(c, play);
        EXPECT_EQ(load_bytes(c, "game.sav"), "before the restart");
        EXPECT_EQ(store_word(c, "game.sav", "after the restart"), "ok");
        EXPECT_EQ(load_bytes(c, "game.sav"), "after the restart");
    }
    {
        // The guest's saves are still its play's, and still no one else's.
        game_client guest(service.game_port());
        ASSERT_EQ(guest.login("guest", "guest"), "ok");
        EXPECT_EQ(load_bytes(guest, "g.sav"), "");
        name_play(guest, guest_play);
        EXPECT_EQ(load_bytes(guest, "g.sav"), "a guest's progress");
    }
    // The session ends as any other: its copy is free again.
    EXPECT_EQ(body_of(get(http, "/connection/free_game.php?username=demo&id=" + play)),
              "||ok||EOL");
    EXPECT_EQ(body_of(get(http, "/connection/assert_alive.php?username=demo&id=" + play)), "0");
    game_client other(service.game_port());
    ASSERT_EQ(other.login("player", "secret"), "ok");
    EXPECT_EQ(other.send("op"), "ok");
    EXPECT_EQ(other.send(single->id), "ok");
    // No session id is written down: the database holds hashes of them.
    for (const auto& row : state_rows(data.path(), "SELECT id FROM sessions")) EXPECT_NE(row, play);
}

// rx_service started directly (not through a keeper process), so the test can SIGKILL it.
class killable_service {
  public:
    explicit killable_service(const std::string& data) {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, 2);
            ::dup2(out[1], 1);
            ::close(out[0]);
            const std::string program = program_dir() + "/rx_service";
            ::execl(program.c_str(), program.c_str(), "--data", data.c_str(), "--http-port", "0",
                    "--game-port", "0", "--test-hooks", "--password-cost=min", nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c;
        while (line.size() < 200) {
            pollfd p{out[0], POLLIN, 0};
            if (::poll(&p, 1, 10000) <= 0 || ::read(out[0], &c, 1) != 1 || c == '\n') break;
            line += c;
        }
        ::close(out[0]);
        int http = 0;
        if (std::sscanf(line.c_str(), "rx_service listening http=%d game=%d", &http, &game_port_) !=
            2)
            game_port_ = 0;
    }
    ~killable_service() { kill(); }
    int game_port() const { return game_port_; }
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int game_port_ = 0;
};

// Version `n` of client `c`'s save: a header naming it, then bytes only it has, of a size that
// changes from store to store (so a torn write would show as a wrong size or wrong bytes).
std::string version_bytes(int c, int n) {
    std::string bytes = "client " + std::to_string(c) + " version " + std::to_string(n) + "\n";
    const std::size_t size = 2000 + static_cast<std::size_t>(n * 7919 + c * 104729) % 120000;
    std::uint32_t x = static_cast<std::uint32_t>(c * 1000003 + n);
    while (bytes.size() < size) {
        x = x * 1664525u + 1013904223u;
        bytes += static_cast<char>(x >> 24);
    }
    return bytes;
}

// Which version of client `c` the bytes are, or 0 when they are none of them whole.
int version_in(int c, const std::string& bytes) {
    int client = 0, n = 0;
    if (std::sscanf(bytes.c_str(), "client %d version %d\n", &client, &n) != 2 || client != c ||
        n < 1)
        return 0;
    return version_bytes(c, n) == bytes ? n : 0;
}

TEST(StateCrash, SIGKILLDuringABurstOfStoresLeavesEverySaveWholeAndTheDatabaseSound) {
    temp_dir data{"rx_crash"};
    constexpr int clients = 4, acked_before_kill = 15;
    for (int c = 0; c < clients; ++c) {
        const std::string add = "printf 'pw" + std::to_string(c) + "\\n' | '" + program_dir() +
                                "/rx_service' --data '" + data.path() + "' --add-user crash" +
                                std::to_string(c) + " --full --password-cost=min 2>/dev/null";
        ASSERT_EQ(std::system(add.c_str()), 0);
    }
    killable_service service(data.path());
    ASSERT_GT(service.game_port(), 0);
    std::mutex mutex;
    std::condition_variable progress;
    int acked[clients] = {}, sent[clients] = {};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            game_client client(service.game_port());
            if (client.login("crash" + std::to_string(c), "pw" + std::to_string(c)) != "ok") return;
            for (int n = 1; !stop; ++n) {
                {
                    std::lock_guard lock(mutex);
                    sent[c] = n;
                }
                if (store_word(client, "crash.sav", version_bytes(c, n)) != "ok") return;
                std::lock_guard lock(mutex);
                acked[c] = n;
                progress.notify_all();
            }
        });
    {
        std::unique_lock lock(mutex);
        const bool all = progress.wait_for(lock, std::chrono::seconds(60), [&] {
            for (int c = 0; c < clients; ++c)
                if (acked[c] < acked_before_kill) return false;
            return true;
        });
        EXPECT_TRUE(all);
    }
    // Every client is in the middle of its next store.
    service.kill();
    stop = true;
    for (auto& t : threads) t.join();

    service_process again({}, data.path());
    ASSERT_TRUE(again.started());
    EXPECT_EQ(state_rows(data.path(), "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    for (int c = 0; c < clients; ++c) {
        SCOPED_TRACE("client " + std::to_string(c));
        game_client client(again.game_port());
        ASSERT_EQ(client.login("crash" + std::to_string(c), "pw" + std::to_string(c)), "ok");
        // What the client was told is kept stays; the newest may be the store cut off or the one
        // before it, but always whole.
        const int current = version_in(c, load_bytes(client, "crash.sav"));
        EXPECT_GE(current, acked[c]);
        EXPECT_LE(current, sent[c]);
        const auto kept = versions_of(data.path(), "crash" + std::to_string(c), "crash.sav");
        ASSERT_EQ(kept.size(), 5u);
        for (std::size_t i = 0; i < kept.size(); ++i)
            EXPECT_EQ(version_in(c, kept[i]), current - static_cast<int>(i)) << i;
    }
}

}  // namespace
