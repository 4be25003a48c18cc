// Fuzz target: rxlib's conversations with the game server (login, game download, load, save) fed
// with replies and stream bytes from the input.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "rxlib/logic/game_session.h"
#include "rxlib/logic/protocol.h"

namespace {

// A server whose every reply and byte comes from the fuzz input; it is gone once that is used up.
class fuzzed_server final : public rx::lib::game_channel {
  public:
    explicit fuzzed_server(rx::fuzz::input& in) : in_(in) {}
    bool send_token(std::string_view) override { return !in_.empty(); }
    bool send_secret(std::string_view) override { return !in_.empty(); }
    std::optional<std::string> receive_reply() override {
        if (in_.empty()) return std::nullopt;
        // One receive is at most 255 bytes and read up to its first NUL, as the real one is.
        std::string_view piece = in_.piece('\n');
        piece = piece.substr(0, rx::lib::reply_buffer_size - 1);
        return rx::lib::reply_text(piece.data(), piece.size());
    }
    bool send_bytes(const std::uint8_t*, std::size_t) override { return !in_.empty(); }
    long receive_bytes(std::uint8_t* data, std::size_t size) override {
        if (in_.empty()) return 0;
        std::size_t want = std::min<std::size_t>(size, 1 + in_.byte());
        std::string_view rest = in_.rest();
        std::size_t n = std::min(want, rest.size());
        std::memcpy(data, rest.data(), n);
        in_.piece_of(n);
        return static_cast<long>(n);
    }

  private:
    rx::fuzz::input& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rx::fuzz::input in(data, size);
    fuzzed_server server(in);
    rx::lib::session_observer quiet;
    std::string session_id;
    rx::lib::login(server, quiet, "player", "secret", true, session_id);

    constexpr std::size_t limit = 1 << 20;
    constexpr std::size_t max_compressed = 1 << 16;
    if (auto image = rx::lib::download_game(server, quiet, "g1", limit, max_compressed, false)) {
        rx::fuzz::check(image->size <= limit, "an image never exceeds the inflate limit");
    }

    std::vector<std::uint8_t> buffer(4096);
    rx::lib::load_result loaded =
        rx::lib::load_exchange(server, quiet, "s.sav", buffer.data(), buffer.size());
    if (loaded.size) rx::fuzz::check(*loaded.size <= buffer.size(), "a load fits its buffer");

    const std::uint8_t save[] = {1, 2, 3};
    rx::lib::save_exchange(server, quiet, "s.sav", save, sizeof save);
    return 0;
}
