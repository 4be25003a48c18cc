// Making the Ed25519 key pair that signs updates, or keeping the one a folder already has.
#pragma once
#include <string>

namespace rx::updater {

inline constexpr const char* signing_key_name = "update_signing.key";

// Makes FOLDER/update_signing.key (64 hex digits, the owner's alone from its first byte) unless it
// is there, then writes FOLDER/update_public_key.hex and FOLDER/update_public_key.h from it. ""
// on success, else why not.
std::string make_update_key(const std::string& folder);

}  // namespace rx::updater
