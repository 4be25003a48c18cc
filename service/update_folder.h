// An update folder as the service serves it: its manifest, and the signature file that vouches for
// it.
#pragma once
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "updater/logic/signature.h"

namespace rx::service {

struct update_listing {
    std::string manifest;              // the manifest.php body, byte for byte
    std::vector<std::string> entries;  // as manifest.txt lists them
};

// Reads FOLDER/manifest.txt and sizes every listed file; nullopt (reason in `error`) when the list
// is missing or names a file that is not there.
std::optional<update_listing> read_update_listing(const std::string& folder, std::string* error);

// The entries (as manifest.txt lists them, "/images/x.png.gz") that clients may download from
// FOLDER: those its signature file names that manifest.txt lists as well. Empty for a folder
// without a readable signature file: what nobody vouched for, or what was dropped in after signing,
// is not served.
std::set<std::string> signed_update_entries(const std::string& folder);

// The operator's --release, --expires and --next-key as terms; nullopt (reason in `error`) when
// the release is not a number above 0, the date is not YYYY-MM-DD or the next key's file does not
// start with 64 hex digits. An empty date is a year on; an empty key file hands over no key.
std::optional<updater::signing_terms> signing_terms_of(const std::string& release,
                                                       const std::string& expires,
                                                       const std::string& next_key_file,
                                                       std::string* error);

// Writes FOLDER/signature.txt for `location` under `terms`: the manifest the service serves for
// the folder and every file's size and SHA-256, signed with the private key in `key_file` (64 hex
// digits on its first line). False with a reason when the folder or the key cannot be read, the
// key file is open to group or others, or the file cannot be written.
bool sign_update_folder(const std::string& folder, const std::string& key_file,
                        const std::string& location, const updater::signing_terms& terms,
                        std::string* error);

}  // namespace rx::service
