// rx_make_update_key FOLDER: makes the Ed25519 key pair that signs updates, or keeps the one there.
// Writes FOLDER/update_signing.key (the private key: 64 hex digits, owner-only), FOLDER/
// update_public_key.hex (the public key, what RX_UPDATE_PUBLIC_KEY takes) and FOLDER/
// update_public_key.h (the public key for rx_update's build).
#include <sodium.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

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

// Writes `text` beside `path` and renames it over, so a reader never sees half a file.
bool write_whole(const fs::path& path, const std::string& text, fs::perms perms) {
    const fs::path temporary = path.string() + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        std::error_code ec;
        fs::permissions(temporary, perms, ec);
        if (ec) return false;
        out << text;
        if (!out.flush()) return false;
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    return !ec;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: rx_make_update_key FOLDER\n";
        return 2;
    }
    if (sodium_init() < 0) {
        std::cerr << "rx_make_update_key: libsodium cannot start\n";
        return 1;
    }
    const fs::path folder = argv[1];
    std::error_code ec;
    fs::create_directories(folder, ec);
    const fs::path key_file = folder / "update_signing.key";

    unsigned char seed[crypto_sign_SEEDBYTES];
    if (fs::exists(key_file)) {
        // An existing key stays: every update signed so far was signed with it.
        std::ifstream in(key_file, std::ios::binary);
        std::string line;
        std::getline(in, line);
        if (!unhex(line, seed, sizeof seed)) {
            std::cerr << "rx_make_update_key: " << key_file.string()
                      << " does not hold 64 hex digits\n";
            return 1;
        }
    } else {
        randombytes_buf(seed, sizeof seed);
        if (!write_whole(key_file, hex(seed, sizeof seed) + "\n",
                         fs::perms::owner_read | fs::perms::owner_write)) {
            std::cerr << "rx_make_update_key: cannot write " << key_file.string() << "\n";
            return 1;
        }
    }
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    unsigned char sk[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(pk, sk, seed);
    sodium_memzero(sk, sizeof sk);
    sodium_memzero(seed, sizeof seed);
    const std::string public_hex = hex(pk, sizeof pk);
    const fs::perms readable = fs::perms::owner_read | fs::perms::owner_write |
                               fs::perms::group_read | fs::perms::others_read;
    std::ostringstream header;
    header
        << "// The public key of the build's own update signing key, made by rx_make_update_key.\n"
        << "#pragma once\n"
        << "inline constexpr char rx_update_public_key_hex[] = \"" << public_hex << "\";\n";
    if (!write_whole(folder / "update_public_key.hex", public_hex + "\n", readable) ||
        !write_whole(folder / "update_public_key.h", header.str(), readable)) {
        std::cerr << "rx_make_update_key: cannot write the public key into " << folder.string()
                  << "\n";
        return 1;
    }
    return 0;
}
