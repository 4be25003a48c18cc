// Everything rx_service shares between connections: accounts, catalogue, copies in play, play
// sessions, fault switches, social-network permissions, the game image cache, saves and the request
// logs.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "service/log_file.h"
#include "service/logic/catalogue.h"
#include "service/logic/options.h"
#include "service/logic/protection.h"
#include "service/logic/save_quota.h"
#include "service/store/state_store.h"

namespace rx::service {

using image_bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

struct news_page {
    std::string heading1, heading2, body;
};

enum class open_result { ok, not_found, all_in_play, full_only };

// The guest account is shared by everyone who tries the service: its logins and sessions never
// clear one another.
inline bool shared_account(const std::string& user) {
    return user == "guest";
}

// Bounds of the tables that grow with what clients send: each stays this size at most, whatever
// arrives.
inline constexpr std::size_t max_sessions = 50000;       // the quietest session ends first
inline constexpr std::size_t max_statuses = 10000;       // further users' statuses are refused
inline constexpr std::size_t max_authorized = 100000;    // further permissions are refused
inline constexpr std::size_t max_recent_logins = 20000;  // the oldest login is forgotten first
// All guest plays' saves together, beside each play's own quota: guests need no account, so this is
// what anyone at all can make the service keep.
inline constexpr std::size_t max_guest_saves = 1000;
inline constexpr std::uint64_t max_guest_save_bytes = std::uint64_t{256} << 20;
// How long a login lets the same address post statuses and permissions for its user.
inline constexpr std::chrono::hours recent_login_lasts{12};

class service_state {
  public:
    service_state(service_options options, std::string sample_dir, std::string data_dir);
    ~service_state();
    service_state(const service_state&) = delete;
    service_state& operator=(const service_state&) = delete;

    // Reads the sample data and the games folder, opens the logs and the state database and reads
    // back what it holds (play sessions and copies in play included); false with the reasons (one
    // line each) when something is missing or broken.
    bool load(std::string& error);
    // Opens the state database in the data folder (DATA/state.db) alone, for an operator's
    // command beside a running service. The first open makes it and takes in the files an older
    // version kept there; only the service's own start seeds it with the sample's accounts.
    bool open_store(std::string& error, bool seed_from_sample = false);
    // Adds or replaces the account (hashing its password); false with the reason.
    bool add_account(const account_record& account, std::string& error);

    const service_options& options() const { return options_; }
    const std::string& sample_dir() const { return sample_dir_; }
    const std::string& data_dir() const { return data_dir_; }
    // Where the screenshot of that name is read from: the games folder for its own games' pictures,
    // the sample's info_img folder otherwise.
    std::string screenshot_path(const std::string& name) const;

    // Account kind for the name and password: 0 when unknown, wrong, or while the account or the
    // address is locked out after failed logins. `address` is the client's.
    int check_login(const std::string& user, const std::string& password,
                    const std::string& address);
    // Whether a status or a permission for `user` comes from the user: a right password, a live
    // play session of the user, or a login of the user from the same address not long ago.
    // Without test hooks nothing else is believed.
    bool speaks_for(const std::string& user, const std::optional<std::string>& password,
                    const std::optional<std::string>& session, const std::string& address);

    const std::vector<game_record>& games() const { return games_; }
    const game_record* find_game(const std::string& id) const;
    const news_page& news() const { return news_; }
    int availability_of(const game_record& game, bool free_account);

    // A new play session for `user`; the user's earlier sessions end and give their copies back
    // (not for the shared guest account).
    std::string new_session(const std::string& user);
    // Takes a copy of the game for the session (an unnamed session is made when `session_id` is
    // empty; its id is written back).
    open_result take_copy(std::string& session_id, const std::string& user, const game_record& game,
                          bool free_account);
    // Gives the session's copy back at once (a game stream that did not reach the client).
    void give_back_copy(const std::string& session_id);
    // True while the session is alive; its time-out starts again.
    bool touch_session(const std::string& user, const std::string& id);
    // Ends the session and frees its copy; false when no such session was alive.
    bool end_session(const std::string& user, const std::string& id);
    // Ends every session whose last contact is older than the time-out.
    void expire_sessions();

    // Game server logins: at most one open, logged-in game connection per user (the guest account
    // aside). A second login clears the older connections (they are shut down) and reports true
    // once so the client logs in again. `connection` is unique per connection for the whole run
    // (socket numbers are reused).
    bool login_conflicts(const std::string& user, std::uint64_t connection, int fd);
    void logout_connection(const std::string& user, std::uint64_t connection);

    fault_settings faults();
    bool set_fault(const std::string& name, const std::string& value, std::string& error);
    void reset_faults();
    // Consumes one of the pending "user in use" answers; true when one was pending.
    bool take_user_in_use();

    // False when the table is full.
    bool authorize(const std::string& user);
    bool authorized(const std::string& user);
    bool set_status(const std::string& user, const std::string& status);
    std::string status_of(const std::string& user);

    // The zlib-compressed image of the game; built once and kept in a bounded cache. A real game is
    // compressed from its file the first time and also kept on disk, where it is found again once
    // the memory cache has let it go.
    image_bytes compressed_image(const game_record& game);

    // True unless a newer play of the same game by the same account began after the play
    // `session_id` (an unknown id, say one long forgotten, is not refused).
    bool play_is_newest(const std::string& user, const std::string& session_id);

    // An account's saves live in the state database, each store in one transaction. Every store
    // is also kept as a version; the newest save_versions_kept stay. The shared guest account has
    // no saves of its own: each guest play session has its own (under s<hash of the id>), reached
    // only through that
    // session's id (`session`: the play the connection named, or the session it opened), so no
    // guest reads another's; they go when the session ends. A store beyond the owner's quota is
    // refused and the stored save stays as it was.
    static constexpr std::size_t save_versions_kept = 5;
    bool store_save(const std::string& user, const std::string& session, const std::string& file,
                    const std::string& bytes);
    std::optional<std::string> load_save(const std::string& user, const std::string& session,
                                         const std::string& file);
    // Removes the saves of guest plays whose session has ended (or that a former run left).
    void drop_ended_guest_saves();
    struct save_version {
        int number = 0;  // 1 the newest, which is the current save
        std::uint64_t size = 0;
        std::int64_t stored_at = 0;  // seconds since 1970
    };
    std::vector<save_version> save_versions(const std::string& user, const std::string& file);
    // The bytes of version `number` (1 the current save); nothing when there is none.
    std::optional<std::string> save_version_bytes(const std::string& user, const std::string& file,
                                                  int number);
    // Makes version `number` the current save, itself kept as the newest version so the restore
    // can be undone; false with a reason.
    bool restore_save_version(const std::string& user, const std::string& file, int number,
                              std::string& error);

    // Requests are logged with their passwords and session ids masked (unless test hooks are on,
    // where tests read what the clients sent).
    void log_request(const std::string& bytes);
    void log_game(const char* bytes, std::size_t size);
    // One line for the operator: standard error and DATA/service.log.
    void log_event(const std::string& line);
    std::size_t session_count();

  private:
    struct session {
        std::string user;
        std::string game;  // empty while no copy is held
        std::chrono::steady_clock::time_point last_seen;
        // The guest account's sessions: their saves' owner within the guest account (the key).
        std::string save_folder;
    };
    struct cache_entry {
        std::shared_future<image_bytes> image;
        std::size_t bytes = 0;
        std::uint64_t last_use = 0;
    };

    void release_copy_locked(session& s);
    // The account's name, or for a guest play its own owner (guest_owner).
    std::optional<std::string> save_owner(const std::string& user, const std::string& session);
    // Writes a change of sessions and plays through; a failure costs only their survival of a
    // restart, so it is logged and play goes on.
    void persist(const session_change& change);
    void make_session_room_locked(session_change& change);
    std::string fresh_id_locked();
    void trim_cache_locked();
    bool load_games_folder(std::string& error);
    image_bytes build_image(const game_record& game);

    service_options options_;
    std::string sample_dir_;
    std::string data_dir_;
    std::string games_dir_;  // empty: no games folder
    std::set<std::string> game_screenshots_;
    std::vector<account_record> accounts_;  // passwords as hashes
    password_cost cost_ = password_cost::moderate;
    std::vector<game_record> games_;
    std::map<std::string, std::size_t> game_index_;
    news_page news_;

    std::mutex mutex_;
    std::map<std::string, session> sessions_;  // by session_key, never by the id itself
    std::map<std::string, int> in_play_;
    std::map<std::string, std::map<std::uint64_t, int>> logins_;
    // Plays by session key (user and game), and the newest play's session key of each user and
    // game.
    std::map<std::string, std::string> plays_;
    std::map<std::string, std::string> newest_play_;
    fault_settings faults_;
    std::set<std::string> authorized_;
    std::map<std::string, std::string> statuses_;
    std::map<std::string, std::chrono::steady_clock::time_point> recent_logins_;  // user \n address

    std::mutex limiter_mutex_;
    login_limiter account_limiter_;
    login_limiter address_limiter_;
    // Hash checks are slow and large on purpose: a few at a time, the others wait their turn.
    std::mutex hash_mutex_;
    std::condition_variable hash_turn_;
    int hashing_ = 0;

    std::mutex cache_mutex_;
    std::map<std::string, cache_entry> cache_;
    std::size_t cache_bytes_ = 0;
    std::uint64_t cache_clock_ = 0;

    std::unique_ptr<state_store> store_;

    // Taken before mutex_ where both are held.
    std::mutex save_mutex_;
    std::uint64_t temp_counter_ = 0;
    save_quota quota_;
    save_use guest_use_;  // every guest play's saves together

    log_file request_log_;
    log_file game_log_;
    log_file event_log_;
};

}  // namespace rx::service
