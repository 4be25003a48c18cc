// Tests for the game server conversations against a scripted connection.
#include "rxlib/logic/game_session.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <deque>

#include "rxlib/logic/protocol.h"

namespace rx::lib {
namespace {

// Answers each token with the next scripted reply and serves raw bytes from a stream.
class scripted_channel : public game_channel {
  public:
    std::deque<std::string> replies;
    std::vector<std::string> sent;
    std::vector<std::uint8_t> stream;
    std::size_t stream_at = 0;
    std::vector<std::size_t> asked;  // sizes asked of receive_bytes
    std::vector<std::uint8_t> uploaded;
    bool fail_tokens = false;

    bool send_token(std::string_view text) override {
        if (fail_tokens) return false;
        sent.emplace_back(text);
        return true;
    }
    bool send_secret(std::string_view text) override { return send_token(text); }
    std::optional<std::string> receive_reply() override {
        if (replies.empty()) return std::nullopt;
        std::string r = replies.front();
        replies.pop_front();
        return r;
    }
    bool send_bytes(const std::uint8_t* data, std::size_t size) override {
        uploaded.assign(data, data + size);
        sent.push_back("<bytes>");
        return true;
    }
    long receive_bytes(std::uint8_t* data, std::size_t size) override {
        asked.push_back(size);
        std::size_t n = std::min(size, stream.size() - stream_at);
        std::copy_n(stream.begin() + static_cast<long>(stream_at), n, data);
        stream_at += n;
        return static_cast<long>(n);
    }
};

class recording_observer : public session_observer {
  public:
    std::vector<std::string> statuses, logs;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> progress_calls;
    std::vector<unsigned> waits;
    bool progress_shown = false;
    void status(std::string_view s) override { statuses.emplace_back(s); }
    void show_progress() override { progress_shown = true; }
    void progress(std::uint32_t r, std::uint32_t t) override { progress_calls.emplace_back(r, t); }
    void wait_ms(unsigned ms) override { waits.push_back(ms); }
    void log(std::string_view s) override { logs.emplace_back(s); }
};

std::vector<std::uint8_t> compress_bytes(const std::vector<std::uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    EXPECT_EQ(compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

std::vector<std::uint8_t> pattern(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    std::uint32_t x = 12345;
    for (auto& b : v) {
        x = x * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(x >> 24);
    }
    return v;
}

TEST(Login, SendsNamePasswordAddressAndFetchesTheSessionId) {
    scripted_channel c;
    c.replies = {"?", "ok", "hi", "SESSION42"};
    recording_observer o;
    std::string id;
    ASSERT_TRUE(login(c, o, "alice", "pw", true, id));
    EXPECT_EQ(id, "SESSION42");
    EXPECT_EQ(c.sent,
              (std::vector<std::string>{"alice", "pw", std::string(client_address_token), "id"}));
}

TEST(Login, WithoutSessionIdStopsAfterTheAddress) {
    scripted_channel c;
    c.replies = {"?", "ok", "hi"};
    recording_observer o;
    std::string id = "before";
    ASSERT_TRUE(login(c, o, "a", "p", false, id));
    EXPECT_EQ(id, "before");
    EXPECT_EQ(c.sent.size(), 3u);
}

TEST(Login, UserInUseOnceThenOkSucceedsTwiceFails) {
    const std::string in_use(in_use_reply);
    scripted_channel once;
    once.replies = {"?", in_use, "?", "ok", "?", "id1"};
    recording_observer o;
    std::string id;
    EXPECT_TRUE(login(once, o, "a", "p", true, id));
    EXPECT_EQ(id, "id1");

    scripted_channel twice;
    twice.replies = {"?", in_use, "?", in_use, "?", "ok", "?", "id"};
    EXPECT_FALSE(login(twice, o, "a", "p", true, id));
    EXPECT_EQ(twice.sent, (std::vector<std::string>{"a", "p", "a", "p"}));
    EXPECT_TRUE(o.statuses.empty());
}

TEST(Login, RefusalIsShownForThreeSeconds) {
    scripted_channel c;
    c.replies = {"?", std::string(refused_reply)};
    recording_observer o;
    std::string id;
    EXPECT_FALSE(login(c, o, "a", "p", true, id));
    EXPECT_EQ(o.statuses, (std::vector<std::string>{std::string(refused_reply)}));
    EXPECT_EQ(o.waits, (std::vector<unsigned>{3000}));
}

TEST(Login, UnknownRepliesRestartWithoutCountingAnAttempt) {
    scripted_channel c;
    c.replies = {"?", "what", "?", "huh", "?", "ok", "?", "id"};
    recording_observer o;
    std::string id;
    EXPECT_TRUE(login(c, o, "a", "p", true, id));
    EXPECT_EQ(c.sent.size(), 8u);
}

TEST(Login, EndlessUnexpectedRepliesGiveUp) {
    scripted_channel c;
    for (int i = 0; i <= max_login_restarts; ++i) c.replies.insert(c.replies.end(), {"?", "what"});
    c.replies.insert(c.replies.end(), {"?", "ok", "?", "id"});
    recording_observer o;
    std::string id;
    EXPECT_FALSE(login(c, o, "a", "p", true, id));
    EXPECT_EQ(c.sent.size(), 2u * (max_login_restarts + 1));
    EXPECT_EQ(o.logs, (std::vector<std::string>{"Login restarted too often."}));
}

TEST(Login, ServerSilenceFails) {
    scripted_channel c;
    c.replies = {"?"};
    recording_observer o;
    std::string id;
    EXPECT_FALSE(login(c, o, "a", "p", true, id));
}

TEST(DownloadGame, ReceivesInChunksReportsProgressAndInflates) {
    std::vector<std::uint8_t> raw = pattern(300000);
    scripted_channel c;
    c.stream = compress_bytes(raw);
    const auto n = static_cast<std::uint32_t>(c.stream.size());
    c.replies = {"?", "ok", std::to_string(n)};
    recording_observer o;
    auto image = download_game(c, o, "game7", inflate_limit, inflate_limit * 2);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->size, raw.size());
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), image->data.get()));
    EXPECT_EQ(c.sent, (std::vector<std::string>{"op", "game7", "ok", "ok"}));
    EXPECT_TRUE(o.progress_shown);
    ASSERT_FALSE(c.asked.empty());
    ASSERT_GT(n, download_chunk);
    EXPECT_EQ(c.asked.front(), download_chunk);
    for (std::size_t s : c.asked) EXPECT_LE(s, download_chunk);
    // The last receive asks for exactly what is missing.
    EXPECT_EQ(c.asked.back(), n % download_chunk == 0 ? download_chunk : n % download_chunk);
    ASSERT_FALSE(o.progress_calls.empty());
    EXPECT_EQ(o.progress_calls.back(), std::make_pair(n, n));
    for (auto& p : o.progress_calls) EXPECT_GT(p.first, 0u);
}

TEST(DownloadGame, SmallImageIsAskedForInOneReceiveOfItsSize) {
    scripted_channel c;
    c.stream = compress_bytes(pattern(100));
    ASSERT_LT(c.stream.size(), download_chunk);
    c.replies = {"?", "ok", std::to_string(c.stream.size())};
    recording_observer o;
    ASSERT_TRUE(download_game(c, o, "g", inflate_limit, inflate_limit));
    EXPECT_EQ(c.asked, (std::vector<std::size_t>{c.stream.size()}));
}

TEST(DownloadGame, ZeroSizeMakesNoReceiveNoProgressAndFailsTheInflate) {
    scripted_channel c;
    c.replies = {"?", "ok", "0"};
    recording_observer o;
    EXPECT_FALSE(download_game(c, o, "g", inflate_limit, inflate_limit));
    EXPECT_TRUE(c.asked.empty());
    EXPECT_TRUE(o.progress_calls.empty());
}

TEST(DownloadGame, ErrorReplyToTheGameIsShownAndLogged) {
    scripted_channel c;
    c.replies = {"?", "Game not found"};
    recording_observer o;
    EXPECT_FALSE(download_game(c, o, "g", inflate_limit, inflate_limit));
    EXPECT_EQ(o.statuses, (std::vector<std::string>{"Game not found"}));
    EXPECT_EQ(o.waits, (std::vector<unsigned>{3000}));
    ASSERT_FALSE(o.logs.empty());
    EXPECT_EQ(o.logs.front(), "Game load error.");
}

TEST(DownloadGame, TruncatedStreamFailsWithoutAnImage) {
    scripted_channel c;
    std::vector<std::uint8_t> full = compress_bytes(pattern(50000));
    c.stream.assign(full.begin(), full.begin() + 10000);
    c.replies = {"?", "ok", std::to_string(full.size())};
    recording_observer o;
    EXPECT_FALSE(download_game(c, o, "g", inflate_limit, inflate_limit));
    ASSERT_FALSE(o.logs.empty());
    EXPECT_EQ(o.logs.front(), "Failure recv game.");
}

// Every announced byte arrives, but the stream they start never reaches its end: just its header,
// most of it, and all but the last byte of its check value.
TEST(DownloadGame, StreamThatNeverEndsFailsTheInflateWithoutAnImage) {
    const std::vector<std::uint8_t> full = compress_bytes(pattern(50000));
    for (std::size_t cut : {std::size_t{2}, std::size_t{10000}, full.size() - 1}) {
        scripted_channel c;
        c.stream.assign(full.begin(), full.begin() + static_cast<long>(cut));
        c.replies = {"?", "ok", std::to_string(cut)};
        recording_observer o;
        EXPECT_FALSE(download_game(c, o, "g", inflate_limit, inflate_limit)) << cut;
        EXPECT_EQ(c.stream_at, cut);
        EXPECT_EQ(o.logs, (std::vector<std::string>{"Failure inflating game."})) << cut;
    }
}

TEST(DownloadGame, CorruptOrOversizedImagesAreRefused) {
    scripted_channel corrupt;
    corrupt.stream = compress_bytes(pattern(5000));
    corrupt.stream[corrupt.stream.size() / 2] ^= 0xff;
    corrupt.replies = {"?", "ok", std::to_string(corrupt.stream.size())};
    recording_observer o;
    EXPECT_FALSE(download_game(corrupt, o, "g", inflate_limit, inflate_limit));

    scripted_channel big;
    big.stream = compress_bytes(std::vector<std::uint8_t>(5000, 7));
    big.replies = {"?", "ok", std::to_string(big.stream.size())};
    EXPECT_FALSE(download_game(big, o, "g", 4999, inflate_limit));
    // Exactly at the limit is taken.
    big.stream_at = 0;
    big.replies = {"?", "ok", std::to_string(big.stream.size())};
    auto exact = download_game(big, o, "g", 5000, inflate_limit);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->size, 5000u);
}

TEST(DownloadGame, AnnouncedSizeBeyondTheBoundIsRefusedBeforeAllocating) {
    scripted_channel c;
    c.replies = {"?", "ok", "4000000000"};
    recording_observer o;
    EXPECT_FALSE(download_game(c, o, "g", inflate_limit, inflate_limit));
    EXPECT_TRUE(c.asked.empty());
    EXPECT_EQ(c.sent.size(), 3u);  // the second "ok" is never sent
}

// Each row scripts the server's replies to one store and names the outcome the emulator reads.
TEST(SaveExchange, OutcomeFollowsTheServersWords) {
    struct row {
        const char* name;
        std::string play_id;
        std::deque<std::string> replies;
        save_outcome outcome;
        std::vector<std::string> sent;
    };
    const std::vector<std::string> whole{"sv", "65537", "game.sav", "<bytes>", "cl"};
    const std::vector<row> rows{
        {"confirmed", "", {"ok", "ok", "ok", "ok"}, save_outcome::stored, whole},
        {"no confirmation (an older server)", "", {"?", "?", "?"}, save_outcome::failed, whole},
        {"write failed on the server",
         "",
         {"ok", "ok", "ok", "Save not stored."},
         save_outcome::refused,
         whole},
        {"size refused", "", {"ok", "Bad save size."}, save_outcome::refused, {"sv", "65537"}},
        {"name refused",
         "",
         {"ok", "ok", "Bad file name."},
         save_outcome::refused,
         {"sv", "65537", "game.sav"}},
        {"silence after the size", "", {"ok"}, save_outcome::failed, {"sv", "65537"}},
        {"play named and current",
         "id7",
         {"ok", "ok", "ok", "ok", "ok", "ok"},
         save_outcome::stored,
         {"pl", "id7", "sv", "65537", "game.sav", "<bytes>", "cl"}},
        {"play unknown to the server goes on",
         "id7",
         {"Unknown command.", "Unknown command.", "ok", "ok", "ok", "ok"},
         save_outcome::stored,
         {"pl", "id7", "sv", "65537", "game.sav", "<bytes>", "cl"}},
        {"play taken over before the store",
         "id7",
         {"ok", "Continued on another computer."},
         save_outcome::taken_over,
         {"pl", "id7"}},
        {"play taken over during the store",
         "id7",
         {"ok", "ok", "ok", "ok", "ok", "Continued on another computer."},
         save_outcome::taken_over,
         {"pl", "id7", "sv", "65537", "game.sav", "<bytes>", "cl"}},
    };
    std::vector<std::uint8_t> data = pattern(65537);
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        scripted_channel c;
        c.replies = r.replies;
        recording_observer o;
        EXPECT_EQ(save_exchange(c, o, "game.sav", data.data(), data.size(), r.play_id), r.outcome);
        EXPECT_EQ(c.sent, r.sent);
        if (r.outcome == save_outcome::stored) {
            EXPECT_EQ(c.uploaded, data);
        } else if (r.outcome != save_outcome::failed) {
            // A failed step is logged by the channel; the server's own refusals here.
            EXPECT_FALSE(o.logs.empty());
        }
    }
}

TEST(LoadExchange, FillsTheBufferAndReportsTheAnnouncedSize) {
    scripted_channel c;
    c.stream = pattern(70000);
    c.replies = {"?", "?", "70000"};
    recording_observer o;
    std::vector<std::uint8_t> buffer(save_buffer_size, 0);
    load_result r = load_exchange(c, o, "x.sav", buffer.data(), buffer.size());
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.outcome, load_outcome::whole);
    EXPECT_EQ(r.size, 70000u);
    EXPECT_TRUE(std::equal(c.stream.begin(), c.stream.end(), buffer.begin()));
    EXPECT_EQ(c.sent, (std::vector<std::string>{"ld", "x.sav", "ok", "ok", "cl"}));
}

TEST(LoadExchange, EarlyCloseIsReportedCutAndLogged) {
    scripted_channel c;
    c.stream = pattern(100);
    c.replies = {"?", "?", "500"};
    recording_observer o;
    std::vector<std::uint8_t> buffer(1000, 0);
    load_result r = load_exchange(c, o, "x", buffer.data(), buffer.size());
    EXPECT_EQ(r.size, 500u);
    EXPECT_EQ(r.outcome, load_outcome::cut);
    EXPECT_EQ(buffer[100], 0);
    ASSERT_FALSE(o.logs.empty());
    EXPECT_EQ(o.logs.front(), "Save load cut short: 100 of 500 bytes.");
}

TEST(LoadExchange, AbsentSaveIsWholeWithSizeZeroButARefusalIsAFailure) {
    std::uint8_t buffer[16];
    scripted_channel absent;
    absent.replies = {"ok", "ok", "0"};
    recording_observer o;
    load_result r = load_exchange(absent, o, "x", buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, load_outcome::whole);
    EXPECT_EQ(r.size, 0u);
    scripted_channel refused;
    refused.replies = {"ok", "Bad file name."};
    r = load_exchange(refused, o, "x", buffer, sizeof buffer);
    EXPECT_EQ(r.outcome, load_outcome::failed);
    EXPECT_FALSE(r.size);
}

TEST(LoadExchange, OversizedSaveIsDrainedNeverWrittenAndReportedEmpty) {
    scripted_channel c;
    c.stream = pattern(3000);
    c.replies = {"?", "?", "3000"};
    recording_observer o;
    std::vector<std::uint8_t> buffer(2000 + 16, 0xEE);
    load_result r = load_exchange(c, o, "big", buffer.data(), 2000);
    EXPECT_EQ(r.size, 0u);
    EXPECT_EQ(r.outcome, load_outcome::too_large);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(c.stream_at, 3000u);  // drained
    for (std::uint8_t b : buffer) ASSERT_EQ(b, 0xEE);
    ASSERT_FALSE(o.logs.empty());
    EXPECT_EQ(o.logs.front(), "Save too large to load.");
}

TEST(LoadExchange, FailureBeforeTheSizeLeavesItUnknown) {
    scripted_channel c;
    c.replies = {"?"};
    recording_observer o;
    std::uint8_t buffer[16];
    load_result r = load_exchange(c, o, "x", buffer, sizeof buffer);
    EXPECT_FALSE(r.size);
    EXPECT_FALSE(r.completed);
    EXPECT_EQ(r.outcome, load_outcome::failed);
}

// An image of exactly the limit whose last compressed bytes come in a later piece: the full block
// with nothing left to read is no verdict yet.
TEST(StreamInflater, ExactLimitTakesTheLastBytesFromALaterPiece) {
    const std::size_t limit = 1024 * 1024;
    for (const bool random : {true, false}) {
        std::vector<std::uint8_t> raw = pattern(limit);
        if (!random)
            for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<std::uint8_t>(i / 7);
        const std::vector<std::uint8_t> packed = compress_bytes(raw);
        for (std::size_t held = 1; held <= 8; ++held) {
            SCOPED_TRACE(std::to_string(held) + (random ? " random" : " repeating"));
            stream_inflater inflater(limit);
            ASSERT_TRUE(inflater.allocated());
            inflater.feed(packed.data(), packed.size() - held);
            inflater.feed(packed.data() + packed.size() - held, held);
            std::optional<game_image> image = inflater.finish();
            ASSERT_TRUE(image);
            ASSERT_EQ(image->size, limit);
            EXPECT_TRUE(std::equal(raw.begin(), raw.end(), image->data.get()));
        }
        // One byte less room is still refused, however the pieces come.
        stream_inflater small(limit - 1);
        small.feed(packed.data(), packed.size() - 4);
        small.feed(packed.data() + packed.size() - 4, 4);
        EXPECT_FALSE(small.finish());
    }
}

}  // namespace
}  // namespace rx::lib
