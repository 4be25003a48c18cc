// When the battery save may go to the game server and what the player is told when it may not:
// the server's copy is only ever replaced after it was read whole or found absent.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rx::retro {

using save_bytes = std::vector<unsigned char>;

// How rxlib's last load ended (rx_get_load_status).
enum class load_status : std::int32_t { none = 0, whole = 1, failed = 2, cut = 3, too_large = 4 };
// How rxlib's last store ended (rx_get_save_status).
enum class store_status : std::int32_t {
    none = 0,
    stored = 1,
    failed = 2,
    refused = 3,
    taken_over = 4,
    not_sent = 5,
};

// Where the game's save memory starts from, whether this play may store on the server, and what to
// tell the player (once) when it may not.
struct save_start {
    enum class source { server, local, fresh };
    source from = source::fresh;
    bool upload = false;
    std::string notice;  // empty when the play's progress is kept on the server as usual
};

// `server_size`: the save the load brought (when whole; 0 is none), `memory_size`: the core's save
// memory, `local_usable`: this game's copy on this computer fits the memory.
save_start plan_save_start(load_status status, std::size_t server_size, std::size_t memory_size,
                           bool local_usable);

// Keeps the save memory on this computer and on the server during play. The local copy is written
// at most once an interval (a failing disk is retried no sooner); the server gets what the local
// copy holds, one store at a time, after the interval, and a refused or failed store is tried again
// after a wait that doubles up to `max_backoff_ms`.
class save_uploader {
  public:
    static constexpr double default_interval_ms = 10000;
    static constexpr double default_max_backoff_ms = 300000;

    // `memory`: the save memory as play starts, taken as both on this computer and on the server
    // (restored from there, or the fresh memory of a game the server holds no save of): nothing
    // is stored before the game changes it.
    save_uploader(save_bytes memory, bool upload, double now_ms,
                  double interval_ms = default_interval_ms,
                  double max_backoff_ms = default_max_backoff_ms);

    bool local_due(const save_bytes& current, double now_ms) const;
    void local_written(const save_bytes& bytes, double now_ms);
    void local_failed(double now_ms);

    // The local copy holds bytes the server has not confirmed, no store is on its way and the wait
    // is over.
    bool upload_due(double now_ms) const;
    // The bytes a store about to start carries: the local copy's.
    const save_bytes& upload_started();
    // The outcome of the store started last; a text to tell the player when this play's stores
    // are refused from now on (once), else empty.
    std::string upload_finished(store_status status, double now_ms);
    // At the end of play: one more store is wanted when the local copy differs from what the
    // server confirmed.
    bool final_upload_wanted() const;

    bool uploads_allowed() const { return upload_; }
    const save_bytes& confirmed() const { return confirmed_; }
    int failures() const { return failures_; }

  private:
    save_bytes confirmed_;
    save_bytes written_;
    save_bytes in_flight_;
    bool upload_;
    bool busy_ = false;
    int failures_ = 0;
    double local_next_;
    double upload_next_;
    double interval_ms_;
    double max_backoff_ms_;
};

}  // namespace rx::retro
