// Reads an older data folder's accounts, permissions and saves for the database, and moves them
// aside once the database holds them.
#include "service/store/legacy_import.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "platform/file.h"
#include "service/logic/http.h"

namespace rx::service {
namespace fs = std::filesystem;

namespace {

const char* const set_aside = "imported";

std::int64_t stored_time(const fs::path& path) {
    std::error_code ec;
    const auto when = fs::last_write_time(path, ec);
    if (ec) return 0;
    return std::chrono::duration_cast<std::chrono::seconds>(
               when - fs::file_time_type::clock::now() + std::chrono::system_clock::now() -
               std::chrono::system_clock::from_time_t(0))
        .count();
}

// A leftover of a write that never finished: NAME.tmpN.
bool temporary_name(const std::string& name) {
    const auto at = name.rfind(".tmp");
    return at != std::string::npos && at + 4 < name.size() &&
           name.find_first_not_of("0123456789", at + 4) == std::string::npos;
}

bool read_file_into(const fs::path& path, std::string& bytes, std::string& error) {
    if (rx::platform::read_whole_file(path.string(), bytes) == rx::platform::read_status::ok)
        return true;
    error = "cannot read " + path.string();
    return false;
}

bool read_saves(const fs::path& data, legacy_data& out, std::string& error) {
    std::error_code ec;
    std::map<std::pair<std::string, std::string>, legacy_data::save> found;
    for (const auto& user : fs::directory_iterator(data / "saves", ec)) {
        const std::string owner = percent_decode(user.path().filename().string());
        // Guest plays' saves went with their plays; a shared folder's were anyone's.
        if (owner == "guest" || !user.is_directory(ec)) continue;
        for (const auto& file : fs::directory_iterator(user.path(), ec)) {
            const std::string stored = file.path().filename().string();
            if (!file.is_regular_file(ec) || temporary_name(stored)) continue;
            legacy_data::save& save = found[{owner, percent_decode(stored)}];
            save.owner = owner;
            save.name = percent_decode(stored);
            std::string bytes;
            if (!read_file_into(file.path(), bytes, error)) return false;
            save.versions.push_back(bytes);
            save.stored_at.push_back(stored_time(file.path()));
        }
    }
    for (const auto& user : fs::directory_iterator(data / "save_versions", ec)) {
        const std::string owner = percent_decode(user.path().filename().string());
        if (owner == "guest" || !user.is_directory(ec)) continue;
        for (const auto& folder : fs::directory_iterator(user.path(), ec)) {
            if (!folder.is_directory(ec)) continue;
            std::vector<fs::path> files;
            for (const auto& v : fs::directory_iterator(folder.path(), ec)) {
                const std::string n = v.path().filename().string();
                if (v.is_regular_file(ec) && !n.empty() &&
                    n.find_first_not_of("0123456789") == std::string::npos)
                    files.push_back(v.path());
            }
            if (files.empty()) continue;
            // Fixed-width numbers: name order is store order.
            std::sort(files.begin(), files.end());
            const std::string name = percent_decode(folder.path().filename().string());
            legacy_data::save& save = found[{owner, name}];
            save.owner = owner;
            save.name = name;
            // The current file is the newest version again; the versions say it all.
            save.versions.clear();
            save.stored_at.clear();
            for (const auto& path : files) {
                std::string bytes;
                if (!read_file_into(path, bytes, error)) return false;
                save.versions.push_back(bytes);
                save.stored_at.push_back(stored_time(path));
            }
        }
    }
    for (auto& [key, save] : found) out.saves.push_back(std::move(save));
    return true;
}

}  // namespace

bool read_legacy_data(const std::string& data_dir, const std::string& seed_accounts,
                      password_cost cost, legacy_data& out, std::string& error) {
    const fs::path data(data_dir);
    std::string text;
    std::string source = (data / "accounts.txt").string();
    auto status = rx::platform::read_whole_file(source, text);
    if (status == rx::platform::read_status::missing && !seed_accounts.empty()) {
        source = seed_accounts;
        out.accounts_from_sample = true;
        status = rx::platform::read_whole_file(source, text);
    }
    if (status == rx::platform::read_status::ok) {
        std::string why;
        const auto accounts = parse_accounts(text, &why);
        if (!accounts) {
            error = "accounts: " + source + ": " + why;
            return false;
        }
        out.accounts = *accounts;
        const auto hashed = hash_plain_passwords(out.accounts, cost);
        if (!hashed) {
            error = "accounts: cannot hash the passwords of " + source;
            return false;
        }
        out.plain_passwords = *hashed;
    } else if (status != rx::platform::read_status::missing) {
        error = "accounts: cannot read " + source;
        return false;
    }
    std::string list;
    status = rx::platform::read_whole_file((data / "authorized.txt").string(), list);
    if (status == rx::platform::read_status::ok) {
        std::istringstream lines(list);
        for (std::string user; std::getline(lines, user);)
            if (!user.empty()) out.authorized.push_back(user);
    } else if (status != rx::platform::read_status::missing) {
        error = "cannot read " + (data / "authorized.txt").string();
        return false;
    }
    return read_saves(data, out, error);
}

bool set_legacy_files_aside(const std::string& data_dir, const legacy_data& data,
                            std::string& error) {
    const fs::path folder(data_dir), aside = folder / set_aside;
    std::error_code ec;
    fs::create_directories(aside, ec);
    if (ec) {
        error = "cannot create " + aside.string();
        return false;
    }
    const fs::path accounts = folder / "accounts.txt";
    if (!data.accounts_from_sample && fs::exists(accounts, ec)) {
        // Only hashes leave with it: a plain password must not outlive the import anywhere.
        const std::string failed = rx::platform::replace_file(
            (aside / "accounts.txt").string(), write_accounts(data.accounts), 0600, true);
        if (!failed.empty() || !fs::remove(accounts, ec)) {
            error = "cannot move " + accounts.string() + " aside";
            return false;
        }
    }
    for (const char* name : {"authorized.txt", "saves", "save_versions"}) {
        if (!fs::exists(folder / name, ec)) continue;
        fs::rename(folder / name, aside / name, ec);
        if (ec) {
            error = "cannot move " + (folder / name).string() + " aside: " + ec.message();
            return false;
        }
    }
    return true;
}

std::string import_summary(const legacy_data& data) {
    std::size_t versions = 0;
    for (const auto& s : data.saves) versions += s.versions.size();
    return std::to_string(data.accounts.size()) + " accounts" +
           (data.accounts_from_sample ? " (the sample's)" : "") + " (" +
           std::to_string(data.plain_passwords) + " plain passwords hashed), " +
           std::to_string(data.authorized.size()) + " permissions, " +
           std::to_string(data.saves.size()) + " saves with " + std::to_string(versions) +
           " versions";
}

}  // namespace rx::service
