// The key maker's work: every file goes through replace_file, so a reader sees a whole file or
// none, and the private key is created owner-only before its seed is written.
#include "updater/update_key.h"

#include <sodium.h>

#include "platform/file.h"
#include "platform/install.h"
#include "platform/path.h"

namespace rx::updater {

namespace {

std::string hex(const unsigned char* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

bool unhex(const std::string& text, unsigned char* out, std::size_t size) {
    std::size_t length = 0;
    return text.size() == 2 * size &&
           sodium_hex2bin(out, size, text.data(), text.size(), nullptr, &length, nullptr) == 0 &&
           length == size;
}

}  // namespace

std::string make_update_key(const std::string& folder) {
    if (sodium_init() < 0) return "libsodium cannot start";
    platform::create_folders(folder, nullptr);
    const std::string key_file = platform::join_path(folder, signing_key_name);

    unsigned char seed[crypto_sign_SEEDBYTES];
    std::string text;
    switch (platform::read_whole_file(key_file, text, 4096)) {
        case platform::read_status::ok:
            // An existing key stays: every update signed so far was signed with it.
            if (!unhex(text.substr(0, text.find_first_of("\r\n")), seed, sizeof seed))
                return key_file + " does not hold 64 hex digits";
            break;
        case platform::read_status::missing: {
            randombytes_buf(seed, sizeof seed);
            std::string seed_hex = hex(seed, sizeof seed) + "\n";
            // Mode 0600 from the file's creation on: no other account can open it even for the
            // moment before the seed is in.
            const std::string failed = platform::replace_file(key_file, seed_hex, 0600, true);
            sodium_memzero(seed_hex.data(), seed_hex.size());
            if (!failed.empty()) {
                sodium_memzero(seed, sizeof seed);
                return "cannot write " + key_file + ": " + failed;
            }
            break;
        }
        default:
            return "cannot read " + key_file;
    }
    sodium_memzero(text.data(), text.size());
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    unsigned char sk[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(pk, sk, seed);
    sodium_memzero(sk, sizeof sk);
    sodium_memzero(seed, sizeof seed);
    const std::string public_hex = hex(pk, sizeof pk);
    const std::string header =
        "// The public key of the build's own update signing key, made by rx_make_update_key.\n"
        "#pragma once\n"
        "inline constexpr char rx_update_public_key_hex[] = \"" +
        public_hex + "\";\n";
    for (const auto& [name, bytes] : {std::make_pair("update_public_key.hex", public_hex + "\n"),
                                      std::make_pair("update_public_key.h", header)}) {
        const std::string failed =
            platform::replace_file(platform::join_path(folder, name), bytes, 0644, true);
        if (!failed.empty()) return "cannot write the public key into " + folder + ": " + failed;
    }
    return "";
}

}  // namespace rx::updater
