// The update run: the manifest and its signature checked whole, every file downloaded with its
// signed size and hash, unpacked and verified beside its target, then all swapped in at once; any
// failure takes back everything this run wrote.
#include "updater/update.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <fstream>
#include <future>
#include <optional>
#include <system_error>
#include <vector>

#include "common/guard.h"
#include "platform/file.h"
#include "platform/install.h"
#include "platform/path.h"
#include "updater/logic/gunzip.h"
#include "updater/logic/manifest.h"
#include "updater/logic/release.h"
#include "updater/logic/signature.h"

namespace rx::updater {

namespace {

using steady = std::chrono::steady_clock;

constexpr int header_line_feeds = 10;
// The record holds a line per location; nothing the updater wrote comes near this.
constexpr std::size_t max_record_bytes = 64 * 1024;

// When `bytes` must have arrived at the least speed, counted from `start` after the grace.
steady::time_point deadline_for(steady::time_point start, std::uint64_t bytes,
                                const update_settings& settings) {
    const std::uint64_t speed =
        settings.min_bytes_per_second == 0 ? 1 : settings.min_bytes_per_second;
    const std::uint64_t ms = bytes / speed * 1000 + bytes % speed * 1000 / speed;
    return start + std::chrono::milliseconds(settings.grace_ms) + std::chrono::milliseconds(ms);
}

std::string parent_folder(const std::string& path) {
    const auto separator = path.rfind(platform::path_separator);
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string free_name(const std::string& path, const char* suffix) {
    for (int n = 0;; ++n) {
        std::string candidate = path + suffix + (n == 0 ? std::string() : std::to_string(n));
        if (platform::kind_of(candidate) == platform::path_kind::missing) return candidate;
    }
}

class update_run {
  public:
    explicit update_run(const update_settings& settings)
        : settings_(settings),
          update_folder_(platform::join_path(settings.program_folder, "update")),
          record_path_(
              platform::join_path(settings.program_folder, std::string(release_record_name))),
          started_(steady::now()) {}

    // Whatever this run wrote goes again unless it finished: downloads, staged files, new folders.
    ~update_run() {
        if (unpacking_.valid()) unpacking_.wait();
        for (const std::string& path : staged_) platform::remove_file(path);
        remove_downloads();
        if (!succeeded_) {
            for (auto it = made_folders_.rbegin(); it != made_folders_.rend(); ++it)
                platform::remove_empty_folder(*it);
        }
    }

    bool run() {
        if (!valid_location(settings_.location)) {
            log("Failure checking location - get_file_manifest");
            return false;
        }
        // Nothing is written before the service's key has vouched for the manifest.
        if (!fetch_manifest()) return false;
        std::uint64_t signed_bytes = 0;
        for (const signed_file& file : signature_.files) signed_bytes += file.size;
        update_deadline_ = deadline_for(started_, signed_bytes, settings_);
        if (!platform::create_folders(update_folder_, &made_folders_)) {
            log("Failure creating the update folder - get_file_manifest");
            return false;
        }
        // Each file is unpacked beside its target while the next one downloads, so the two cores
        // share the work as a download piped into gzip would; at most one unpacking runs at a time.
        std::vector<platform::file_swap> swaps(manifest_.entries.size());
        for (std::size_t i = 0; i < manifest_.entries.size(); ++i) {
            const std::string& entry = manifest_.entries[i];
            if (!download_update(entry, signature_.files[i])) return false;
            if (!finish_unpacking()) return false;
            if (!file_name(entry, swaps[i])) return false;
        }
        if (!finish_unpacking()) return false;
        const std::string failure = platform::swap_in_files(swaps);
        if (!failure.empty()) {
            log("Failure installing files - file_name: " + failure);
            return false;
        }
        staged_.clear();
        succeeded_ = true;
        // Only now is the release in; recorded before, a failed swap would lock it out.
        std::string record = with_release(record_, settings_.location, signature_.release);
        if (signature_.next_key)
            record = with_trusted_key(record, to_hex(signature_.next_key->data(), 32));
        const std::string failed = platform::replace_file(record_path_, record);
        if (!failed.empty()) {
            log("Failure recording the release - get_file_manifest: " + failed);
            return false;
        }
        return true;
    }

  private:
    void log(std::string_view text) const {
        if (settings_.log) settings_.log(text);
    }

    web::request request_for(std::string target, web::receive_mode mode) const {
        web::request req;
        req.host = settings_.catalogue;
        req.target = std::move(target);
        req.version = "HTTP/1.0";
        req.mode = mode;
        req.chunk_size = 2048;
        req.silence_ms = settings_.silence_ms;
        return req;
    }

    // Room left in the request buffer for an entry once the rest of a download's request is known.
    std::size_t max_entry_length() const {
        const web::request req =
            request_for("/clients/update/" + settings_.location, web::receive_mode::none);
        const std::size_t fixed = web::format_request(req).size() + 1;
        return fixed >= web::request_buffer_size ? 0 : web::request_buffer_size - fixed;
    }

    // One text reply read to its end; nullopt (logged) on a failed or cut-short exchange.
    std::optional<std::string> fetch_text(const std::string& target, const char* operation) {
        web::reply reply =
            web::http_get(request_for(target, web::receive_mode::close), settings_.log);
        if (!reply.ok) return std::nullopt;
        // A receive error or a silent server leaves the text cut short, not complete.
        if (reply.last_result < 0) {
            log(std::string("Failure receiving data - ") + operation);
            return std::nullopt;
        }
        return std::move(reply.text);
    }

    bool fetch_manifest() {
        const auto manifest_reply = fetch_text(
            "/clients/update/manifest.php?location=" + settings_.location, "get_file_manifest");
        if (!manifest_reply) return false;
        const auto signature_reply = fetch_text(
            "/clients/update/signature.php?location=" + settings_.location, "check_signature");
        if (!signature_reply) return false;
        if (!read_record()) return false;
        // After a key rotation the key built into this program is no longer trusted.
        public_key key = settings_.key;
        if (const std::string handed_over = trusted_key_hex(record_); !handed_over.empty()) {
            const auto parsed_key = parse_hex32(handed_over);
            if (!parsed_key) {
                log("Failure reading the installed-release record - check_signature: the trusted "
                    "key is not hex");
                return false;
            }
            key = *parsed_key;
        }
        const std::string problem = check_signature(*signature_reply, *manifest_reply,
                                                    settings_.location, key, &signature_);
        if (!problem.empty()) {
            log("Failure checking signature - check_signature: " + problem);
            return false;
        }
        // An older or the same release would undo or repeat what is installed, and an expired
        // one may be a replay kept back to freeze clients; neither gets anything fetched.
        if (const auto refused = release_problem(signature_, today(),
                                                 recorded_release(record_, settings_.location))) {
            log(refused->operation + " - check_signature: " + refused->reason);
            return false;
        }
        // The manifest is the one the service signed; its own checks still guard the folder.
        manifest_result parsed = parse_manifest(*manifest_reply, max_entry_length());
        if (!parsed.value) {
            log("Failure checking manifest - get_file_manifest: " + parsed.reason);
            return false;
        }
        if (const std::string differs = signed_files_problem(parsed.value->entries, signature_);
            !differs.empty()) {
            log("Failure checking signature - check_signature: " + differs);
            return false;
        }
        manifest_ = std::move(*parsed.value);
        return true;
    }

    bool read_record() {
        switch (platform::read_whole_file(record_path_, record_, max_record_bytes)) {
            case platform::read_status::ok:
            case platform::read_status::missing:
                return true;
            default:
                // Unread, the record could hide a newer release than the one offered.
                log("Failure reading the installed-release record - check_signature");
                return false;
        }
    }

    std::string download_path(const std::string& entry) const {
        return platform::join_path(update_folder_, entry.substr(1));
    }

    bool download_update(const std::string& entry, const signed_file& signed_as) {
        return run_guarded_into([this](std::string_view line) { log(line); }, false,
                                [] { return "Unknown Exception in update - download_update"; },
                                [&] { return download(entry, signed_as); });
    }

    bool download(const std::string& entry, const signed_file& signed_as) {
        // Each download keeps its folders below the update folder, so entries with the same name in
        // different folders stay apart.
        const std::string path = download_path(entry);
        if (!platform::create_folders(parent_folder(path), &made_folders_)) {
            log("Failure creating folder - download_update");
            return false;
        }
        // A copy left by an earlier, interrupted run is not this run's download.
        if (platform::kind_of(path) == platform::path_kind::file) platform::remove_file(path);

        const steady::time_point download_started = steady::now();
        web::reply_stream stream(
            request_for("/clients/update/" + settings_.location + entry, web::receive_mode::none),
            settings_.log);
        if (!stream.ok()) {
            log("Failure requesting file - download_update");
            return false;
        }
        platform::output_file out;
        if (!out.create(path)) {
            log("Failure creating file - download_update");
            return false;
        }
        downloads_.push_back(path);

        const auto total = static_cast<std::int64_t>(manifest_.total);
        const std::uint64_t limit = download_limit(manifest_.total, settings_.download_margin);
        std::uint64_t file_bytes = 0;
        std::vector<char> buffer(download_chunk);
        int line_feeds = 0;
        int header_bytes = 0;
        // The silence rule alone lets a byte every few seconds hold the update for good.
        const steady::time_point deadline =
            std::min(deadline_for(download_started, signed_as.size, settings_), update_deadline_);
        // The file is checked against its signed size and hash before anything unpacks it.
        sha256_stream hash;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady::now())
                    .count();
            const bool deadline_first = left < static_cast<long long>(settings_.silence_ms);
            const int received = left <= 0
                                     ? web::reply_stream::silent
                                     : stream.receive(buffer.data(), download_chunk,
                                                      deadline_first ? static_cast<unsigned>(left)
                                                                     : settings_.silence_ms);
            if (received == web::reply_stream::silent && deadline_first) {
                log("Failure receiving data - download_update: " + entry + ": slower than " +
                    std::to_string(settings_.min_bytes_per_second) + " bytes a second");
                return false;
            }
            if (received == web::reply_stream::silent) {
                log("Failure receiving data - download_update: the server went silent");
                return false;
            }
            if (received < 0) {
                log("Failure receiving data - download_update");
                return false;
            }
            if (received == 0) break;
            // The server's header has exactly ten lines, its empty last one included; the file's
            // bytes start right after the tenth line feed.
            int start = 0;
            while (line_feeds < header_line_feeds && start < received)
                if (buffer[static_cast<std::size_t>(start++)] == '\n') ++line_feeds;
            header_bytes += start;
            if (header_bytes > max_header_bytes) {
                log("Failure receiving data - download_update: a header longer than " +
                    std::to_string(max_header_bytes) + " bytes");
                return false;
            }
            const int body = line_feeds < header_line_feeds ? 0 : received - start;
            if (body > 0) {
                // The total only drives the counter; the limits keep a runaway server off the disk.
                file_bytes += static_cast<std::uint64_t>(body);
                if (file_bytes > settings_.max_file_bytes) {
                    log("Failure receiving data - download_update: a file larger than an update "
                        "may bring");
                    return false;
                }
                if (static_cast<std::uint64_t>(done_ + body) > limit) {
                    log("Failure receiving data - download_update: far more bytes than the "
                        "manifest announced");
                    return false;
                }
                if (file_bytes > signed_as.size) {
                    log("Failure checking file - check_signature: " + entry +
                        ": more bytes than signed");
                    return false;
                }
                hash.add(buffer.data() + start, static_cast<std::size_t>(body));
                if (!out.write(buffer.data() + start, static_cast<std::size_t>(body))) {
                    log("Failure writing file - download_update");
                    return false;
                }
                done_ += body;
            }
            if (settings_.progress && !settings_.progress(done_, total)) {
                log("Failure update cancelled - download_update");
                return false;
            }
        }
        if (line_feeds < header_line_feeds) {
            log("Failure receiving data - download_update: the reply ended inside its header");
            return false;
        }
        if (file_bytes != signed_as.size) {
            log("Failure checking file - check_signature: " + entry + ": " +
                std::to_string(file_bytes) + " bytes, signed " + std::to_string(signed_as.size));
            return false;
        }
        if (hash.finish() != signed_as.sha256) {
            log("Failure checking file - check_signature: " + entry +
                ": its SHA-256 is not the signed one");
            return false;
        }
        if (!out.finish(false)) {
            log("Failure writing file - download_update");
            return false;
        }
        return true;
    }

    bool file_name(const std::string& entry, platform::file_swap& swap) {
        return run_guarded_into([this](std::string_view line) { log(line); }, false,
                                [] { return "Unknown Exception in update - file_name"; },
                                [&] { return stage(entry, swap); });
    }

    // Prepares one download's place beside its target and starts unpacking it there; nothing is
    // installed yet. The outcome is collected by finish_unpacking.
    bool stage(const std::string& entry, platform::file_swap& swap) {
        swap.target = platform::join_path(settings_.program_folder, installed_path(entry));
        if (!platform::create_folders(parent_folder(swap.target), &made_folders_)) {
            log("Failure creating folder - file_name: " + entry);
            return false;
        }
        const platform::path_kind kind = platform::kind_of(swap.target);
        if (kind != platform::path_kind::missing && kind != platform::path_kind::file) {
            log("Failure installing file - file_name: " + entry + " would replace a folder");
            return false;
        }
        swap.staged = free_name(swap.target, ".rx_new");
        const unsigned mode = platform::file_mode(swap.target);
        staged_.push_back(swap.staged);
        auto job = [entry, download = download_path(entry), staged = swap.staged,
                    mode = mode != 0 ? mode : 0644u]() {
            return unpack(entry, download, staged, mode);
        };
        try {
            unpacking_ = std::async(std::launch::async, job);
        } catch (const std::system_error&) {
            // No thread to spare: unpack here.
            std::promise<std::string> done;
            done.set_value(job());
            unpacking_ = done.get_future();
        }
        return true;
    }

    // Waits for the unpacking under way, if any; false (logged) when it failed.
    bool finish_unpacking() {
        if (!unpacking_.valid()) return true;
        const std::string failure = unpacking_.get();
        if (failure.empty()) return true;
        log(failure);
        return false;
    }

    // Unpacks `download` into the new file `staged` and checks it whole; "" or the line to log.
    // Runs beside the download of the next file, so it touches nothing else of the run.
    static std::string unpack(const std::string& entry, const std::string& download,
                              const std::string& staged, unsigned mode) {
        try {
            platform::output_file out;
            if (!out.create(staged, mode)) return "Failure creating file - file_name: " + entry;
            std::ifstream in(download, std::ios::binary);
            if (!in) return "Failure opening download - file_name: " + entry;
            gunzip reader;
            const gunzip::sink write = [&](const char* data, std::size_t size) {
                return out.write(data, size);
            };
            std::vector<char> buffer(65536);
            while (in) {
                in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
                const auto got = static_cast<std::size_t>(in.gcount());
                if (got > 0 && !reader.feed(std::string_view(buffer.data(), got), write))
                    return "Failure unpacking file - file_name: " + entry + ": " + reader.error();
            }
            if (in.bad()) return "Failure reading download - file_name: " + entry;
            if (!reader.complete())
                return "Failure unpacking file - file_name: " + entry +
                       ": the gzip data ends early";
            if (!out.finish(true)) return "Failure writing file - file_name: " + entry;
            return "";
        } catch (...) {
            return current_exception_text("Unknown Exception in update - file_name");
        }
    }

    void remove_downloads() {
        for (const std::string& path : downloads_) platform::remove_file(path);
        downloads_.clear();
        // Folders made for downloads go too; the update folder itself stays once the update is in.
        const std::string inside = update_folder_ + platform::path_separator;
        for (auto it = made_folders_.rbegin(); it != made_folders_.rend(); ++it)
            if (it->compare(0, inside.size(), inside) == 0) platform::remove_empty_folder(*it);
    }

    const update_settings& settings_;
    const std::string update_folder_;
    const std::string record_path_;
    const steady::time_point started_;
    steady::time_point update_deadline_ = steady::time_point::max();
    std::string record_;
    manifest manifest_;
    update_signature signature_;
    std::int64_t done_ = 0;
    std::vector<std::string> made_folders_;
    std::vector<std::string> downloads_;
    std::vector<std::string> staged_;
    std::future<std::string> unpacking_;
    bool succeeded_ = false;
};

}  // namespace

bool get_file_manifest(const update_settings& settings) {
    return run_guarded_into(
        [&](std::string_view line) {
            if (settings.log) settings.log(line);
        },
        false, [] { return "Unknown Exception in update - get_file_manifest"; },
        [&] {
            update_run run(settings);
            return run.run();
        });
}

}  // namespace rx::updater
