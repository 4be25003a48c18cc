// Parsing, checking and writing the update's signature file, on libsodium's Ed25519 and SHA-256.
#include "updater/logic/signature.h"

#include <sodium.h>

#include <cstring>
#include <new>
#include <stdexcept>

#include "updater/logic/manifest.h"

namespace rx::updater {

namespace {

constexpr std::string_view location_tag = "location ";
constexpr std::string_view release_tag = "release ";
constexpr std::string_view expires_tag = "expires ";
constexpr std::string_view next_key_tag = "next-key ";
constexpr std::string_view manifest_tag = "manifest ";
constexpr std::string_view file_tag = "file ";
constexpr std::string_view signature_tag = "signature ";
// The longest entry a request can carry; a longer path is no entry of any manifest.
constexpr std::size_t max_entry_length = 512;

static_assert(sizeof(crypto_hash_sha256_state) <= 128, "the stream's state holds libsodium's");
static_assert(crypto_sign_PUBLICKEYBYTES == 32 && crypto_sign_SEEDBYTES == 32 &&
                  crypto_sign_BYTES == 64 && crypto_hash_sha256_BYTES == 32,
              "the key and signature sizes are libsodium's Ed25519 ones");

void need_sodium() {
    // sodium_init may be called any number of times from any thread; -1 means no usable randomness
    // or CPU setup, and nothing here can work then.
    if (sodium_init() < 0) throw std::runtime_error("Failure starting libsodium - check_signature");
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Exactly 2 * N lower-case hex digits as N bytes.
template <std::size_t N>
std::optional<std::array<unsigned char, N>> lower_hex(std::string_view text) {
    if (text.size() != 2 * N) return std::nullopt;
    std::array<unsigned char, N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        const char hi = text[2 * i], lo = text[2 * i + 1];
        if ((hi >= 'A' && hi <= 'F') || (lo >= 'A' && lo <= 'F')) return std::nullopt;
        const int h = hex_value(hi), l = hex_value(lo);
        if (h < 0 || l < 0) return std::nullopt;
        out[i] = static_cast<unsigned char>(h * 16 + l);
    }
    return out;
}

// A decimal size as the service writes it: digits only, no leading zero, within the counter.
std::optional<std::uint64_t> size_field(std::string_view text) {
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > max_total) return std::nullopt;
    return value;
}

// An entry's shape as far as the signature is concerned: a printable path without blanks that
// starts with "/". Whether it may be installed is the manifest's check.
bool entry_field(std::string_view text) {
    if (text.empty() || text.size() > max_entry_length || text[0] != '/') return false;
    for (char c : text)
        if (c <= ' ' || c > '~') return false;
    return true;
}

struct line_reader {
    std::string_view text;
    std::size_t at = 0;
    int number = 0;

    // The next line without its "\n"; nullopt when the text ends without one.
    std::optional<std::string_view> next() {
        const std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++number;
        return line;
    }
};

signature_result refuse(std::string reason) {
    signature_result result;
    result.reason = std::move(reason);
    return result;
}

std::string line_problem(int number, const char* what) {
    return "line " + std::to_string(number) + ": " + what;
}

}  // namespace

std::string_view manifest_text(std::string_view reply) {
    const std::size_t at = reply.find("filesize:");
    return at == std::string_view::npos ? std::string_view() : reply.substr(at);
}

signature_result parse_signature(std::string_view reply) {
    std::size_t start = 0;
    if (reply.compare(0, location_tag.size(), location_tag) != 0) {
        const std::size_t at = reply.find(std::string("\n") + std::string(location_tag));
        if (at == std::string_view::npos) return refuse("no signature file");
        start = at + 1;
    }
    line_reader lines{reply.substr(start)};
    update_signature parsed;

    auto line = lines.next();
    if (!line) return refuse(line_problem(1, "not ended by a line feed"));
    parsed.location = std::string(line->substr(location_tag.size()));
    if (!valid_location(parsed.location))
        return refuse(line_problem(1, "the location is not a version text"));

    // Without a release number nothing tells an old update from a new one, so such a file is
    // refused however well it is signed.
    line = lines.next();
    if (!line || line->compare(0, release_tag.size(), release_tag) != 0)
        return refuse(line_problem(2, "no release line"));
    const auto release = parse_release(line->substr(release_tag.size()));
    if (!release) return refuse(line_problem(2, "the release is not a plain number above 0"));
    parsed.release = *release;

    line = lines.next();
    if (!line || line->compare(0, expires_tag.size(), expires_tag) != 0)
        return refuse(line_problem(3, "no expires line"));
    const auto expires = parse_date(line->substr(expires_tag.size()));
    if (!expires) return refuse(line_problem(3, "the expiry is not a date YYYY-MM-DD"));
    parsed.expires = *expires;

    line = lines.next();
    if (line && line->compare(0, next_key_tag.size(), next_key_tag) == 0) {
        const auto next_key = lower_hex<32>(line->substr(next_key_tag.size()));
        if (!next_key)
            return refuse(line_problem(lines.number, "the next key is not 64 hex digits"));
        parsed.next_key = *next_key;
        line = lines.next();
    }
    if (!line || line->compare(0, manifest_tag.size(), manifest_tag) != 0)
        return refuse(line_problem(lines.number + (line ? 0 : 1), "no manifest line"));
    const auto manifest_hash = lower_hex<32>(line->substr(manifest_tag.size()));
    if (!manifest_hash)
        return refuse(line_problem(lines.number, "the manifest's SHA-256 is not 64 hex digits"));
    parsed.manifest_sha256 = *manifest_hash;

    for (;;) {
        const std::size_t line_start = lines.at;
        line = lines.next();
        if (!line) return refuse(line_problem(lines.number + 1, "no signature line"));
        if (line->compare(0, signature_tag.size(), signature_tag) == 0) {
            if (parsed.files.empty()) return refuse(line_problem(lines.number, "no files signed"));
            const auto signature = lower_hex<64>(line->substr(signature_tag.size()));
            if (!signature)
                return refuse(line_problem(lines.number, "the signature is not 128 hex digits"));
            if (lines.at != lines.text.size())
                return refuse(line_problem(lines.number, "bytes follow the signature line"));
            parsed.signature = *signature;
            parsed.signed_text = std::string(lines.text.substr(0, line_start));
            signature_result result;
            result.value = std::move(parsed);
            return result;
        }
        if (line->compare(0, file_tag.size(), file_tag) != 0)
            return refuse(line_problem(lines.number, "neither a file nor the signature"));
        if (parsed.files.size() == max_signed_files)
            return refuse(line_problem(lines.number, "too many files"));
        const std::string_view fields = line->substr(file_tag.size());
        const std::size_t blank1 = fields.find(' ');
        const std::size_t blank2 =
            blank1 == std::string_view::npos ? blank1 : fields.find(' ', blank1 + 1);
        if (blank2 == std::string_view::npos)
            return refuse(
                line_problem(lines.number, "a file line needs a path, a size and a hash"));
        signed_file file;
        const std::string_view entry = fields.substr(0, blank1);
        if (!entry_field(entry)) return refuse(line_problem(lines.number, "not a file entry"));
        file.entry = std::string(entry);
        const auto size = size_field(fields.substr(blank1 + 1, blank2 - blank1 - 1));
        if (!size) return refuse(line_problem(lines.number, "the size is not a plain number"));
        file.size = *size;
        const auto hash = lower_hex<32>(fields.substr(blank2 + 1));
        if (!hash)
            return refuse(line_problem(lines.number, "the file's SHA-256 is not 64 hex digits"));
        file.sha256 = *hash;
        parsed.files.push_back(std::move(file));
    }
}

std::string check_signature(std::string_view signature_reply, std::string_view manifest_reply,
                            std::string_view location, const public_key& key,
                            update_signature* out) {
    signature_result parsed = parse_signature(signature_reply);
    if (!parsed.value) return parsed.reason;
    const update_signature& signature = *parsed.value;
    need_sodium();
    const auto* text = reinterpret_cast<const unsigned char*>(signature.signed_text.data());
    if (crypto_sign_verify_detached(signature.signature.data(), text, signature.signed_text.size(),
                                    key.data()) != 0)
        return "not signed by the service's key";
    if (signature.location != location)
        return "made for location " + signature.location + ", not " + std::string(location);
    if (sha256(manifest_text(manifest_reply)) != signature.manifest_sha256)
        return "the manifest is not the one signed";
    if (out) *out = std::move(*parsed.value);
    return "";
}

std::optional<release_refusal> release_problem(const update_signature& signature,
                                               std::int64_t today, std::uint64_t installed) {
    // A stale signature keeps no client on an old release for good: the operator signs anew.
    if (signature.expires < today)
        return release_refusal{"Failure checking signature",
                               "expired on " + format_date(signature.expires)};
    if (signature.release <= installed)
        return release_refusal{"Failure checking release",
                               "release " + std::to_string(signature.release) +
                                   " is not newer than the installed release " +
                                   std::to_string(installed)};
    return std::nullopt;
}

std::string signed_files_problem(const std::vector<std::string>& entries,
                                 const update_signature& signature) {
    if (entries.size() != signature.files.size())
        return "the manifest lists " + std::to_string(entries.size()) + " files, the signature " +
               std::to_string(signature.files.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i] != signature.files[i].entry)
            return "entry " + std::to_string(i + 1) + " is not the signed file";
    return "";
}

std::optional<std::array<unsigned char, 32>> parse_hex32(std::string_view hex) {
    if (hex.size() != 64) return std::nullopt;
    std::array<unsigned char, 32> out{};
    for (std::size_t i = 0; i < 32; ++i) {
        const int h = hex_value(hex[2 * i]), l = hex_value(hex[2 * i + 1]);
        if (h < 0 || l < 0) return std::nullopt;
        out[i] = static_cast<unsigned char>(h * 16 + l);
    }
    return out;
}

std::string to_hex(const unsigned char* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

sha256_digest sha256(std::string_view bytes) {
    sha256_stream stream;
    stream.add(bytes.data(), bytes.size());
    return stream.finish();
}

sha256_stream::sha256_stream() {
    need_sodium();
    crypto_hash_sha256_init(new (state_) crypto_hash_sha256_state);
}

void sha256_stream::add(const char* data, std::size_t size) {
    crypto_hash_sha256_update(std::launder(reinterpret_cast<crypto_hash_sha256_state*>(state_)),
                              reinterpret_cast<const unsigned char*>(data), size);
}

sha256_digest sha256_stream::finish() {
    sha256_digest digest{};
    crypto_hash_sha256_final(std::launder(reinterpret_cast<crypto_hash_sha256_state*>(state_)),
                             digest.data());
    return digest;
}

public_key public_key_of(const key_seed& seed) {
    need_sodium();
    public_key pk{};
    unsigned char sk[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(pk.data(), sk, seed.data());
    sodium_memzero(sk, sizeof sk);
    return pk;
}

key_seed new_key_seed() {
    need_sodium();
    key_seed seed{};
    randombytes_buf(seed.data(), seed.size());
    return seed;
}

std::string write_signature(std::string_view location, std::string_view manifest,
                            const std::vector<signed_file>& files, const key_seed& seed,
                            const signing_terms& terms) {
    need_sodium();
    std::string text = std::string(location_tag) + std::string(location) + "\n";
    text += std::string(release_tag) + std::to_string(terms.release) + "\n";
    text += std::string(expires_tag) + format_date(terms.expires) + "\n";
    if (terms.next_key)
        text += std::string(next_key_tag) + to_hex(terms.next_key->data(), 32) + "\n";
    const sha256_digest manifest_hash = sha256(manifest);
    text += std::string(manifest_tag) + to_hex(manifest_hash.data(), manifest_hash.size()) + "\n";
    for (const signed_file& file : files)
        text += std::string(file_tag) + file.entry + " " + std::to_string(file.size) + " " +
                to_hex(file.sha256.data(), file.sha256.size()) + "\n";
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    unsigned char sk[crypto_sign_SECRETKEYBYTES];
    crypto_sign_seed_keypair(pk, sk, seed.data());
    signature_bytes signature{};
    crypto_sign_detached(signature.data(), nullptr,
                         reinterpret_cast<const unsigned char*>(text.data()), text.size(), sk);
    sodium_memzero(sk, sizeof sk);
    text += std::string(signature_tag) + to_hex(signature.data(), signature.size()) + "\n";
    return text;
}

}  // namespace rx::updater
