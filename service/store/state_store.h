// What rx_service keeps across restarts (accounts, play sessions, plays, permissions, saves with
// their history), behind an interface so the protocol code never sees how it is kept.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "service/logic/catalogue.h"
#include "service/logic/save_quota.h"

namespace rx::service {

// A play session as it outlives the process: whose, the game whose copy it holds (empty while
// none) and, for the shared guest account, the name its saves are kept under. Its last contact is
// not kept: a restored session gets a whole time-out from the start.
struct stored_session {
    // Not the id a client holds but a hash of it: whoever reads the store gets no session.
    std::string id;
    std::string user;
    std::string game;
    std::string save_folder;
};

// A play: the session that opened `game` for `user`. The newest play of a user and game is the
// one whose stores are taken.
struct stored_play {
    std::string session;
    std::string user;
    std::string game;
};

// One change to sessions and plays, made whole or not at all.
struct session_change {
    std::vector<std::string> ended;
    std::vector<stored_session> put;  // added or replaced
    std::vector<stored_play> plays;   // each becomes the newest of its user and game
};

struct stored_version {
    int number = 0;  // 1 the newest, which is the current save
    std::uint64_t size = 0;
    std::int64_t stored_at = 0;  // seconds since 1970
};

// Saves belong to an owner: an account's name, or for a guest play the guest account's name, a
// line feed and the play's folder name (no account name holds a line feed).
std::string guest_owner(const std::string& user, const std::string& folder);

// Every method is one transaction: it happens whole or, returning false (or nothing), not at all.
// Safe to call from several threads.
class state_store {
  public:
    virtual ~state_store() = default;

    virtual std::vector<account_record> accounts() = 0;
    virtual bool put_account(const account_record& account) = 0;

    virtual std::vector<stored_session> sessions() = 0;
    virtual std::vector<stored_play> plays() = 0;  // oldest first
    virtual bool change_sessions(const session_change& change) = 0;

    virtual std::set<std::string> authorized() = 0;
    virtual bool authorize(const std::string& user) = 0;

    // Each save of the owner with the sizes of its current bytes and kept versions, as the quota
    // counts them.
    virtual std::map<std::string, kept_save> saves_held(const std::string& owner) = 0;
    // Version `number` (1 the current save); nothing when there is none.
    virtual std::optional<std::string> load_save(const std::string& owner, const std::string& name,
                                                 int number = 1) = 0;
    virtual std::vector<stored_version> save_versions(const std::string& owner,
                                                      const std::string& name) = 0;
    // The bytes become the current save and its newest version; beyond `keep` versions the
    // oldest go.
    virtual bool store_save(const std::string& owner, const std::string& name,
                            const std::string& bytes, std::size_t keep) = 0;
    // Owners of guest plays' saves (those starting with the guest account's name and a line feed).
    virtual std::vector<std::string> guest_save_owners() = 0;
    virtual bool drop_saves_of(const std::vector<std::string>& owners) = 0;
};

// What a data folder of an older version holds, read before the database takes over.
struct legacy_data {
    std::vector<account_record> accounts;  // passwords already hashed
    std::size_t plain_passwords = 0;       // how many were hashed on the way
    bool accounts_from_sample = false;
    std::vector<std::string> authorized;
    struct save {
        std::string owner, name;
        std::vector<std::string> versions;  // oldest first; the last is the current save
        std::vector<std::int64_t> stored_at;
    };
    std::vector<save> saves;
    std::vector<std::string> files;  // what was read, moved aside once the import is kept
};

}  // namespace rx::service
