// Password hashes, the accounts file writer, the login limiter and log redaction.
#include "service/logic/protection.h"

#include <sodium.h>

#include <algorithm>

namespace rx::service {
namespace {

bool sodium_ready() {
    static const bool ready = ::sodium_init() >= 0;
    return ready;
}

bool storable(std::string_view text) {
    if (text.empty()) return false;
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7f) return false;
    return true;
}

bool name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Where a parameter value that starts at `from` ends.
std::size_t value_end(std::string_view text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n' || c == '\0') return i;
        if (c == ' ' && text.compare(i + 1, 5, "HTTP/") == 0) return i;
        if (c == '&') {
            std::size_t j = i + 1;
            while (j < text.size() && name_char(text[j])) ++j;
            if (j > i + 1 && j < text.size() && text[j] == '=') return i;
        }
    }
    return text.size();
}

}  // namespace

std::optional<password_cost> parse_password_cost(std::string_view name) {
    if (name == "moderate") return password_cost::moderate;
    if (name == "interactive") return password_cost::interactive;
    if (name == "min") return password_cost::min;
    return std::nullopt;
}

bool is_password_hash(std::string_view stored) {
    return stored.rfind("$argon2id$", 0) == 0;
}

std::string hash_password(std::string_view password, password_cost cost) {
    if (!sodium_ready()) return {};
    unsigned long long ops = crypto_pwhash_OPSLIMIT_MODERATE;
    std::size_t mem = crypto_pwhash_MEMLIMIT_MODERATE;
    if (cost == password_cost::interactive) {
        ops = crypto_pwhash_OPSLIMIT_INTERACTIVE;
        mem = crypto_pwhash_MEMLIMIT_INTERACTIVE;
    } else if (cost == password_cost::min) {
        ops = crypto_pwhash_OPSLIMIT_MIN;
        mem = crypto_pwhash_MEMLIMIT_MIN;
    }
    char out[crypto_pwhash_STRBYTES];
    if (::crypto_pwhash_str_alg(out, password.data(), password.size(), ops, mem,
                                crypto_pwhash_ALG_ARGON2ID13) != 0)
        return {};
    return out;
}

bool verify_password(const std::string& stored, std::string_view password) {
    if (!is_password_hash(stored) || !sodium_ready()) return false;
    return ::crypto_pwhash_str_verify(stored.c_str(), password.data(), password.size()) == 0;
}

std::optional<std::size_t> hash_plain_passwords(std::vector<account_record>& accounts,
                                                password_cost cost) {
    std::vector<account_record> hashed = accounts;
    std::size_t count = 0;
    for (auto& a : hashed) {
        if (is_password_hash(a.password)) continue;
        a.password = hash_password(a.password, cost);
        if (a.password.empty()) return std::nullopt;
        ++count;
    }
    accounts = std::move(hashed);
    return count;
}

std::string write_accounts(const std::vector<account_record>& accounts) {
    std::string text;
    for (const auto& a : accounts)
        text += a.name + "\t" + a.password + "\t" + std::to_string(a.kind) + "\n";
    return text;
}

bool put_account(std::vector<account_record>& accounts, account_record account) {
    if (!storable(account.name) || account.name.front() == '#' || !storable(account.password) ||
        (account.kind != 1 && account.kind != 2))
        return false;
    for (auto& a : accounts) {
        if (a.name == account.name) {
            a = std::move(account);
            return true;
        }
    }
    accounts.push_back(std::move(account));
    return true;
}

bool login_limiter::may_try(const std::string& key, clock::time_point now) const {
    const auto it = keys_.find(key);
    return it == keys_.end() || now >= it->second.locked_until;
}

std::chrono::milliseconds login_limiter::failed(const std::string& key, clock::time_point now) {
    auto it = keys_.find(key);
    if (it == keys_.end()) {
        make_room(now);
        it = keys_.emplace(key, entry{}).first;
    } else if (now - it->second.last_failure > policy_.forget_after) {
        it->second = entry{};
    }
    entry& e = it->second;
    e.last_failure = now;
    if (++e.failures <= policy_.free_failures) return std::chrono::milliseconds(0);
    // Doubling from the first lock; the shift is capped so it cannot overflow.
    const int doublings = std::min(e.failures - policy_.free_failures - 1, 30);
    const std::chrono::milliseconds lock = std::min<std::chrono::milliseconds>(
        policy_.first_lock * (1LL << doublings), policy_.longest_lock);
    e.locked_until = now + lock;
    return lock;
}

void login_limiter::succeeded(const std::string& key) {
    keys_.erase(key);
}

void login_limiter::make_room(clock::time_point now) {
    if (keys_.size() < policy_.max_keys) return;
    for (auto it = keys_.begin(); it != keys_.end();)
        it =
            (now >= it->second.locked_until && now - it->second.last_failure > policy_.forget_after)
                ? keys_.erase(it)
                : std::next(it);
    if (keys_.size() < policy_.max_keys) return;
    const auto quietest = std::min_element(keys_.begin(), keys_.end(), [](auto& a, auto& b) {
        return a.second.last_failure < b.second.last_failure;
    });
    keys_.erase(quietest);
}

std::string redact_secrets(std::string_view request) {
    std::string out;
    std::size_t from = 0;
    while (true) {
        // The earliest secret parameter from here: a key right after '?' or '&'.
        std::size_t at = std::string_view::npos, start = 0;
        for (std::string_view key : {std::string_view("password="), std::string_view("id=")}) {
            for (std::size_t k = request.find(key, from); k != std::string_view::npos;
                 k = request.find(key, k + 1)) {
                if (k == 0 || (request[k - 1] != '?' && request[k - 1] != '&')) continue;
                if (k < at) {
                    at = k;
                    start = k + key.size();
                }
                break;
            }
        }
        if (at == std::string_view::npos) break;
        const std::size_t end = value_end(request, start);
        out.append(request.substr(from, start - from));
        if (end > start) out += '*';
        from = end;
    }
    out.append(request.substr(from));
    return out;
}

bool connection_caps::enter(const std::string& address) {
    std::lock_guard lock(mutex_);
    if (open_ >= per_port_) return false;
    std::size_t& mine = by_address_[address];
    if (mine >= per_address_) return false;
    ++mine;
    ++open_;
    return true;
}

void connection_caps::leave(const std::string& address) {
    std::lock_guard lock(mutex_);
    const auto it = by_address_.find(address);
    if (it == by_address_.end()) return;
    if (--it->second == 0) by_address_.erase(it);
    --open_;
}

std::size_t connection_caps::open() const {
    std::lock_guard lock(mutex_);
    return open_;
}

}  // namespace rx::service
