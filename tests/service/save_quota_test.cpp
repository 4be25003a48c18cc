// Save quotas per account and guest saves kept per play session: the accounting, and the game
// server refusing what does not fit and keeping guests apart.
#include "service/logic/save_quota.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <filesystem>

#include "service_client.h"
#include "state_db.h"
#include "wait.h"

using namespace rx::service;
using namespace rx::service::test;
namespace fs = std::filesystem;

namespace {

TEST(SaveQuota, WhatAStoreLeavesAndWhetherItFits) {
    const std::map<std::string, kept_save> held = {
        {"a", {true, 10, {10, 8, 6, 4, 2}}},  // five versions kept already
        {"b", {true, 5, {}}},                 // stored before versions were kept
    };
    EXPECT_EQ(use_of(held).saves, 2u);
    EXPECT_EQ(use_of(held).bytes, 45u);
    struct row {
        const char* name;
        std::uint64_t size;
        std::size_t saves;
        std::uint64_t bytes;
    };
    for (const row& r : std::vector<row>{
             {"a", 10, 2, 53},  // the oldest version (2) goes, the new one (10) comes
             {"a", 1, 2, 35},   // current 10 -> 1, versions 10 8 6 4 2 -> 1 10 8 6 4
             {"b", 7, 2, 59},   // the old save (5) becomes a version beside the new one
             {"c", 3, 3, 51},   // a new name: current and one version
         }) {
        const save_use after = use_after_store(held, r.name, r.size, 5);
        EXPECT_EQ(after.saves, r.saves) << r.name << " " << r.size;
        EXPECT_EQ(after.bytes, r.bytes) << r.name << " " << r.size;
    }
    const save_quota quota{2, 50};
    struct fit {
        save_use before, after;
        bool fits;
    };
    for (const fit& f : std::vector<fit>{
             {{2, 45}, {2, 50}, true},   // exactly at the quota
             {{2, 45}, {2, 51}, false},  // one byte over
             {{2, 45}, {3, 48}, false},  // one save too many
             {{3, 60}, {3, 58}, true},   // above a lowered quota, but holding less than before
             {{3, 60}, {3, 61}, false},  // above it and growing
             {{3, 40}, {3, 45}, true},   // too many saves already, none added, bytes within
         })
        EXPECT_EQ(store_fits(f.before, f.after, quota), f.fits)
            << f.before.saves << "/" << f.before.bytes << " -> " << f.after.saves << "/"
            << f.after.bytes;
}

void name_play(game_client& c, const std::string& play) {
    if (play.empty()) return;
    EXPECT_EQ(c.send("pl"), "ok");
    EXPECT_EQ(c.send(play), "ok");
}

// One store: logs in, names the play when given, and returns the server's word after the bytes.
std::string store(int port, const std::string& user, const std::string& play,
                  const std::string& name, const std::string& bytes) {
    game_client c(port);
    EXPECT_EQ(c.login(user, user), "ok");
    name_play(c, play);
    EXPECT_EQ(c.send("sv"), "ok");
    EXPECT_EQ(c.send(std::to_string(bytes.size())), "ok");
    EXPECT_EQ(c.send(name), "ok");
    c.send_raw(bytes);
    c.send_only("cl");
    char reply[64] = {};
    const ssize_t n = ::recv(c.fd(), reply, sizeof reply, 0);
    return n > 0 ? std::string(reply, static_cast<std::size_t>(n)) : "";
}

std::string load(int port, const std::string& user, const std::string& play,
                 const std::string& name) {
    game_client c(port);
    EXPECT_EQ(c.login(user, user), "ok");
    name_play(c, play);
    EXPECT_EQ(c.send("ld"), "ok");
    EXPECT_EQ(c.send(name), "ok");
    const std::string size = c.send("ok");
    c.send_only("ok");
    return c.receive_exactly(std::stoul(size));
}

TEST(SaveQuotas, AStoreBeyondTheQuotaIsRefusedAndTheOldSaveStays) {
    // Two saves, 16 KiB with their versions.
    service_process service({"--save-quota-saves=2", "--save-quota-kib=16"});
    ASSERT_TRUE(service.started()) << service.first_line();
    const int port = service.game_port();
    const std::string first(4096, 'a'), second(4096, 'b'), third(4096, 'c');
    ASSERT_EQ(store(port, "demo", "", "a.sav", first), "ok");                // 8 KiB
    ASSERT_EQ(store(port, "demo", "", "b.sav", "tiny"), "ok");               // two saves
    EXPECT_EQ(store(port, "demo", "", "c.sav", "x"), "Save not stored.");    // a third
    ASSERT_EQ(store(port, "demo", "", "a.sav", second), "ok");               // 12 KiB of a.sav
    EXPECT_EQ(store(port, "demo", "", "a.sav", third), "Save not stored.");  // 16 KiB + tiny ones
    EXPECT_EQ(load(port, "demo", "", "a.sav"), second);
    EXPECT_EQ(load(port, "demo", "", "c.sav"), "");
    // Other accounts have quotas of their own.
    EXPECT_EQ(store(port, "free", "", "c.sav", third), "ok");
    // A smaller save fits again where the larger did not.
    EXPECT_EQ(store(port, "demo", "", "a.sav", "small"), "ok");
    EXPECT_EQ(load(port, "demo", "", "a.sav"), "small");
}

std::string guest_session(int port) {
    game_client c(port);
    EXPECT_EQ(c.login("guest", "guest"), "ok");
    return c.send("id");
}

TEST(GuestSaves, EachGuestPlayHasItsOwnSavesAndTheyEndWithIt) {
    service_process service;
    ASSERT_TRUE(service.started()) << service.first_line();
    const int port = service.game_port();
    const std::string one = guest_session(port), two = guest_session(port);
    ASSERT_TRUE(is_session_id(one) && is_session_id(two)) << one << " " << two;
    ASSERT_EQ(store(port, "guest", one, "game.sav", "first guest's"), "ok");
    ASSERT_EQ(store(port, "guest", two, "game.sav", "second guest's"), "ok");
    EXPECT_EQ(load(port, "guest", one, "game.sav"), "first guest's");
    EXPECT_EQ(load(port, "guest", two, "game.sav"), "second guest's");
    // Without a play, or naming another account's, a guest has no saves to read or write.
    EXPECT_EQ(load(port, "guest", "", "game.sav"), "");
    EXPECT_EQ(store(port, "guest", "", "game.sav", "anyone's"), "Save not stored.");
    game_client demo(port);
    ASSERT_EQ(demo.login("demo", "demo"), "ok");
    const std::string demo_play = demo.send("id");
    EXPECT_EQ(load(port, "guest", demo_play, "game.sav"), "");
    // The play ends: its saves go with it.
    EXPECT_EQ(
        body_of(get(service.http_port(), "/connection/free_game.php?username=guest&id=" + one)),
        "||ok||EOL");
    EXPECT_TRUE(rx::test::wait_until([&] {
        return state_rows(service.data_dir(),
                          "SELECT count(DISTINCT owner) FROM saves WHERE owner LIKE 'guest%'") ==
               std::vector<std::string>{"1"};
    }));
    EXPECT_EQ(load(port, "guest", one, "game.sav"), "");
    EXPECT_EQ(load(port, "guest", two, "game.sav"), "second guest's");
}

}  // namespace
