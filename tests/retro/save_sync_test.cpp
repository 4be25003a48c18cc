// The battery save's way to the server under every fault a play meets: the server's save never
// goes back and the count the game last wrote is kept somewhere.
#include "retro/logic/save_sync.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include "retro/logic/save_file.h"

namespace rx::retro {
namespace {

using source = save_start::source;

TEST(SaveStart, OnlyAWholeLoadThatFitsLetsThePlayStore) {
    struct row {
        load_status status;
        std::size_t server_size;
        bool local;
        source from;
        bool upload;
    };
    const row rows[] = {
        {load_status::whole, 8192, true, source::server, true},
        {load_status::whole, 0, true, source::fresh, true},  // absent: today's fresh start
        {load_status::whole, 4096, false, source::server, true},
        {load_status::whole, 8193, true, source::local, false},  // larger than the memory
        {load_status::failed, 0, true, source::local, false},
        {load_status::failed, 0, false, source::fresh, false},
        {load_status::cut, 8192, false, source::fresh, false},
        {load_status::too_large, 0, true, source::local, false},
        {load_status::none, 0, false, source::fresh, false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.status) * 100000 + static_cast<int>(r.server_size));
        save_start s = plan_save_start(r.status, r.server_size, 8192, r.local);
        EXPECT_EQ(s.from, r.from);
        EXPECT_EQ(s.upload, r.upload);
        // Whoever may not store is told, once, and why.
        EXPECT_EQ(s.notice.empty(), r.upload);
        if (!r.upload) {
            EXPECT_NE(s.notice.find("not on the server"), std::string::npos);
        }
    }
    EXPECT_NE(plan_save_start(load_status::cut, 8192, 8192, false).notice.find("incomplete"),
              std::string::npos);
}

TEST(SaveUploader, FailuresWaitLongerEachTimeUpToTheCap) {
    save_uploader u({0}, true, 0, 1000, 8000);
    u.local_written({1}, 1000);
    double now = 1000;
    const double waits[] = {2000, 4000, 8000, 8000};
    for (double wait : waits) {
        ASSERT_TRUE(u.upload_due(now));
        u.upload_started();
        EXPECT_FALSE(u.upload_due(now + 100000));  // one store at a time
        EXPECT_TRUE(u.upload_finished(store_status::refused, now).empty());
        EXPECT_FALSE(u.upload_due(now + wait - 1));
        now += wait;
    }
    ASSERT_TRUE(u.upload_due(now));
    u.upload_started();
    u.upload_finished(store_status::stored, now);
    EXPECT_EQ(u.failures(), 0);
    EXPECT_FALSE(u.final_upload_wanted());
}

TEST(SaveUploader, ALocalWriteFailureWaitsTheIntervalNotASecond) {
    save_uploader u({0}, true, 0, 10000);
    EXPECT_FALSE(u.local_due({1}, 9999));
    ASSERT_TRUE(u.local_due({1}, 10000));
    u.local_failed(10000);
    EXPECT_FALSE(u.local_due({1}, 11000));
    EXPECT_TRUE(u.local_due({1}, 20000));
}

// One play against a server that holds a count in the save's first byte.
struct fault_row {
    const char* name;
    load_status load;
    std::optional<unsigned char> server;  // the server's count before the play (none: absent)
    std::size_t server_size;              // its save's size
    std::optional<unsigned char> local;   // this computer's copy
    std::deque<store_status> outcomes;    // of the stores in order; then "stored"
    bool exit_during_last_store;          // the process ends before the last store's outcome
};

struct play_result {
    std::vector<unsigned char> server_counts;  // every count the server held, in order
    unsigned char local = 0;
    unsigned char last_written = 0;  // by the game
    bool stores_allowed_at_end = false;
};

constexpr std::size_t memory = 8192;

play_result play(const fault_row& r) {
    play_result out;
    std::optional<unsigned char> server = r.server;
    if (server) out.server_counts.push_back(*server);
    save_start start =
        plan_save_start(r.load, server ? r.server_size : 0, memory, r.local.has_value());
    save_bytes mem(memory, 0xFF);
    if (start.from == source::server) mem[0] = *server;
    if (start.from == source::local) mem[0] = *r.local;
    unsigned char count = mem[0] == 0xFF ? 0 : mem[0];
    std::optional<unsigned char> local = r.local;
    save_uploader u(mem, start.upload, 0, 10000, 40000);
    std::deque<store_status> outcomes = r.outcomes;
    auto store = [&](double now) {
        const save_bytes& sent = u.upload_started();
        store_status status = outcomes.empty() ? store_status::stored : outcomes.front();
        if (!outcomes.empty()) outcomes.pop_front();
        if (status == store_status::stored) {
            server = sent[0];
            out.server_counts.push_back(sent[0]);
        }
        u.upload_finished(status, now);
    };
    for (double now = 1000; now <= 300000; now += 1000) {
        if (static_cast<long>(now) % 7000 == 0) mem[0] = ++count;  // the game saves
        if (u.local_due(mem, now)) {
            u.local_written(mem, now);
            local = mem[0];
        }
        if (u.upload_due(now)) store(now);
    }
    if (u.local_due(mem, 1e18)) {
        u.local_written(mem, 1e18);
        local = mem[0];
    }
    out.stores_allowed_at_end = u.uploads_allowed();
    if (r.exit_during_last_store) {
        // The process ends mid-store: the server drops what did not arrive whole.
        u.upload_started();
    } else if (u.final_upload_wanted()) {
        store(1e18);
    }
    out.local = local.value_or(0);
    out.last_written = count;
    return out;
}

TEST(SaveFaults, TheServersSaveNeverGoesBackAndTheLastCountIsKept) {
    using st = store_status;
    const fault_row rows[] = {
        {"healthy", load_status::whole, 3, memory, 3, {}, false},
        {"failed load", load_status::failed, 3, memory, 1, {}, false},
        {"failed load, no local copy", load_status::failed, 3, memory, std::nullopt, {}, false},
        {"cut load", load_status::cut, 3, memory, 1, {}, false},
        {"server save larger than the memory", load_status::whole, 3, memory + 1, 1, {}, false},
        {"failed first store", load_status::whole, 3, memory, 3, {st::failed}, false},
        {"refused stores",
         load_status::whole,
         3,
         memory,
         3,
         {st::refused, st::refused, st::not_sent},
         false},
        {"taken over on another computer",
         load_status::whole,
         3,
         memory,
         3,
         {st::stored, st::taken_over},
         false},
        {"exit during a store", load_status::whole, 3, memory, 3, {}, true},
    };
    for (const fault_row& r : rows) {
        SCOPED_TRACE(r.name);
        play_result p = play(r);
        ASSERT_FALSE(p.server_counts.empty());
        for (std::size_t i = 1; i < p.server_counts.size(); ++i)
            EXPECT_GE(p.server_counts[i], p.server_counts[i - 1]);
        // No zero-filled or fresh save ever reaches the server.
        for (unsigned char c : p.server_counts) EXPECT_NE(c, 0);
        EXPECT_EQ(p.local, p.last_written);
        if (p.stores_allowed_at_end && !r.exit_during_last_store) {
            EXPECT_EQ(p.server_counts.back(), p.last_written);
        }
    }
}

TEST(SaveFile, TheClockTravelsBesideTheMemoryAndPlainSavesStayPlain) {
    const save_bytes memory(8192, 0x5A), clock{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(pack_save(memory, {}), memory);
    const save_bytes packed = pack_save(memory, clock);
    ASSERT_EQ(packed.size(), memory.size() + clock.size() + save_trailer_size);
    // The memory stays at the start, where other emulators and the tests look for the record.
    EXPECT_TRUE(std::equal(memory.begin(), memory.end(), packed.begin()));
    auto view = [](const save_bytes& b) {
        return std::string_view(reinterpret_cast<const char*>(b.data()), b.size());
    };
    unpacked_save back = unpack_save(view(packed));
    EXPECT_EQ(back.memory, memory);
    EXPECT_EQ(back.clock, clock);

    // Anything but a well-formed trailer of this version is memory alone.
    struct broken {
        const char* what;
        std::size_t at;
        unsigned char value;
    };
    const std::size_t trailer = packed.size() - save_trailer_size;
    const broken rows[] = {
        {"magic", trailer, 'Q'},           {"version", trailer + 4, 2},
        {"reserved byte", trailer + 6, 1}, {"memory size", trailer + 8, 1},
        {"clock size", trailer + 12, 9},
    };
    for (const broken& r : rows) {
        SCOPED_TRACE(r.what);
        save_bytes bad = packed;
        bad[r.at] = r.value;
        unpacked_save u = unpack_save(view(bad));
        EXPECT_EQ(u.memory, bad);
        EXPECT_TRUE(u.clock.empty());
    }
    EXPECT_TRUE(unpack_save(view(save_bytes(15, 0))).clock.empty());
    EXPECT_TRUE(unpack_save({}).memory.empty());
}

}  // namespace
}  // namespace rx::retro
