// The SQLite state store: schema versions with their migrations, and each change in one
// transaction behind one connection.
#include "service/store/sqlite_store.h"

#include <sqlite3.h>

#include <ctime>
#include <filesystem>
#include <mutex>

namespace rx::service {

std::string guest_owner(const std::string& user, const std::string& folder) {
    return user + '\n' + folder;
}

namespace {

// Migration N takes a database from user_version N-1 to N; a released entry never changes, later
// schemas are new entries.
const char* const migrations[] = {
    // 1: the first schema.
    "CREATE TABLE accounts(name TEXT PRIMARY KEY, hash TEXT NOT NULL, kind INTEGER NOT NULL);"
    "CREATE TABLE sessions(id TEXT PRIMARY KEY, user TEXT NOT NULL, game TEXT NOT NULL,"
    " save_folder TEXT NOT NULL);"
    // Rowid order is play order: a play stored again becomes the newest.
    "CREATE TABLE plays(session TEXT PRIMARY KEY, user TEXT NOT NULL, game TEXT NOT NULL);"
    "CREATE TABLE authorized(name TEXT PRIMARY KEY);"
    "CREATE TABLE saves(owner TEXT NOT NULL, name TEXT NOT NULL, seq INTEGER NOT NULL,"
    " stored_at INTEGER NOT NULL, size INTEGER NOT NULL, bytes BLOB NOT NULL,"
    " PRIMARY KEY(owner, name, seq));",
};
constexpr int newest_version = static_cast<int>(sizeof migrations / sizeof migrations[0]);

class statement {
  public:
    statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
    }
    ~statement() { sqlite3_finalize(stmt_); }
    statement(const statement&) = delete;
    statement& operator=(const statement&) = delete;

    bool ok() const { return stmt_ != nullptr; }
    statement& bind(int i, const std::string& text) {
        sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    statement& bind_blob(int i, const std::string& bytes) {
        sqlite3_bind_blob(stmt_, i, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    statement& bind(int i, std::int64_t value) {
        sqlite3_bind_int64(stmt_, i, value);
        return *this;
    }
    // True while a row is there; `done` tells a finished statement from a failed one.
    bool row() {
        if (!stmt_) return false;
        const int rc = sqlite3_step(stmt_);
        done_ = rc == SQLITE_DONE;
        return rc == SQLITE_ROW;
    }
    bool run() {
        while (row()) {
        }
        return done_;
    }
    bool done() const { return done_; }
    std::string text(int i) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_blob(stmt_, i));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, i)))
                 : std::string();
    }
    std::int64_t integer(int i) { return sqlite3_column_int64(stmt_, i); }

  private:
    sqlite3_stmt* stmt_ = nullptr;
    bool done_ = false;
};

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::int64_t now_seconds() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

bool insert_save_version(sqlite3* db, const std::string& owner, const std::string& name,
                         const std::string& bytes, std::int64_t stored_at, std::size_t keep) {
    statement next(db, "SELECT COALESCE(MAX(seq), 0) + 1 FROM saves WHERE owner = ? AND name = ?");
    next.bind(1, owner).bind(2, name);
    if (!next.row()) return false;
    const std::int64_t seq = next.integer(0);
    statement put(db, "INSERT INTO saves VALUES(?, ?, ?, ?, ?, ?)");
    put.bind(1, owner).bind(2, name).bind(3, seq).bind(4, stored_at);
    put.bind(5, static_cast<std::int64_t>(bytes.size())).bind_blob(6, bytes);
    if (!put.run()) return false;
    // Numbers rise by one per store, so the kept ones are the last `keep`.
    statement drop(db, "DELETE FROM saves WHERE owner = ? AND name = ? AND seq <= ?");
    drop.bind(1, owner).bind(2, name).bind(3, seq - static_cast<std::int64_t>(keep));
    return drop.run();
}

constexpr std::size_t plays_kept = 100000;

class sqlite_store final : public state_store {
  public:
    explicit sqlite_store(sqlite3* db) : db_(db) {}
    ~sqlite_store() override { sqlite3_close(db_); }

    std::vector<account_record> accounts() override {
        std::lock_guard lock(mutex_);
        std::vector<account_record> out;
        statement s(db_, "SELECT name, hash, kind FROM accounts ORDER BY rowid");
        while (s.row())
            out.push_back(account_record{s.text(0), s.text(1), static_cast<int>(s.integer(2))});
        return out;
    }

    bool put_account(const account_record& account) override {
        return transaction([&] {
            statement s(db_, "INSERT OR REPLACE INTO accounts VALUES(?, ?, ?)");
            s.bind(1, account.name).bind(2, account.password).bind(3, std::int64_t{account.kind});
            return s.run();
        });
    }

    std::vector<stored_session> sessions() override {
        std::lock_guard lock(mutex_);
        std::vector<stored_session> out;
        statement s(db_, "SELECT id, user, game, save_folder FROM sessions");
        while (s.row()) out.push_back(stored_session{s.text(0), s.text(1), s.text(2), s.text(3)});
        return out;
    }

    std::vector<stored_play> plays() override {
        std::lock_guard lock(mutex_);
        std::vector<stored_play> out;
        statement s(db_, "SELECT session, user, game FROM plays ORDER BY rowid");
        while (s.row()) out.push_back(stored_play{s.text(0), s.text(1), s.text(2)});
        return out;
    }

    bool change_sessions(const session_change& change) override {
        return transaction(
            [&] {
                for (const auto& id : change.ended) {
                    statement s(db_, "DELETE FROM sessions WHERE id = ?");
                    if (!s.bind(1, id).run()) return false;
                }
                for (const auto& put : change.put) {
                    statement s(db_, "INSERT OR REPLACE INTO sessions VALUES(?, ?, ?, ?)");
                    s.bind(1, put.id).bind(2, put.user).bind(3, put.game).bind(4, put.save_folder);
                    if (!s.run()) return false;
                }
                for (const auto& play : change.plays) {
                    statement s(db_, "INSERT OR REPLACE INTO plays VALUES(?, ?, ?)");
                    if (!s.bind(1, play.session).bind(2, play.user).bind(3, play.game).run())
                        return false;
                }
                // A play is remembered so that its stores can be refused once a newer one took
                // over; the newest plays_kept are, older ones are forgotten (their stores are then
                // taken, as a play from before the first start's).
                if (change.plays.empty()) return true;
                statement trim(
                    db_, "DELETE FROM plays WHERE rowid <= (SELECT MAX(rowid) FROM plays) - ?");
                return trim.bind(1, static_cast<std::int64_t>(plays_kept)).run();
            },
            false);
    }

    std::set<std::string> authorized() override {
        std::lock_guard lock(mutex_);
        std::set<std::string> out;
        statement s(db_, "SELECT name FROM authorized");
        while (s.row()) out.insert(s.text(0));
        return out;
    }

    bool authorize(const std::string& user) override {
        return transaction(
            [&] {
                statement s(db_, "INSERT OR IGNORE INTO authorized VALUES(?)");
                return s.bind(1, user).run();
            },
            false);
    }

    std::map<std::string, kept_save> saves_held(const std::string& owner) override {
        std::lock_guard lock(mutex_);
        std::map<std::string, kept_save> held;
        statement s(db_, "SELECT name, size FROM saves WHERE owner = ? ORDER BY name, seq DESC");
        s.bind(1, owner);
        while (s.row()) {
            kept_save& save = held[s.text(0)];
            const auto size = static_cast<std::uint64_t>(s.integer(1));
            // The newest version is the current save; the quota counts both, as it always has.
            if (!save.has_current) {
                save.has_current = true;
                save.current = size;
            }
            save.versions.push_back(size);
        }
        return held;
    }

    std::optional<std::string> load_save(const std::string& owner, const std::string& name,
                                         int number) override {
        std::lock_guard lock(mutex_);
        statement s(db_,
                    "SELECT bytes FROM saves WHERE owner = ? AND name = ? ORDER BY seq DESC "
                    "LIMIT 1 OFFSET ?");
        s.bind(1, owner).bind(2, name).bind(3, std::int64_t{number - 1});
        if (number < 1 || !s.row()) return std::nullopt;
        return s.text(0);
    }

    std::vector<stored_version> save_versions(const std::string& owner,
                                              const std::string& name) override {
        std::lock_guard lock(mutex_);
        std::vector<stored_version> out;
        statement s(db_,
                    "SELECT size, stored_at FROM saves WHERE owner = ? AND name = ? "
                    "ORDER BY seq DESC");
        s.bind(1, owner).bind(2, name);
        while (s.row())
            out.push_back(stored_version{static_cast<int>(out.size()) + 1,
                                         static_cast<std::uint64_t>(s.integer(0)), s.integer(1)});
        return out;
    }

    bool store_save(const std::string& owner, const std::string& name, const std::string& bytes,
                    std::size_t keep) override {
        return transaction(
            [&] { return insert_save_version(db_, owner, name, bytes, now_seconds(), keep); });
    }

    std::vector<std::string> guest_save_owners() override {
        std::lock_guard lock(mutex_);
        std::vector<std::string> out;
        // Owners "guest\n..." sort between "guest\n" and "guest\v".
        statement s(db_, "SELECT DISTINCT owner FROM saves WHERE owner > ? AND owner < ?");
        s.bind(1, std::string("guest\n")).bind(2, std::string("guest\v"));
        while (s.row()) out.push_back(s.text(0));
        return out;
    }

    bool drop_saves_of(const std::vector<std::string>& owners) override {
        if (owners.empty()) return true;
        return transaction([&] {
            for (const auto& owner : owners) {
                statement s(db_, "DELETE FROM saves WHERE owner = ?");
                if (!s.bind(1, owner).run()) return false;
            }
            return true;
        });
    }

  private:
    // `durable`: the commit reaches the disk before it returns (a save, an account). Otherwise it
    // survives a crash of the process but may be lost with the machine's power: sessions and
    // permissions, changed far more often and cheap to lose, need not wait for the disk each time.
    template <typename F>
    bool transaction(F&& body, bool durable = true) {
        std::lock_guard lock(mutex_);
        if (durable != durable_) {
            if (!exec(db_, durable ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL"))
                return false;
            durable_ = durable;
        }
        // IMMEDIATE takes the write lock at once, so another process's writer makes this one wait
        // (up to the busy time-out) instead of failing half-way.
        if (!exec(db_, "BEGIN IMMEDIATE")) return false;
        if (body() && exec(db_, "COMMIT")) return true;
        exec(db_, "ROLLBACK");
        return false;
    }

    sqlite3* db_;
    std::mutex mutex_;
    bool durable_ = true;  // the connection opens with synchronous=FULL
};

bool store_legacy(sqlite3* db, const legacy_data& data) {
    for (const auto& a : data.accounts) {
        statement s(db, "INSERT OR REPLACE INTO accounts VALUES(?, ?, ?)");
        if (!s.bind(1, a.name).bind(2, a.password).bind(3, std::int64_t{a.kind}).run())
            return false;
    }
    for (const auto& user : data.authorized) {
        statement s(db, "INSERT OR IGNORE INTO authorized VALUES(?)");
        if (!s.bind(1, user).run()) return false;
    }
    for (const auto& save : data.saves)
        for (std::size_t i = 0; i < save.versions.size(); ++i)
            if (!insert_save_version(db, save.owner, save.name, save.versions[i], save.stored_at[i],
                                     save.versions.size()))
                return false;
    return true;
}

}  // namespace

int sqlite_schema_version() {
    return newest_version;
}

opened_store open_sqlite_store(const std::string& path, const legacy_reader& import,
                               std::string& error, int busy_ms) {
    opened_store out;
    namespace fs = std::filesystem;
    std::error_code ec;
    const bool existed = fs::exists(path, ec);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        error = "cannot open " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return out;
    }
    // The file holds password hashes and session ids: its owner's alone. SQLite gives its -wal
    // and -shm files the same mode.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, ec);
    const auto fail = [&](const std::string& what) {
        error = path + ": " + what + (db ? std::string(": ") + sqlite3_errmsg(db) : "");
        sqlite3_close(db);
        return std::move(out);
    };
    sqlite3_busy_timeout(db, busy_ms);
    // WAL: readers never wait for the writer; FULL: a store the client was told is kept survives
    // a power cut, not only a crash of the process.
    // The log is folded into the file every 1,000 pages; a burst of large saves must not leave it
    // that large for good.
    if (!exec(db, "PRAGMA journal_mode=WAL") || !exec(db, "PRAGMA synchronous=FULL") ||
        !exec(db, "PRAGMA journal_size_limit=16777216"))
        return fail("cannot set it up");
    if (!exec(db, "BEGIN IMMEDIATE")) return fail("cannot take the write lock");
    int version = -1;
    {
        statement s(db, "PRAGMA user_version");
        if (s.row()) version = static_cast<int>(s.integer(0));
    }
    if (version < 0 || version > newest_version) {
        exec(db, "ROLLBACK");
        return fail(version < 0 ? "cannot read the schema version"
                                : "made by a newer rx_service (schema " + std::to_string(version) +
                                      ", this one knows " + std::to_string(newest_version) + ")");
    }
    bool ok = true;
    for (int v = version; ok && v < newest_version; ++v) ok = exec(db, migrations[v]);
    std::string why;
    if (ok && version == 0) {
        legacy_data data;
        if (!import(data, why)) {
            exec(db, "ROLLBACK");
            sqlite3_close(db);
            db = nullptr;
            if (!existed)
                for (const char* tail : {"", "-wal", "-shm"}) fs::remove(path + tail, ec);
            error = why;
            return out;
        }
        ok = store_legacy(db, data);
        out.imported = std::move(data);
    }
    if (ok) {
        const std::string set = "PRAGMA user_version=" + std::to_string(newest_version);
        ok = exec(db, set.c_str()) && exec(db, "COMMIT");
    }
    if (!ok) {
        exec(db, "ROLLBACK");
        out.imported.reset();
        return fail("cannot bring the schema up to date");
    }
    out.store = std::make_unique<sqlite_store>(db);
    return out;
}

}  // namespace rx::service
