// Shared state of rx_service; one mutex guards sessions and switches, others the cache, saves and
// logs.
#include "service/state.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

#include "platform/file.h"
#include "service/logic/catalogue.h"
#include "service/logic/game_image.h"
#include "service/logic/games_folder.h"
#include "service/logic/http.h"
#include "service/net.h"
#include "service/store/legacy_import.h"
#include "service/store/sqlite_store.h"

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

// A name from a client as it may appear in a log line: one line, not too long.
std::string printable(const std::string& name) {
    std::string out = name.substr(0, 64);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return out + (name.size() > 64 ? "..." : "");
}

// Every step of the name is looked at itself: a symbolic link (to /etc/passwd, or a folder
// elsewhere) or a device would serve what the operator never put in the folder.
bool regular_file_inside(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    fs::path step = folder;
    for (const auto& part : fs::path(name)) {
        step /= part;
        if (fs::symlink_status(step, ec).type() == fs::file_type::symlink) return false;
    }
    return fs::symlink_status(step, ec).type() == fs::file_type::regular;
}

// What a session is known by inside the service and in the state database: a hash of its id, so
// neither the database nor a guest play's save owner gives the ids (which end or keep alive a
// play) to whoever can read them.
std::string session_key(const std::string& session_id) {
    unsigned char hash[16];
    ::crypto_generichash(hash, sizeof hash,
                         reinterpret_cast<const unsigned char*>(session_id.data()),
                         session_id.size(), nullptr, 0);
    static const char digits[] = "0123456789abcdef";
    std::string out = "s";
    for (unsigned char b : hash) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
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
    cost_ = parse_password_cost(options_.password_cost).value_or(password_cost::moderate);
    quota_.saves = static_cast<std::size_t>(options_.save_quota_saves);
    quota_.bytes = static_cast<std::uint64_t>(options_.save_quota_kib) << 10;
    // Five wrong passwords per account, twenty per address (players behind one router share it)
    // before the first lock-out.
    limiter_policy policy;
    policy.first_lock = std::chrono::milliseconds(options_.login_lock_ms);
    account_limiter_ = login_limiter(policy);
    policy.free_failures = 20;
    address_limiter_ = login_limiter(policy);
    if (::sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
    // Set up at once: an operator's command that makes the database logs its import here too.
    event_log_.configure((fs::path(data_dir_) / "service.log").string(),
                         static_cast<std::uint64_t>(options_.log_max_kib) << 10, options_.log_keep);
}

service_state::~service_state() = default;

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
    const std::string request_log = options_.request_log.empty()
                                        ? (fs::path(data_dir_) / "requests.log").string()
                                        : options_.request_log;
    const std::string game_log = options_.game_log.empty()
                                     ? (fs::path(data_dir_) / "game_requests.log").string()
                                     : options_.game_log;
    const std::uint64_t log_bytes = static_cast<std::uint64_t>(options_.log_max_kib) << 10;
    request_log_.configure(request_log, log_bytes, options_.log_keep);
    game_log_.configure(game_log, log_bytes, options_.log_keep);
    if (!request_log_.open()) {
        error = "cannot open the request log " + request_log;
        return false;
    }
    if (!open_store(error, true)) return false;
    accounts_ = store_->accounts();
    authorized_ = store_->authorized();
    // Sessions and their copies come back, so a game running across the restart keeps its
    // session; each gets a whole time-out from now.
    const auto now = std::chrono::steady_clock::now();
    for (const auto& kept : store_->sessions()) {
        session& s = sessions_[kept.id];
        s = session{kept.user, "", now, kept.save_folder};
        if (!kept.game.empty() && find_game(kept.game)) {
            s.game = kept.game;
            ++in_play_[kept.game];
        }
    }
    for (const auto& play : store_->plays()) {
        const std::string key = play.user + '\n' + play.game;
        plays_[play.session] = key;
        newest_play_[key] = play.session;
    }
    if (accounts_.empty())
        log_event("state: no accounts; add them with --add-user and start again");
    if (!sessions_.empty())
        log_event("state: " + std::to_string(sessions_.size()) + " play sessions and " +
                  std::to_string(in_play_.size()) + " games in play read back");
    return true;
}

bool service_state::open_store(std::string& error, bool seed_from_sample) {
    if (store_) return true;
    const std::string path = (fs::path(data_dir_) / "state.db").string();
    std::error_code ec;
    fs::create_directories(fs::path(data_dir_), ec);
    const std::string seed =
        seed_from_sample ? (fs::path(sample_dir_) / "accounts.txt").string() : std::string();
    const auto cost = cost_;
    const std::string data = data_dir_;
    opened_store opened = open_sqlite_store(
        path,
        [&](legacy_data& out, std::string& why) {
            return read_legacy_data(data, seed, cost, out, why);
        },
        error);
    if (!opened.store) return false;
    store_ = std::move(opened.store);
    if (opened.imported) {
        log_event("state: created " + path + ", imported " + import_summary(*opened.imported));
        std::string why;
        // The database holds it all already: a failure here leaves only old files behind.
        if (!set_legacy_files_aside(data_dir_, *opened.imported, why)) log_event("state: " + why);
    }
    return true;
}

bool service_state::add_account(const account_record& account, std::string& error) {
    if (!open_store(error)) return false;
    account_record added = account;
    added.password = hash_password(account.password, cost_);
    if (added.password.empty()) {
        error = "cannot hash the password";
        return false;
    }
    std::vector<account_record> check;
    if (!put_account(check, added)) {
        error = "the name must be one line of printable characters";
        return false;
    }
    if (!store_->put_account(added)) {
        error = "cannot store the account in " + (fs::path(data_dir_) / "state.db").string();
        return false;
    }
    return true;
}

void service_state::persist(const session_change& change) {
    if (store_ && !store_->change_sessions(change))
        log_event("state: a change of play sessions was not stored; it will not outlive a restart");
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
        if (!regular_file_inside(folder, name)) return std::nullopt;
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

int service_state::check_login(const std::string& user, const std::string& password,
                               const std::string& address) {
    const std::string account_key = "u:" + user, address_key = "a:" + address;
    const auto locked = [&] {
        std::lock_guard lock(limiter_mutex_);
        const auto now = std::chrono::steady_clock::now();
        return !account_limiter_.may_try(account_key, now) ||
               !address_limiter_.may_try(address_key, now);
    };
    if (locked()) return 0;
    const account_record* found = nullptr;
    for (const auto& a : accounts_)
        if (a.name == user) found = &a;
    bool right = false;
    {
        // The wait is bounded like every other a connection makes: under a flood of logins an
        // attempt that found no turn is refused, not counted, and the client may try again.
        std::unique_lock turn(hash_mutex_);
        if (!hash_turn_.wait_for(turn, std::chrono::seconds(10), [this] { return hashing_ < 2; }))
            return 0;
        ++hashing_;
    }
    // Asked again once it is this attempt's turn: many attempts sent at once must not all be
    // checked because they all arrived before the first failure locked the account.
    const bool skip = locked();
    // An unknown name costs as much as a known one, so timing does not tell which names exist.
    if (!skip && found)
        right = verify_password(found->password, password);
    else if (!skip && !accounts_.empty())
        verify_password(accounts_.front().password, password);
    {
        std::lock_guard turn(hash_mutex_);
        --hashing_;
    }
    hash_turn_.notify_one();
    if (skip) return 0;

    std::vector<std::string> lock_lines;
    {
        std::lock_guard lock(limiter_mutex_);
        const auto now = std::chrono::steady_clock::now();
        if (right) {
            account_limiter_.succeeded(account_key);
        } else {
            const auto account_lock = account_limiter_.failed(account_key, now);
            const auto address_lock = address_limiter_.failed(address_key, now);
            if (account_lock.count() > 0)
                lock_lines.push_back("login: account '" + printable(user) + "' locked out for " +
                                     std::to_string(account_lock.count()) +
                                     " ms after failed logins");
            if (address_lock.count() > 0)
                lock_lines.push_back("login: address " + address + " locked out for " +
                                     std::to_string(address_lock.count()) +
                                     " ms after failed logins");
        }
    }
    for (const auto& line : lock_lines) log_event(line);
    if (!right) return 0;
    std::lock_guard lock(mutex_);
    if (recent_logins_.size() >= max_recent_logins) {
        auto oldest = recent_logins_.begin();
        for (auto it = recent_logins_.begin(); it != recent_logins_.end(); ++it)
            if (it->second < oldest->second) oldest = it;
        recent_logins_.erase(oldest);
    }
    recent_logins_[user + "\n" + address] = std::chrono::steady_clock::now();
    return found->kind;
}

bool service_state::speaks_for(const std::string& user, const std::optional<std::string>& password,
                               const std::optional<std::string>& session,
                               const std::string& address) {
    if (options_.test_hooks) return true;
    {
        std::lock_guard lock(mutex_);
        if (session) {
            const auto it = sessions_.find(session_key(*session));
            if (it != sessions_.end() && it->second.user == user) return true;
        }
        const auto it = recent_logins_.find(user + "\n" + address);
        if (it != recent_logins_.end() &&
            std::chrono::steady_clock::now() - it->second < recent_login_lasts)
            return true;
    }
    return password && check_login(user, *password, address) != 0;
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
    // 128 bits from the system's random source: one session's id says nothing about another's.
    unsigned char bytes[16];
    std::string id;
    do {
        ::randombytes_buf(bytes, sizeof bytes);
        static const char digits[] = "0123456789abcdef";
        id.clear();
        for (unsigned char b : bytes) {
            id += digits[b >> 4];
            id += digits[b & 15];
        }
    } while (sessions_.count(session_key(id)));
    return id;
}

void service_state::make_session_room_locked(session_change& change) {
    if (sessions_.size() < max_sessions) return;
    auto quietest = sessions_.begin();
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it)
        if (it->second.last_seen < quietest->second.last_seen) quietest = it;
    release_copy_locked(quietest->second);
    change.ended.push_back(quietest->first);
    sessions_.erase(quietest);
}

std::size_t service_state::session_count() {
    std::lock_guard lock(mutex_);
    return sessions_.size();
}

void service_state::release_copy_locked(session& s) {
    if (s.game.empty()) return;
    auto it = in_play_.find(s.game);
    if (it != in_play_.end() && --it->second <= 0) in_play_.erase(it);
    s.game.clear();
}

std::string service_state::new_session(const std::string& user) {
    std::lock_guard lock(mutex_);
    session_change change;
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        if (it->second.user == user && !shared_account(user)) {
            release_copy_locked(it->second);
            change.ended.push_back(it->first);
            it = sessions_.erase(it);
        } else {
            ++it;
        }
    }
    make_session_room_locked(change);
    const std::string id = fresh_id_locked();
    const std::string key = session_key(id);
    const session& made = sessions_[key] =
        session{user, "", std::chrono::steady_clock::now(), shared_account(user) ? key : ""};
    change.put.push_back(stored_session{key, user, "", made.save_folder});
    persist(change);
    return id;
}

open_result service_state::take_copy(std::string& session_id, const std::string& user,
                                     const game_record& game, bool free_account) {
    std::lock_guard lock(mutex_);
    const int in_play = in_play_.count(game.id) ? in_play_[game.id] : 0;
    const int available = availability(game, in_play, free_account);
    if (available == 0) return open_result::all_in_play;
    if (available < 0) return open_result::full_only;
    session_change change;
    auto it = sessions_.find(session_key(session_id));
    if (it == sessions_.end() || it->second.user != user) {
        make_session_room_locked(change);
        session_id = fresh_id_locked();
        const std::string made = session_key(session_id);
        it = sessions_.emplace(made, session{user, "", {}, shared_account(user) ? made : ""}).first;
    }
    const std::string key = it->first;
    release_copy_locked(it->second);
    it->second.game = game.id;
    it->second.last_seen = std::chrono::steady_clock::now();
    ++in_play_[game.id];
    change.put.push_back(stored_session{key, user, game.id, it->second.save_folder});
    // The shared account is many people at once: none of them takes another's play over.
    if (!shared_account(user)) {
        const std::string play = user + '\n' + game.id;
        plays_[key] = play;
        newest_play_[play] = key;
        change.plays.push_back(stored_play{key, user, game.id});
    }
    persist(change);
    return open_result::ok;
}

bool service_state::play_is_newest(const std::string& user, const std::string& session_id) {
    std::lock_guard lock(mutex_);
    const std::string key = session_key(session_id);
    const auto it = plays_.find(key);
    if (it == plays_.end() || it->second.rfind(user + '\n', 0) != 0) return true;
    return newest_play_[it->second] == key;
}

void service_state::give_back_copy(const std::string& session_id) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(session_key(session_id));
    if (it == sessions_.end() || it->second.game.empty()) return;
    release_copy_locked(it->second);
    session_change change;
    change.put.push_back(stored_session{it->first, it->second.user, "", it->second.save_folder});
    persist(change);
}

bool service_state::touch_session(const std::string& user, const std::string& id) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(session_key(id));
    if (it == sessions_.end() || it->second.user != user) return false;
    it->second.last_seen = std::chrono::steady_clock::now();
    return true;
}

bool service_state::end_session(const std::string& user, const std::string& id) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(session_key(id));
    if (it == sessions_.end() || it->second.user != user) return false;
    release_copy_locked(it->second);
    persist(session_change{{it->first}, {}, {}});
    sessions_.erase(it);
    return true;
}

void service_state::expire_sessions() {
    std::lock_guard lock(mutex_);
    const auto limit =
        std::chrono::steady_clock::now() - std::chrono::seconds(options_.session_timeout_s);
    session_change change;
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        if (it->second.last_seen < limit) {
            release_copy_locked(it->second);
            change.ended.push_back(it->first);
            it = sessions_.erase(it);
        } else {
            ++it;
        }
    }
    if (!change.ended.empty()) persist(change);
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

bool service_state::authorize(const std::string& user) {
    std::lock_guard lock(mutex_);
    if (authorized_.count(user)) return true;
    if (authorized_.size() >= max_authorized) return false;
    if (store_ && !store_->authorize(user)) return false;
    authorized_.insert(user);
    return true;
}

bool service_state::authorized(const std::string& user) {
    std::lock_guard lock(mutex_);
    return authorized_.count(user) != 0;
}

bool service_state::set_status(const std::string& user, const std::string& status) {
    std::lock_guard lock(mutex_);
    if (!statuses_.count(user) && statuses_.size() >= max_statuses) return false;
    statuses_[user] = status;
    return true;
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
    // Checked again here: the file may have been swapped for a link since the start.
    if (!regular_file_inside(games_dir_, game.file))
        throw std::runtime_error("refused " + source.string());
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

std::optional<std::string> service_state::save_owner(const std::string& user,
                                                     const std::string& session) {
    if (!shared_account(user)) return user;
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(session_key(session));
    if (session.empty() || it == sessions_.end() || it->second.user != user ||
        it->second.save_folder.empty())
        return std::nullopt;
    return guest_owner(user, it->second.save_folder);
}

bool service_state::store_save(const std::string& user, const std::string& session,
                               const std::string& file, const std::string& bytes) {
    const auto owner = save_owner(user, session);
    if (!owner || !store_) return false;
    std::lock_guard lock(save_mutex_);
    const auto held = store_->saves_held(*owner);
    const save_use before = use_of(held);
    const save_use after = use_after_store(held, file, bytes.size(), save_versions_kept);
    if (!store_fits(before, after, quota_)) return false;
    if (shared_account(user)) {
        save_use guests = guest_use_;
        guests.saves = guests.saves + after.saves - std::min(before.saves, guests.saves);
        guests.bytes = guests.bytes + after.bytes - std::min(before.bytes, guests.bytes);
        if (!store_fits(guest_use_, guests, save_quota{max_guest_saves, max_guest_save_bytes}))
            return false;
        if (!store_->store_save(*owner, file, bytes, save_versions_kept)) return false;
        guest_use_ = guests;
        return true;
    }
    return store_->store_save(*owner, file, bytes, save_versions_kept);
}

std::optional<std::string> service_state::load_save(const std::string& user,
                                                    const std::string& session,
                                                    const std::string& file) {
    const auto owner = save_owner(user, session);
    if (!owner || !store_) return std::nullopt;
    return store_->load_save(*owner, file);
}

void service_state::drop_ended_guest_saves() {
    if (!store_) return;
    // The save lock first: a store that found its session alive either finished before the list
    // below was taken or waits for the sweep to end, so a live play never loses a save.
    std::lock_guard save_lock(save_mutex_);
    std::set<std::string> live;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, s] : sessions_)
            if (!s.save_folder.empty()) live.insert(guest_owner(s.user, s.save_folder));
    }
    save_use total;
    std::vector<std::string> ended;
    for (const auto& owner : store_->guest_save_owners()) {
        if (!live.count(owner)) {
            ended.push_back(owner);
            continue;
        }
        const save_use use = use_of(store_->saves_held(owner));
        total.saves += use.saves;
        total.bytes += use.bytes;
    }
    // Not dropped now, tried again within a second; meanwhile no one can reach them.
    store_->drop_saves_of(ended);
    guest_use_ = total;
}

std::vector<service_state::save_version> service_state::save_versions(const std::string& user,
                                                                      const std::string& file) {
    std::vector<save_version> out;
    std::string error;
    if (!open_store(error)) return out;
    for (const auto& v : store_->save_versions(user, file))
        out.push_back(save_version{v.number, v.size, v.stored_at});
    return out;
}

std::optional<std::string> service_state::save_version_bytes(const std::string& user,
                                                             const std::string& file, int number) {
    std::string error;
    if (!open_store(error)) return std::nullopt;
    return store_->load_save(user, file, number);
}

bool service_state::restore_save_version(const std::string& user, const std::string& file,
                                         int number, std::string& error) {
    if (!open_store(error)) return false;
    std::lock_guard lock(save_mutex_);
    const std::size_t kept = store_->save_versions(user, file).size();
    const auto bytes = store_->load_save(user, file, number);
    if (!bytes) {
        error = "no version " + std::to_string(number) + " of " + user + "'s " + file + " (" +
                std::to_string(kept) + " kept)";
        return false;
    }
    if (!store_->store_save(user, file, *bytes, save_versions_kept)) {
        error = "cannot write the save";
        return false;
    }
    return true;
}

void service_state::log_request(const std::string& bytes) {
    request_log_.write(options_.test_hooks ? bytes : redact_secrets(bytes));
}

void service_state::log_game(const char* bytes, std::size_t size) {
    // Opened on first use: a run without game connections leaves no empty log behind.
    game_log_.write(std::string_view(bytes, size));
}

void service_state::log_event(const std::string& line) {
    std::cerr << "rx_service: " << line << std::endl;
    event_log_.write(line + "\n");
}

}  // namespace rx::service
