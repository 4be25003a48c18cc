// What keeps rx_service's logins and logs safe: password hashes, the accounts file, the login
// rate limiter and the redaction of secrets from logged requests.
#pragma once
#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/logic/catalogue.h"

namespace rx::service {

// Argon2id cost of new hashes; "min" exists for tests only.
enum class password_cost { moderate, interactive, min };
std::optional<password_cost> parse_password_cost(std::string_view name);

// True for a stored hash (as opposed to a plain password left by an older accounts file).
bool is_password_hash(std::string_view stored);
// The Argon2id hash string of `password` (empty when the hash could not be made: out of memory).
std::string hash_password(std::string_view password, password_cost cost);
// True when `password` matches the stored hash; a plain stored password never matches.
bool verify_password(const std::string& stored, std::string_view password);

// Replaces every plain password in `accounts` by its hash; returns how many were replaced, or
// nullopt when a hash could not be made (the records are then unchanged).
std::optional<std::size_t> hash_plain_passwords(std::vector<account_record>& accounts,
                                                password_cost cost);
// The accounts file's text: one "name TAB hash TAB kind" line per account.
std::string write_accounts(const std::vector<account_record>& accounts);
// Adds the account or replaces the one of that name; false when the name cannot be stored (empty,
// or holding a tab, a line feed or a control byte) or the kind is not 1 or 2.
bool put_account(std::vector<account_record>& accounts, account_record account);

// Failed logins per key (an account or an address): a few failures are free, each later one locks
// the key out for twice as long as the one before, up to `longest_lock`. Failures are forgotten
// after `forget_after` of quiet. The table holds at most `max_keys` keys; the quietest go first.
struct limiter_policy {
    int free_failures = 5;
    std::chrono::milliseconds first_lock{1000};
    std::chrono::milliseconds longest_lock{std::chrono::minutes(15)};
    std::chrono::milliseconds forget_after{std::chrono::minutes(30)};
    std::size_t max_keys = 50000;
};

class login_limiter {
  public:
    using clock = std::chrono::steady_clock;
    explicit login_limiter(limiter_policy policy = {}) : policy_(policy) {}

    // False while `key` is locked out: its password is then not even checked.
    bool may_try(const std::string& key, clock::time_point now) const;
    // Counts a wrong password; returns the lock-out it starts (zero when none starts).
    std::chrono::milliseconds failed(const std::string& key, clock::time_point now);
    // A right password clears the key's failures.
    void succeeded(const std::string& key);
    std::size_t size() const { return keys_.size(); }

  private:
    struct entry {
        int failures = 0;
        clock::time_point locked_until{};
        clock::time_point last_failure{};
    };
    void make_room(clock::time_point now);

    limiter_policy policy_;
    std::map<std::string, entry> keys_;
};

// The open connections of one port: at most `per_port` in all and `per_address` from any one
// address, so connections from one address, however slow, leave room for everyone else. Entered on
// the accepting thread, left on the connection's own.
class connection_caps {
  public:
    connection_caps(std::size_t per_port, std::size_t per_address)
        : per_port_(per_port), per_address_(per_address) {}

    // Counts the connection in; false (nothing counted) while the port or the address is full.
    bool enter(const std::string& address);
    void leave(const std::string& address);
    std::size_t open() const;

  private:
    const std::size_t per_port_;
    const std::size_t per_address_;
    mutable std::mutex mutex_;
    std::size_t open_ = 0;
    // Only addresses with open connections: the table is never larger than the port's cap.
    std::map<std::string, std::size_t> by_address_;
};

// The request with the value of every "password=" and "id=" (a play session's id, which ends or
// keeps alive the session of whoever holds it) parameter replaced by "*", so logs never hold a
// secret. A value runs to the next "&name=" piece or to the blank before "HTTP/" (the clients do
// not encode their values, so a password may hold '&' or blanks).
std::string redact_secrets(std::string_view request);

}  // namespace rx::service
