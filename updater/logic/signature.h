// The update's signature file: parsing it, checking it against the service's public key and the
// manifest, hashing downloads, and writing it (the service signs with the same format).
//
// The file is plain text, every line ended by "\n":
//   location NAME
//   release N                      (the update's number within the location; the newest counts)
//   expires YYYY-MM-DD             (the last day, in UTC, a client accepts it)
//   next-key PUBLICKEYHEX          (optional: the key every later update is signed with)
//   manifest SHA256HEX             (the manifest's bytes from "filesize:" to the end of the reply)
//   file ENTRY SIZE SHA256HEX      (one per manifest entry, in manifest order: the gzip file)
//   signature SIGHEX               (Ed25519 over every byte of the lines above)
// Hex is lower case; nothing follows the signature line.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "updater/logic/release.h"

namespace rx::updater {

using sha256_digest = std::array<unsigned char, 32>;
using public_key = std::array<unsigned char, 32>;
// The 32 bytes a signing key is made from; the key file holds them as hex.
using key_seed = std::array<unsigned char, 32>;
using signature_bytes = std::array<unsigned char, 64>;

// No update lists more files than this; a longer signature file is refused before any hashing.
inline constexpr std::size_t max_signed_files = 4096;

struct signed_file {
    std::string entry;  // as the manifest lists it, "/images/x.png.gz"
    std::uint64_t size = 0;
    sha256_digest sha256{};
};

struct update_signature {
    std::string location;
    std::uint64_t release = 0;
    std::int64_t expires = 0;  // days since 1970-01-01
    std::optional<std::array<unsigned char, 32>> next_key;
    sha256_digest manifest_sha256{};
    std::vector<signed_file> files;
    signature_bytes signature{};
    // The exact bytes the signature covers: the location line up to the signature line.
    std::string signed_text;
};

struct signature_result {
    std::optional<update_signature> value;
    std::string reason;  // why the file was refused
};

// Reads the signature file out of a reply: it starts at the first line that begins with
// "location " (the HTTP header before it is ignored) and must run to the reply's end. Only the
// shape is checked here; what the lines say is checked by check_signature.
signature_result parse_signature(std::string_view reply);

// The manifest's signed bytes within its reply: from the first "filesize:" to the end ("" when
// there is none).
std::string_view manifest_text(std::string_view reply);

// The whole check of a signature reply against the key, the location asked for and the manifest's
// reply: "" when it holds, else why not. On success `out` receives the signed file list.
std::string check_signature(std::string_view signature_reply, std::string_view manifest_reply,
                            std::string_view location, const public_key& key,
                            update_signature* out);

// Why a correctly signed update may still not be installed, or "": it expired before `today`, or
// its release is not above the one `installed` for its location.
struct release_refusal {
    std::string operation;  // the "Failure ... - check_signature" line's first words
    std::string reason;
};
std::optional<release_refusal> release_problem(const update_signature& signature,
                                               std::int64_t today, std::uint64_t installed);

// Why the manifest's entries are not exactly the signed files in the same order, or "".
std::string signed_files_problem(const std::vector<std::string>& entries,
                                 const update_signature& signature);

// 64 lower- or upper-case hex digits as 32 bytes; nullopt for anything else.
std::optional<std::array<unsigned char, 32>> parse_hex32(std::string_view hex);
std::string to_hex(const unsigned char* bytes, std::size_t size);

sha256_digest sha256(std::string_view bytes);

// SHA-256 over bytes that arrive in pieces (a download as it is received).
class sha256_stream {
  public:
    sha256_stream();
    void add(const char* data, std::size_t size);
    sha256_digest finish();

  private:
    alignas(16) unsigned char state_[128];
};

// The public key of the signing key made from `seed`.
public_key public_key_of(const key_seed& seed);
// A new random seed for a signing key.
key_seed new_key_seed();

// What the operator decides for each signing: the release number and the last day it is good for.
struct signing_terms {
    std::uint64_t release = 1;
    std::int64_t expires = today() + default_validity_days;
    // Hands the clients over to another key: once this update is in, they trust that key alone.
    std::optional<std::array<unsigned char, 32>> next_key;
};

// The signature file for `location`, the manifest's bytes and its files, signed with the key made
// from `seed`.
std::string write_signature(std::string_view location, std::string_view manifest,
                            const std::vector<signed_file>& files, const key_seed& seed,
                            const signing_terms& terms = {});

}  // namespace rx::updater
