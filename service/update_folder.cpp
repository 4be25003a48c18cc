// Reading an update folder's list and signing it with the service's private key.
#include "service/update_folder.h"

#include <filesystem>
#include <sstream>

#include "platform/file.h"
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

bool sign_update_folder(const std::string& folder, const std::string& key_file,
                        const std::string& location, std::string* error) {
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
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
    const std::string text = updater::write_signature(location, listing->manifest, files, *seed);
    const std::string failed =
        platform::replace_file(platform::join_path(folder, "signature.txt"), text);
    if (!failed.empty()) return fail("cannot write signature.txt: " + failed);
    return true;
}

}  // namespace rx::service
