// Reading an update folder's list and signing it with the service's private key.
#include "service/update_folder.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "platform/file.h"
#include "platform/install.h"
#include "platform/path.h"
#include "service/logic/http.h"
#include "updater/logic/signature.h"

namespace rx::service {
namespace fs = std::filesystem;

std::optional<update_listing> read_update_listing(const std::string& folder, std::string* error) {
    std::string list;
    if (platform::read_whole_file(platform::join_path(folder, "manifest.txt"), list) !=
        platform::read_status::ok) {
        if (error) *error = "no manifest.txt in " + folder;
        return std::nullopt;
    }
    update_listing listing;
    std::uint64_t total = 0;
    std::istringstream lines(list);
    for (std::string entry; std::getline(lines, entry);) {
        if (entry.empty()) continue;
        std::error_code ec;
        const auto size = fs::file_size(fs::path(folder) / entry.substr(1), ec);
        if (ec) {
            if (error) *error = "update file missing " + entry;
            return std::nullopt;
        }
        total += size;
        listing.entries.push_back(entry);
    }
    listing.manifest = update_manifest(total, listing.entries);
    return listing;
}

std::set<std::string> signed_update_entries(const std::string& folder) {
    std::string text;
    if (platform::read_whole_file(platform::join_path(folder, "signature.txt"), text, 1u << 20) !=
        platform::read_status::ok)
        return {};
    const auto parsed = updater::parse_signature(text);
    const auto listing = read_update_listing(folder, nullptr);
    if (!parsed.value || !listing) return {};
    const std::set<std::string> listed(listing->entries.begin(), listing->entries.end());
    std::set<std::string> served;
    for (const auto& file : parsed.value->files)
        if (listed.count(file.entry)) served.insert(file.entry);
    return served;
}

std::optional<updater::signing_terms> signing_terms_of(const std::string& release,
                                                       const std::string& expires,
                                                       const std::string& next_key_file,
                                                       std::string* error) {
    updater::signing_terms terms;
    const auto number = updater::parse_release(release);
    if (!number) {
        if (error) *error = "--release " + release + " is not a whole number above 0";
        return std::nullopt;
    }
    terms.release = *number;
    if (!expires.empty()) {
        const auto date = updater::parse_date(expires);
        if (!date) {
            if (error) *error = "--expires " + expires + " is not a date YYYY-MM-DD";
            return std::nullopt;
        }
        terms.expires = *date;
    }
    if (!next_key_file.empty()) {
        std::string text;
        const auto key =
            platform::read_whole_file(next_key_file, text, 4096) == platform::read_status::ok
                ? updater::parse_hex32(text.substr(0, text.find_first_of("\r\n")))
                : std::nullopt;
        if (!key) {
            if (error)
                *error = "--next-key " + next_key_file + " holds no public key (64 hex digits)";
            return std::nullopt;
        }
        terms.next_key = *key;
    }
    return terms;
}

bool sign_update_folder(const std::string& folder, const std::string& key_file,
                        const std::string& location, const updater::signing_terms& terms,
                        std::string* error) {
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    // A key others could read may already be theirs: say so rather than sign with it.
    if (const unsigned mode = platform::file_mode(key_file); (mode & 077) != 0) {
        char octal[8];
        std::snprintf(octal, sizeof octal, "%04o", mode & 07777);
        return fail("the key file " + key_file + " is readable by others (mode " + octal +
                    "); chmod 600 it, or make a new key if it may have been read");
    }
    std::string key_text;
    if (platform::read_whole_file(key_file, key_text, 4096) != platform::read_status::ok)
        return fail("cannot read the key file " + key_file);
    const auto seed = updater::parse_hex32(key_text.substr(0, key_text.find_first_of("\r\n")));
    if (!seed) return fail("the key file " + key_file + " does not hold 64 hex digits");

    std::string why;
    const auto listing = read_update_listing(folder, &why);
    if (!listing) return fail(why);
    std::vector<updater::signed_file> files;
    for (const std::string& entry : listing->entries) {
        std::string bytes;
        const std::string path = platform::join_path(folder, entry.substr(1));
        if (platform::read_whole_file(path, bytes, std::size_t(1) << 31) !=
            platform::read_status::ok)
            return fail("cannot read " + path);
        updater::signed_file file;
        file.entry = entry;
        file.size = bytes.size();
        file.sha256 = updater::sha256(bytes);
        files.push_back(std::move(file));
    }
    const std::string text =
        updater::write_signature(location, listing->manifest, files, *seed, terms);
    const std::string failed =
        platform::replace_file(platform::join_path(folder, "signature.txt"), text);
    if (!failed.empty()) return fail("cannot write signature.txt: " + failed);
    return true;
}

}  // namespace rx::service
