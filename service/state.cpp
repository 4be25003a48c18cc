// Shared state of rx_service; one mutex guards sessions and switches, others the cache, saves and
// logs.
#include "service/state.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "service/logic/catalogue.h"
#include "service/logic/game_image.h"
#include "service/logic/games_folder.h"
#include "service/logic/http.h"
#include "service/net.h"

namespace rx::service {
namespace fs = std::filesystem;

namespace {

std::optional<std::string> read_text(const fs::path& path) {
    return read_service_file(path.string());
}

// Writes the whole file to a temporary name beside it, flushes it to disk and renames it into
// place, so a crash leaves either the old save or the new one, never half of one.
bool write_file_atomically(const fs::path& path, const std::string& bytes, std::uint64_t unique) {
    const fs::path temp = path.string() + ".tmp" + std::to_string(unique);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace

service_state::service_state(service_options options, std::string sample_dir, std::string data_dir)
    : options_(std::move(options)),
      sample_dir_(std::move(sample_dir)),
      data_dir_(std::move(data_dir)) {
    faults_ = options_.faults;
    // An operator's save command may write beside a running service: the process id keeps their
    // temporary file names apart.
    temp_counter_ = static_cast<std::uint64_t>(::getpid()) << 32;
    id_seed_ = (static_cast<std::uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}();
}

service_state::~service_state() {
    if (request_log_) std::fclose(request_log_);
    if (game_log_) std::fclose(game_log_);
}

bool service_state::load(std::string& error) {
    const fs::path sample(sample_dir_);
    std::string why;
    const auto games = read_catalogue_file((sample / "catalogue.tsv").string(), &why);
    if (!games) {
        error = "catalogue: " + why;
        return false;
    }
    games_ = *games;
    if (!load_games_folder(error)) return false;
    for (std::size_t i = 0; i < games_.size(); ++i) game_index_[games_[i].id] = i;

    const auto accounts_text = read_text(sample / "accounts.txt");
    const auto accounts = accounts_text ? parse_accounts(*accounts_text, &why) : std::nullopt;
    if (!accounts) {
        error = "accounts: " +
                (accounts_text ? why : "cannot read " + (sample / "accounts.txt").string());
        return false;
    }
    accounts_ = *accounts;

    if (const auto news = read_text(sample / "news.txt")) {
        std::istringstream lines(*news);
        std::getline(lines, news_.heading1);
        std::getline(lines, news_.heading2);
        std::getline(lines, news_.body);
    } else {
        error = "cannot read " + (sample / "news.txt").string();
        return false;
    }

    std::error_code ec;
    fs::create_directories(fs::path(data_dir_), ec);
    if (ec) {
        error = "cannot create " + data_dir_ + ": " + ec.message();
        return false;
    }
    if (const auto list = read_text(fs::path(data_dir_) / "authorized.txt")) {
        std::istringstream lines(*list);
        for (std::string user; std::getline(lines, user);)
            if (!user.empty()) authorized_.insert(user);
    }
    const std::string request_log = options_.request_log.empty()
                                        ? (fs::path(data_dir_) / "requests.log").string()
                                        : options_.request_log;
    game_log_path_ = options_.game_log.empty()
                         ? (fs::path(data_dir_) / "game_requests.log").string()
                         : options_.game_log;
    request_log_ = std::fopen(request_log.c_str(), "ab");
    if (!request_log_) {
        error = "cannot open the request log " + request_log;
        return false;
    }
    return true;
}

bool service_state::load_games_folder(std::string& error) {
    const bool chosen = !options_.games_dir.empty();
    const fs::path folder = chosen ? fs::path(options_.games_dir) : fs::path(sample_dir_) / "games";
    std::error_code ec;
    if (!chosen && !fs::exists(folder, ec)) return true;
    const fs::path catalogue = folder / games_catalogue_name;
    const auto text = read_text(catalogue);
    if (!text) {
        error = catalogue.string() + ": cannot read the games catalogue";
        return false;
    }
    const file_probe probe = [&folder](const std::string& name) -> std::optional<std::uint64_t> {
        const fs::path path = folder / name;
        std::error_code size_ec;
        if (!fs::is_regular_file(path, size_ec)) return std::nullopt;
        const auto size = fs::file_size(path, size_ec);
        if (size_ec) return std::nullopt;
        // Opening proves it can be read: a file the service may not read is refused now, not
        // when the first player asks for it.
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        return static_cast<std::uint64_t>(size);
    };
    std::vector<std::string> taken;
    for (const auto& g : games_) taken.push_back(g.id);
    std::vector<std::string> errors;
    const auto games = parse_games_catalogue(*text, catalogue.string(), probe, taken, errors);
    if (!games) {
        error.clear();
        for (const auto& line : errors) error += (error.empty() ? "" : "\n") + line;
        return false;
    }
    games_dir_ = folder.string();
    // The operator's games come first in every list, so a new player sees a real game at the top.
    for (const auto& g : *games)
        game_screenshots_.insert(g.screenshots.begin(), g.screenshots.end());
    games_.insert(games_.begin(), games->begin(), games->end());
    return true;
}

std::string service_state::screenshot_path(const std::string& name) const {
    if (game_screenshots_.count(name)) return (fs::path(games_dir_) / name).string();
    return (fs::path(sample_dir_) / "info_img" / name).string();
}

int service_state::account_kind(const std::string& user, const std::string& password) const {
    for (const auto& a : accounts_)
        if (a.name == user) return a.password == password ? a.kind : 0;
    return 0;
}

const game_record* service_state::find_game(const std::string& id) const {
    const auto it = game_index_.find(id);
    return it == game_index_.end() ? nullptr : &games_[it->second];
}

int service_state::availability_of(const game_record& game, bool free_account) {
    std::lock_guard lock(mutex_);
    const auto it = in_play_.find(game.id);
    return availability(game, it == in_play_.end() ? 0 : it->second, free_account);
}

std::string service_state::fresh_id_locked() {
    // Not guessable from the outside and never repeated within a run.
    std::uint64_t x = id_seed_ + 0x9E3779B97F4A7C15ull * ++id_counter_;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    static const char digits[] = "0123456789abcdef";
    std::string id(16, '0');
    for (int i = 15; i >= 0; --i, x >>= 4) id[static_cast<std::size_t>(i)] = digits[x & 15];
    return id;
}

void service_state::release_copy_locked(session& s) {
    if (s.game.empty()) return;
    auto it = in_play_.find(s.game);
    if (it != in_play_.end() && --it->second <= 0) in_play_.erase(it);
    s.game.clear();
}

std::string service_state::new_session(const std::string& user) {
    std::lock_guard lock(mutex_);
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        if (it->second.user == user && !shared_account(user)) {
            release_copy_locked(it->second);
            it = sessions_.erase(it);
        } else {
            ++it;
        }
    }
    const std::string id = fresh_id_locked();
    sessions_[id] = session{user, "", std::chrono::steady_clock::now()};
    return id;
}

open_result service_state::take_copy(std::string& session_id, const std::string& user,
                                     const game_record& game, bool free_account) {
    std::lock_guard lock(mutex_);
    const int in_play = in_play_.count(game.id) ? in_play_[game.id] : 0;
    const int available = availability(game, in_play, free_account);
    if (available == 0) return open_result::all_in_play;
    if (available < 0) return open_result::full_only;
    auto it = sessions_.find(session_id);
    if (it == sessions_.end() || it->second.user != user) {
        session_id = fresh_id_locked();
        it = sessions_.emplace(session_id, session{user, "", {}}).first;
    }
    release_copy_locked(it->second);
    it->second.game = game.id;
    it->second.last_seen = std::chrono::steady_clock::now();
    ++in_play_[game.id];
    // The shared account is many people at once: none of them takes another's play over.
    if (!shared_account(user)) {
        const std::string play = user + '\n' + game.id;
        plays_[session_id] = play;
        newest_play_[play] = session_id;
    }
    return open_result::ok;
}

bool service_state::play_is_newest(const std::string& user, const std::string& session_id) {
    std::lock_guard lock(mutex_);
    const auto it = plays_.find(session_id);
    if (it == plays_.end() || it->second.rfind(user + '\n', 0) != 0) return true;
    return newest_play_[it->second] == session_id;
}

void service_state::give_back_copy(const std::string& session_id) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(session_id);
    if (it != sessions_.end()) release_copy_locked(it->second);
}

bool service_state::touch_session(const std::string& user, const std::string& id) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(id);
    if (it == sessions_.end() || it->second.user != user) return false;
    it->second.last_seen = std::chrono::steady_clock::now();
    return true;
}

bool service_state::end_session(const std::string& user, const std::string& id) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(id);
    if (it == sessions_.end() || it->second.user != user) return false;
    release_copy_locked(it->second);
    sessions_.erase(it);
    return true;
}

void service_state::expire_sessions() {
    std::lock_guard lock(mutex_);
    const auto limit =
        std::chrono::steady_clock::now() - std::chrono::seconds(options_.session_timeout_s);
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        if (it->second.last_seen < limit) {
            release_copy_locked(it->second);
            it = sessions_.erase(it);
        } else {
            ++it;
        }
    }
}

bool service_state::login_conflicts(const std::string& user, std::uint64_t connection, int fd) {
    std::lock_guard lock(mutex_);
    auto& open = logins_[user];
    open.erase(connection);
    // A client that has just closed its last connection is not "in use"; its thread may not have
    // noticed yet.
    for (auto it = open.begin(); it != open.end();)
        it = peer_gone(it->second) ? open.erase(it) : std::next(it);
    if (open.empty() || shared_account(user)) {
        open[connection] = fd;
        return false;
    }
    // "login again to clear": the older connections go, this one logs in again on its next try.
    // Their sockets are still open (their threads close them), so shutting them down cannot hit a
    // reused number.
    for (const auto& [other, other_fd] : open) shutdown_socket(other_fd);
    open.clear();
    return true;
}

void service_state::logout_connection(const std::string& user, std::uint64_t connection) {
    std::lock_guard lock(mutex_);
    const auto it = logins_.find(user);
    if (it == logins_.end()) return;
    it->second.erase(connection);
    if (it->second.empty()) logins_.erase(it);
}

fault_settings service_state::faults() {
    std::lock_guard lock(mutex_);
    return faults_;
}

bool service_state::set_fault(const std::string& name, const std::string& value,
                              std::string& error) {
    std::lock_guard lock(mutex_);
    return apply_fault(faults_, name, value, &error);
}

void service_state::reset_faults() {
    std::lock_guard lock(mutex_);
    faults_ = fault_settings{};
}

bool service_state::take_user_in_use() {
    std::lock_guard lock(mutex_);
    if (faults_.user_in_use <= 0) return false;
    --faults_.user_in_use;
    return true;
}

void service_state::authorize(const std::string& user) {
    std::lock_guard lock(mutex_);
    if (!authorized_.insert(user).second) return;
    std::string list;
    for (const auto& u : authorized_) list += u + "\n";
    write_file_atomically(fs::path(data_dir_) / "authorized.txt", list, ++id_counter_);
}

bool service_state::authorized(const std::string& user) {
    std::lock_guard lock(mutex_);
    return authorized_.count(user) != 0;
}

void service_state::set_status(const std::string& user, const std::string& status) {
    std::lock_guard lock(mutex_);
    statuses_[user] = status;
}

std::string service_state::status_of(const std::string& user) {
    std::lock_guard lock(mutex_);
    const auto it = statuses_.find(user);
    return it == statuses_.end() ? std::string() : it->second;
}

image_bytes service_state::compressed_image(const game_record& game) {
    std::promise<image_bytes> promise;
    std::shared_future<image_bytes> future;
    bool build = false;
    {
        std::lock_guard lock(cache_mutex_);
        auto it = cache_.find(game.id);
        if (it == cache_.end()) {
            future = promise.get_future().share();
            cache_[game.id] = cache_entry{future, 0, ++cache_clock_};
            build = true;
        } else {
            it->second.last_use = ++cache_clock_;
            future = it->second.image;
        }
    }
    if (build) {
        // Built outside the lock: other games stay quick while a large image is compressed.
        image_bytes bytes;
        try {
            bytes = build_image(game);
        } catch (...) {
            std::lock_guard lock(cache_mutex_);
            cache_.erase(game.id);
            promise.set_exception(std::current_exception());
            throw;
        }
        promise.set_value(bytes);
        std::lock_guard lock(cache_mutex_);
        auto it = cache_.find(game.id);
        if (it != cache_.end()) {
            it->second.bytes = bytes->size();
            cache_bytes_ += bytes->size();
        }
        trim_cache_locked();
    }
    return future.get();
}

image_bytes service_state::build_image(const game_record& game) {
    if (game.file.empty())
        return std::make_shared<const std::vector<std::uint8_t>>(compress_game_image(
            generate_game_image(game.id, static_cast<std::size_t>(game.image_size))));
    // The disk copy is named after the file's size and time, so a game the operator replaced is
    // compressed again instead of served stale.
    const fs::path source = fs::path(games_dir_) / game.file;
    std::error_code ec;
    const auto size = fs::file_size(source, ec);
    if (ec) throw std::runtime_error("cannot read " + source.string());
    const auto stamp =
        static_cast<std::uint64_t>(fs::last_write_time(source, ec).time_since_epoch().count());
    const fs::path folder = fs::path(data_dir_) / "compressed";
    const fs::path packed = folder / (storage_name(game.id) + "-" + std::to_string(size) + "-" +
                                      std::to_string(stamp) + ".z");
    if (const auto kept = read_text(packed); kept && !kept->empty())
        return std::make_shared<const std::vector<std::uint8_t>>(kept->begin(), kept->end());
    const auto raw = read_text(source);
    if (!raw || raw->size() != size) throw std::runtime_error("cannot read " + source.string());
    auto bytes = std::make_shared<const std::vector<std::uint8_t>>(
        compress_game_image(std::vector<std::uint8_t>(raw->begin(), raw->end())));
    fs::create_directories(folder, ec);
    std::uint64_t unique;
    {
        std::lock_guard lock(save_mutex_);
        unique = ++temp_counter_;
    }
    // A failed disk copy only costs a second compression later.
    write_file_atomically(packed, std::string(bytes->begin(), bytes->end()), unique);
    return bytes;
}

void service_state::trim_cache_locked() {
    const std::size_t cache_limit = static_cast<std::size_t>(options_.memory_cache_mib) << 20;
    while (cache_bytes_ > cache_limit && cache_.size() > 1) {
        auto oldest = cache_.end();
        for (auto it = cache_.begin(); it != cache_.end(); ++it)
            if (it->second.bytes > 0 &&
                (oldest == cache_.end() || it->second.last_use < oldest->second.last_use))
                oldest = it;
        if (oldest == cache_.end()) return;
        cache_bytes_ -= oldest->second.bytes;
        cache_.erase(oldest);
    }
}

// Versions live apart from the saves, in DATA/save_versions/<user>/<file>/, one file per store
// named by a rising number, so no save name can clash with them.
std::vector<fs::path> service_state::version_files_locked(const std::string& user,
                                                          const std::string& file) {
    const fs::path folder =
        fs::path(data_dir_) / "save_versions" / storage_name(user) / storage_name(file);
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos)
            files.push_back(entry.path());
    }
    // Fixed-width numbers: the name order is the store order. Newest first.
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return a.filename().string() > b.filename().string();
    });
    return files;
}

bool service_state::store_save_locked(const std::string& user, const std::string& file,
                                      const std::string& bytes) {
    const fs::path folder = fs::path(data_dir_) / "saves" / storage_name(user);
    const fs::path versions =
        fs::path(data_dir_) / "save_versions" / storage_name(user) / storage_name(file);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return false;
    fs::create_directories(versions, ec);
    if (ec) return false;
    std::vector<fs::path> kept = version_files_locked(user, file);
    std::uint64_t next = 1;
    if (!kept.empty()) {
        next = std::stoull(kept.front().filename().string()) + 1;
    } else if (const auto earlier = read_text(folder / storage_name(file))) {
        // A save stored before versions were kept becomes the first one, so it can be restored.
        char name[24];
        std::snprintf(name, sizeof name, "%020llu", 1ULL);
        if (!write_file_atomically(versions / name, *earlier, ++temp_counter_)) return false;
        kept.insert(kept.begin(), versions / name);
        next = 2;
    }
    char name[24];
    std::snprintf(name, sizeof name, "%020llu", static_cast<unsigned long long>(next));
    if (!write_file_atomically(versions / name, bytes, ++temp_counter_)) return false;
    if (!write_file_atomically(folder / storage_name(file), bytes, ++temp_counter_)) return false;
    // The new one makes one more; the oldest beyond the kept count go.
    for (std::size_t i = save_versions_kept - 1; i < kept.size(); ++i) fs::remove(kept[i], ec);
    return true;
}

bool service_state::store_save(const std::string& user, const std::string& file,
                               const std::string& bytes) {
    std::lock_guard lock(save_mutex_);
    return store_save_locked(user, file, bytes);
}

std::optional<std::string> service_state::load_save(const std::string& user,
                                                    const std::string& file) {
    std::lock_guard lock(save_mutex_);
    return read_text(fs::path(data_dir_) / "saves" / storage_name(user) / storage_name(file));
}

std::vector<service_state::save_version> service_state::save_versions(const std::string& user,
                                                                      const std::string& file) {
    std::lock_guard lock(save_mutex_);
    std::vector<save_version> out;
    for (const fs::path& path : version_files_locked(user, file)) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) continue;
        save_version v;
        v.number = static_cast<int>(out.size()) + 1;
        v.size = static_cast<std::uint64_t>(info.st_size);
        v.stored_at = static_cast<std::int64_t>(info.st_mtime);
        out.push_back(v);
    }
    return out;
}

bool service_state::restore_save_version(const std::string& user, const std::string& file,
                                         int number, std::string& error) {
    std::lock_guard lock(save_mutex_);
    const std::vector<fs::path> kept = version_files_locked(user, file);
    if (number < 1 || static_cast<std::size_t>(number) > kept.size()) {
        error = "no version " + std::to_string(number) + " of " + user + "'s " + file + " (" +
                std::to_string(kept.size()) + " kept)";
        return false;
    }
    const auto bytes = read_text(kept[static_cast<std::size_t>(number) - 1]);
    if (!bytes) {
        error = "cannot read version " + std::to_string(number);
        return false;
    }
    if (!store_save_locked(user, file, *bytes)) {
        error = "cannot write the save";
        return false;
    }
    return true;
}

void service_state::log_request(const std::string& bytes) {
    std::lock_guard lock(log_mutex_);
    std::fwrite(bytes.data(), 1, bytes.size(), request_log_);
    std::fflush(request_log_);
}

void service_state::log_game(const char* bytes, std::size_t size) {
    std::lock_guard lock(log_mutex_);
    // Opened on first use: a run without game connections leaves no empty log behind.
    if (!game_log_) game_log_ = std::fopen(game_log_path_.c_str(), "ab");
    if (!game_log_) return;
    std::fwrite(bytes, 1, size, game_log_);
    std::fflush(game_log_);
}

}  // namespace rx::service
