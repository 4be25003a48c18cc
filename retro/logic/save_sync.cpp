// The battery save's way to the game server: what a load allows, when to store, how to retry.
#include "retro/logic/save_sync.h"

#include <algorithm>

namespace rx::retro {
namespace {

const char* const not_kept =
    " This play's progress is kept on this computer only, not on the server.";

const char* reason(load_status status) {
    switch (status) {
        case load_status::cut:
            return "it arrived incomplete";
        case load_status::too_large:
            return "it is larger than a save may be";
        default:
            return "the server could not be reached";
    }
}

}  // namespace

save_start plan_save_start(load_status status, std::size_t server_size, std::size_t memory_size,
                           bool local_usable) {
    save_start start;
    const save_start::source fallback =
        local_usable ? save_start::source::local : save_start::source::fresh;
    const char* starting = local_usable ? " The game goes on from the save on this computer."
                                        : " The game starts without a save.";
    if (status == load_status::whole && server_size <= memory_size) {
        start.from = server_size > 0 ? save_start::source::server : save_start::source::fresh;
        start.upload = true;
        return start;
    }
    start.from = fallback;
    if (status == load_status::whole) {
        // Storing this play's memory would cut the player's larger save on the server.
        start.notice = std::string(
                           "The save on the server is larger than this game's memory and "
                           "is left as it is.") +
                       starting + not_kept;
    } else {
        start.notice = std::string("The save could not be fetched from the server (") +
                       reason(status) + ")." + starting + not_kept;
    }
    return start;
}

save_uploader::save_uploader(save_bytes memory, bool upload, double now_ms, double interval_ms,
                             double max_backoff_ms)
    : confirmed_(std::move(memory)),
      upload_(upload),
      local_next_(now_ms + interval_ms),
      upload_next_(now_ms + interval_ms),
      interval_ms_(interval_ms),
      max_backoff_ms_(max_backoff_ms) {
    written_ = confirmed_;
}

bool save_uploader::local_due(const save_bytes& current, double now_ms) const {
    return now_ms >= local_next_ && current != written_;
}

void save_uploader::local_written(const save_bytes& bytes, double now_ms) {
    written_ = bytes;
    local_next_ = now_ms + interval_ms_;
}

void save_uploader::local_failed(double now_ms) {
    local_next_ = now_ms + interval_ms_;
}

bool save_uploader::upload_due(double now_ms) const {
    return upload_ && !busy_ && written_ != confirmed_ && now_ms >= upload_next_;
}

const save_bytes& save_uploader::upload_started() {
    busy_ = true;
    in_flight_ = written_;
    return in_flight_;
}

std::string save_uploader::upload_finished(store_status status, double now_ms) {
    busy_ = false;
    if (status == store_status::stored) {
        confirmed_ = std::move(in_flight_);
        failures_ = 0;
        upload_next_ = now_ms + interval_ms_;
        return {};
    }
    if (status == store_status::taken_over) {
        if (!upload_) return {};
        upload_ = false;
        return "This game was continued on another computer; the save there is kept and this "
               "play's progress is no longer stored on the server.";
    }
    ++failures_;
    double wait = interval_ms_;
    for (int i = 0; i < failures_ && wait < max_backoff_ms_; ++i) wait *= 2;
    upload_next_ = now_ms + std::min(wait, max_backoff_ms_);
    return {};
}

bool save_uploader::final_upload_wanted() const {
    return upload_ && !busy_ && written_ != confirmed_;
}

}  // namespace rx::retro
