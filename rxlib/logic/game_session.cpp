// Game server conversations in lock-step: every token is answered by one reply unless a step says
// otherwise.
#include "rxlib/logic/game_session.h"

#include <zlib.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/memory.h"
#include "platform/thread.h"
#include "rxlib/logic/protocol.h"

namespace rx::lib {
namespace {

// A block released with std::free. Blocks of megabytes are filled right after allocation, page by
// page; large pages make that several times cheaper than the data's own copying.
std::uint8_t* allocate(std::size_t size, bool zeroed) {
#ifndef _WIN32
    constexpr std::size_t align = platform::large_page_alignment;
    if (size >= align) {
        std::size_t rounded = (size + align - 1) / align * align;
        auto* block = static_cast<std::uint8_t*>(std::aligned_alloc(align, rounded));
        if (!block) return nullptr;
        platform::advise_large_pages(block, rounded);
        if (zeroed) std::memset(block, 0, size);
        return block;
    }
#endif
    // Windows' runtime has no aligned_alloc that std::free releases, and users get no large pages
    // there.
    if (size == 0) size = 1;
    return static_cast<std::uint8_t*>(zeroed ? std::calloc(size, 1) : std::malloc(size));
}

}  // namespace

stream_inflater::stream_inflater(std::size_t limit)
    : limit_(limit), out_(allocate(limit, false)), stream_(new z_stream{}) {
    if (out_ && inflateInit(stream_.get()) != Z_OK) {
        std::free(out_);
        out_ = nullptr;
    }
    stream_->next_out = out_;
    stream_->avail_out = static_cast<uInt>(limit_);
}

stream_inflater::~stream_inflater() {
    if (!out_) return;
    inflateEnd(stream_.get());
    std::free(out_);
}

void stream_inflater::feed(const std::uint8_t* data, std::size_t size) {
    if (failed_ || ended_) return;
    z_stream& stream = *stream_;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    // A full block with no input left is not yet a verdict: the stream's last bytes (its check
    // value, the end of its last block) need no room and may arrive with a later piece.
    while (stream.avail_in > 0) {
        int result = ::inflate(&stream, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            ended_ = true;
            return;
        }
        // No progress with input at hand: with room left the input is used up; with none left,
        // the image is larger than the limit.
        if (result == Z_BUF_ERROR && stream.avail_out > 0) return;
        if (result != Z_OK) {
            failed_ = true;
            return;
        }
    }
}

std::optional<game_image> stream_inflater::finish() {
    if (failed_ || !ended_ || !out_) return std::nullopt;
    const std::size_t produced = limit_ - stream_->avail_out;
    inflateEnd(stream_.get());
    // Shrinking hands the unused tail back without copying the image.
    void* shrunk = std::realloc(out_, produced ? produced : 1);
    game_image image;
    image.data = {static_cast<std::uint8_t*>(shrunk ? shrunk : out_), std::free};
    image.size = static_cast<std::uint32_t>(produced);
    out_ = nullptr;
    return image;
}

namespace {

// Inflates the image on a worker thread while its bytes arrive, so receiving (and the loading
// window's redraws) and inflating overlap; the image is ready soon after the last byte.
class background_inflater {
  public:
    background_inflater(const std::uint8_t* buffer, std::uint32_t total, std::size_t limit)
        : inflater_(limit), buffer_(buffer), total_(total) {}
    ~background_inflater() {
        stop();
        wait();
    }
    background_inflater(const background_inflater&) = delete;
    background_inflater& operator=(const background_inflater&) = delete;

    bool allocated() const { return inflater_.allocated(); }

    // Without a worker the image is inflated in finish(), after the last byte.
    void start() {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = platform::start_thread([this] { run(); }, platform::thread_priority::normal);
    }

    // The first `received` bytes of the buffer are in place.
    void arrived(std::uint32_t received) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_ = received;
        }
        changed_.notify_all();
    }

    std::optional<game_image> finish() {
        wait();
        if (consumed_ < total_) inflater_.feed(buffer_ + consumed_, total_ - consumed_);
        consumed_ = total_;
        return inflater_.finish();
    }

  private:
    void stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_all();
    }

    void wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !running_; });
    }

    void run() {
        while (consumed_ < total_) {
            std::uint32_t available = 0;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return stopped_ || received_ > consumed_; });
                if (stopped_) break;
                available = received_;
            }
            inflater_.feed(buffer_ + consumed_, available - consumed_);
            consumed_ = available;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            running_ = false;
        }
        changed_.notify_all();
    }

    stream_inflater inflater_;
    const std::uint8_t* buffer_;
    const std::uint32_t total_;
    std::uint32_t consumed_ = 0;  // the worker's while it runs, then the caller's
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint32_t received_ = 0;
    bool stopped_ = false;
    bool running_ = false;
};

// A token followed by one reply that is not examined.
bool exchange(game_channel& channel, std::string_view token) {
    return channel.send_token(token) && channel.receive_reply().has_value();
}

}  // namespace

bool login(game_channel& channel, session_observer& observer, std::string_view user_name,
           std::string_view password, bool fetch_session_id, std::string& session_id) {
    int attempts = 0;
    int restarts = 0;
    for (;;) {
        if (attempts >= 2) return false;
        if (!exchange(channel, user_name)) return false;
        if (!channel.send_secret(password)) return false;
        std::optional<std::string> reply = channel.receive_reply();
        if (!reply) return false;
        switch (classify_login_reply(*reply)) {
            case login_reply::ok: {
                if (!exchange(channel, client_address_token)) return false;
                if (!fetch_session_id) return true;
                if (!channel.send_token("id")) return false;
                std::optional<std::string> id = channel.receive_reply();
                if (!id) return false;
                session_id = *id;
                return true;
            }
            case login_reply::in_use:
                ++attempts;
                break;
            case login_reply::refused:
                observer.status(*reply);
                observer.wait_ms(3000);
                return false;
            case login_reply::other:
                // The server restarts the dialogue after anything it did not expect; it is not an
                // attempt. A server that never stops doing so would hold the emulator for good.
                if (++restarts > max_login_restarts) {
                    observer.log("Login restarted too often.");
                    return false;
                }
                break;
        }
    }
}

std::optional<game_image> download_game(game_channel& channel, session_observer& observer,
                                        std::string_view game_name, std::size_t limit,
                                        std::size_t max_compressed, bool overlap) {
    if (!exchange(channel, "op")) return std::nullopt;
    if (!channel.send_token(game_name)) return std::nullopt;
    std::optional<std::string> reply = channel.receive_reply();
    if (!reply) return std::nullopt;
    if (*reply != "ok") {
        observer.status(*reply);
        observer.wait_ms(3000);
        observer.log("Game load error.");
        observer.log(observer.error_text());
        return std::nullopt;
    }
    if (!channel.send_token("ok")) return std::nullopt;
    std::optional<std::string> size_reply = channel.receive_reply();
    if (!size_reply) return std::nullopt;
    std::optional<std::uint32_t> announced = leading_number(*size_reply);
    if (!announced || *announced > max_compressed) {
        observer.log("Invalid game size.");
        observer.log(*size_reply);
        return std::nullopt;
    }
    const std::uint32_t total = *announced;
    if (!channel.send_token("ok")) return std::nullopt;

    observer.show_progress();
    std::uint32_t chunk = total < download_chunk ? total : download_chunk;
    std::unique_ptr<std::uint8_t, void (*)(void*)> buffer{
        allocate(static_cast<std::size_t>(total) + 1, true), std::free};
    if (!buffer) {
        observer.log("Out of memory for the game.");
        return std::nullopt;
    }
    background_inflater inflater(buffer.get(), total, limit);
    if (!inflater.allocated()) {
        observer.log("Out of memory for the game.");
        return std::nullopt;
    }
    if (overlap) inflater.start();
    std::uint32_t received = 0;
    while (received < total) {
        long count = channel.receive_bytes(buffer.get() + received, chunk);
        if (count < 1) {
            observer.log("Failure recv game.");
            observer.log(observer.error_text());
            return std::nullopt;
        }
        received += static_cast<std::uint32_t>(count);
        inflater.arrived(received);
        if (total - received < chunk) chunk = total - received;
        observer.progress(received, total);
    }

    std::optional<game_image> image = inflater.finish();
    if (!image) {
        observer.log("Failure inflating game.");
        return std::nullopt;
    }
    return image;
}

save_outcome save_exchange(game_channel& channel, session_observer& observer,
                           std::string_view file_name, const std::uint8_t* data, std::size_t size,
                           std::string_view play_id) {
    auto refused = [&](const std::string& reply) {
        observer.log("Save refused: " + reply);
        observer.log(file_name);
        return save_outcome::refused;
    };
    if (!play_id.empty()) {
        // The id stands for the session: a failure to send it is logged without its text.
        if (!exchange(channel, "pl") || !channel.send_secret(play_id)) return save_outcome::failed;
        std::optional<std::string> reply = channel.receive_reply();
        if (!reply) return save_outcome::failed;
        if (*reply == taken_over_reply) {
            observer.log(taken_over_reply);
            return save_outcome::taken_over;
        }
    }
    if (!exchange(channel, "sv")) return save_outcome::failed;
    for (const std::string& token : {std::to_string(size), std::string(file_name)}) {
        if (!channel.send_token(token)) return save_outcome::failed;
        std::optional<std::string> reply = channel.receive_reply();
        if (!reply) return save_outcome::failed;
        // The server closes after these two refusals; nothing more is sent into the void.
        if (*reply == "Bad save size." || *reply == "Bad file name.") return refused(*reply);
    }
    if (!channel.send_bytes(data, size)) return save_outcome::failed;
    if (!channel.send_token("cl")) return save_outcome::failed;
    // The confirmation comes after the bytes; a server that sends none leaves the store unknown.
    std::optional<std::string> reply = channel.receive_reply();
    if (!reply) {
        observer.log("Save not confirmed.");
        observer.log(file_name);
        return save_outcome::failed;
    }
    if (*reply == "ok") return save_outcome::stored;
    if (*reply == taken_over_reply) {
        observer.log(taken_over_reply);
        return save_outcome::taken_over;
    }
    return refused(*reply);
}

load_result load_exchange(game_channel& channel, session_observer& observer,
                          std::string_view file_name, std::uint8_t* buffer, std::size_t capacity) {
    load_result result;
    if (!exchange(channel, "ld")) return result;
    if (!exchange(channel, file_name)) return result;
    if (!channel.send_token("ok")) return result;
    std::optional<std::string> size_reply = channel.receive_reply();
    if (!size_reply) return result;
    std::optional<std::uint32_t> number = leading_number(*size_reply);
    if (!number) {
        // A refusal ("Bad file name.") or noise is not a size: nothing is known of the save.
        observer.log("Save load refused: " + *size_reply);
        observer.log(file_name);
        return result;
    }
    const std::uint32_t announced = *number;
    result.size = announced > capacity ? 0u : announced;
    if (!channel.send_token("ok")) return result;

    if (announced > capacity) {
        // Too large to hold: read it off the connection so the server finishes cleanly, keep none
        // of it.
        observer.log("Save too large to load.");
        observer.log(file_name);
        std::uint8_t scratch[4096];
        std::uint32_t drained = 0;
        while (drained < announced) {
            std::size_t want =
                announced - drained < sizeof scratch ? announced - drained : sizeof scratch;
            long count = channel.receive_bytes(scratch, want);
            if (count < 1) break;
            drained += static_cast<std::uint32_t>(count);
        }
        result.size = 0u;
        result.outcome = load_outcome::too_large;
        result.completed = channel.send_token("cl");
        return result;
    }

    std::uint32_t received = 0;
    while (received < announced) {
        long count = channel.receive_bytes(buffer + received, announced - received);
        if (count < 1) break;
        received += static_cast<std::uint32_t>(count);
    }
    if (received < announced) {
        observer.log("Save load cut short: " + std::to_string(received) + " of " +
                     std::to_string(announced) + " bytes.");
        observer.log(file_name);
        result.outcome = load_outcome::cut;
        return result;
    }
    result.outcome = load_outcome::whole;
    result.completed = channel.send_token("cl");
    return result;
}

}  // namespace rx::lib
