// The signature file: what the service writes checks out, and every changed, foreign or malformed
// file is refused with its reason.
#include "updater/logic/signature.h"

#include <gtest/gtest.h>

namespace rx::updater {
namespace {

const std::string manifest_body = "filesize:300\n/a.txt.gz\n/images/b.png.gz\n";

std::vector<signed_file> two_files() {
    return {{"/a.txt.gz", 100, sha256("first")}, {"/images/b.png.gz", 200, sha256("second")}};
}

key_seed seed_of(unsigned char fill) {
    key_seed seed{};
    seed.fill(fill);
    return seed;
}

std::string check(const std::string& signature, const std::string& manifest_reply,
                  const public_key& key, const std::string& location = "v4.30",
                  update_signature* out = nullptr) {
    return check_signature(signature, manifest_reply, location, key, out);
}

TEST(update_signature, what_the_service_writes_checks_out_behind_an_http_header) {
    const key_seed seed = new_key_seed();
    const std::string text = write_signature("v4.30", manifest_body, two_files(), seed);
    update_signature out;
    EXPECT_EQ(check("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + text,
                    "HTTP/1.0 200 OK\r\n\r\n" + manifest_body, public_key_of(seed), "v4.30", &out),
              "");
    ASSERT_EQ(out.files.size(), 2u);
    EXPECT_EQ(out.files[1].entry, "/images/b.png.gz");
    EXPECT_EQ(out.files[1].size, 200u);
    EXPECT_EQ(out.files[1].sha256, sha256("second"));
    EXPECT_EQ(signed_files_problem({"/a.txt.gz", "/images/b.png.gz"}, out), "");
    EXPECT_NE(signed_files_problem({"/images/b.png.gz", "/a.txt.gz"}, out), "");
    EXPECT_NE(signed_files_problem({"/a.txt.gz"}, out), "");
}

TEST(update_signature, a_foreign_key_location_or_manifest_is_refused) {
    const key_seed seed = seed_of(7);
    const public_key key = public_key_of(seed);
    const std::string good = write_signature("v4.30", manifest_body, two_files(), seed);
    std::string one_byte = manifest_body;
    one_byte[10] = '4';
    struct case_t {
        const char* name;
        std::string signature;
        std::string manifest;
        std::string location;
        std::string reason;
    };
    const std::vector<case_t> cases = {
        {"another key", write_signature("v4.30", manifest_body, two_files(), seed_of(8)),
         manifest_body, "v4.30", "not signed by the service's key"},
        {"another location", write_signature("v4.31", manifest_body, two_files(), seed),
         manifest_body, "v4.30", "made for location v4.31, not v4.30"},
        // Only the whole location matches: one that starts with the asked one, or is its start.
        {"a longer location", write_signature("v4.301", manifest_body, two_files(), seed),
         manifest_body, "v4.30", "made for location v4.301, not v4.30"},
        {"a shorter location", write_signature("v4.3", manifest_body, two_files(), seed),
         manifest_body, "v4.30", "made for location v4.3, not v4.30"},
        {"manifest changed by one byte", good, one_byte, "v4.30",
         "the manifest is not the one signed"},
        {"manifest with a line more", good, manifest_body + "/c.gz\n", "v4.30",
         "the manifest is not the one signed"},
        {"no manifest", good, "", "v4.30", "the manifest is not the one signed"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(check(c.signature, c.manifest, key, c.location), c.reason) << c.name;
}

TEST(update_signature, any_changed_byte_of_the_signed_text_breaks_the_signature) {
    const key_seed seed = seed_of(3);
    const std::string good = write_signature("v4.30", manifest_body, two_files(), seed);
    const std::size_t signed_end = good.find("signature ");
    // Changing a digit keeps the file well formed, so only the signature can catch it.
    int checked = 0;
    for (std::size_t i = 0; i < signed_end; ++i) {
        if (good[i] < '0' || good[i] > '9') continue;
        std::string changed = good;
        changed[i] = good[i] == '9' ? '8' : static_cast<char>(good[i] + 1);
        const std::string reason = check(changed, manifest_body, public_key_of(seed));
        // A location digit or size may turn the line malformed (a leading zero); either way no.
        EXPECT_NE(reason, "") << "byte " << i;
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

TEST(update_signature, malformed_files_are_refused_with_the_line_that_is_wrong) {
    const std::string hash(64, 'a');
    const std::string sig = "signature " + std::string(128, 'b') + "\n";
    const std::string terms = "release 1\nexpires 2030-01-01\n";
    const std::string head = "location v4.30\n" + terms + "manifest " + hash + "\n";
    const std::string file = "file /a.gz 10 " + hash + "\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "no signature file"},
        {"<html>404 Not Found</html>\n", "no signature file"},
        {"location v4.30", "line 1: not ended by a line feed"},
        {"location ../x\n" + terms + "manifest " + hash + "\n" + file + sig,
         "line 1: the location is not a version text"},
        {"location v4.30\nmanifest " + hash + "\n" + file + sig, "line 2: no release line"},
        {"location v4.30\nrelease 0\n" + file + sig,
         "line 2: the release is not a plain number above 0"},
        {"location v4.30\nrelease 07\n" + file + sig,
         "line 2: the release is not a plain number above 0"},
        {"location v4.30\nrelease 1\nmanifest " + hash + "\n" + file + sig,
         "line 3: no expires line"},
        {"location v4.30\nrelease 1\nexpires 2030-02-30\n" + file + sig,
         "line 3: the expiry is not a date YYYY-MM-DD"},
        {"location v4.30\n" + terms + file + sig, "line 4: no manifest line"},
        {"location v4.30\n" + terms + "manifest " + hash.substr(1) + "\n" + file + sig,
         "line 4: the manifest's SHA-256 is not 64 hex digits"},
        {"location v4.30\n" + terms + "manifest " + std::string(64, 'A') + "\n" + file + sig,
         "line 4: the manifest's SHA-256 is not 64 hex digits"},
        {head + sig, "line 5: no files signed"},
        {head + file, "line 6: no signature line"},
        {head + "file /a.gz 10\n" + sig, "line 5: a file line needs a path, a size and a hash"},
        {head + "file a.gz 10 " + hash + "\n" + sig, "line 5: not a file entry"},
        {head + "file /a\tb.gz 10 " + hash + "\n" + sig, "line 5: not a file entry"},
        {head + "file /a.gz 010 " + hash + "\n" + sig, "line 5: the size is not a plain number"},
        {head + "file /a.gz -1 " + hash + "\n" + sig, "line 5: the size is not a plain number"},
        {head + "file /a.gz 99999999999 " + hash + "\n" + sig,
         "line 5: the size is not a plain number"},
        {head + "file /a.gz 10 " + hash + " \n" + sig,
         "line 5: the file's SHA-256 is not 64 hex digits"},
        {head + file + "extra\n" + sig, "line 6: neither a file nor the signature"},
        {head + file + "signature " + std::string(127, 'b') + "\n",
         "line 6: the signature is not 128 hex digits"},
        {head + file + sig + "more", "line 6: bytes follow the signature line"},
        {head + file + sig.substr(0, sig.size() - 1), "line 6: no signature line"},
    };
    for (const auto& [text, reason] : cases) {
        const signature_result result = parse_signature(text);
        EXPECT_FALSE(result.value) << text;
        EXPECT_EQ(result.reason, reason) << text;
    }
    const signature_result ok = parse_signature(head + file + sig);
    ASSERT_TRUE(ok.value) << ok.reason;
    EXPECT_EQ(ok.value->signed_text, head + file);
}

TEST(update_signature, more_files_than_any_update_has_are_refused) {
    std::string text =
        "location v4.30\nrelease 1\nexpires 2030-01-01\nmanifest " + std::string(64, 'a') + "\n";
    for (std::size_t i = 0; i <= max_signed_files; ++i)
        text += "file /f" + std::to_string(i) + ".gz 1 " + std::string(64, 'c') + "\n";
    text += "signature " + std::string(128, 'b') + "\n";
    EXPECT_EQ(parse_signature(text).reason,
              "line " + std::to_string(max_signed_files + 5) + ": too many files");
}

TEST(update_signature, streamed_hashes_and_keys_agree_with_their_known_values) {
    // SHA-256 of "abc" (FIPS 180-2's example).
    const sha256_digest abc = sha256("abc");
    EXPECT_EQ(to_hex(abc.data(), abc.size()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    sha256_stream stream;
    stream.add("a", 1);
    stream.add("bc", 2);
    EXPECT_EQ(stream.finish(), abc);
    EXPECT_FALSE(parse_hex32(std::string(63, 'a')));
    EXPECT_FALSE(parse_hex32(std::string(63, 'a') + "g"));
    const auto upper = parse_hex32(std::string(64, 'F'));
    ASSERT_TRUE(upper);
    EXPECT_EQ((*upper)[31], 0xFF);
    // A key made from the same seed is the same key; another seed gives another.
    EXPECT_EQ(public_key_of(seed_of(1)), public_key_of(seed_of(1)));
    EXPECT_NE(public_key_of(seed_of(1)), public_key_of(seed_of(2)));
    EXPECT_NE(new_key_seed(), new_key_seed());
}

TEST(update_signature, the_manifest_text_starts_at_filesize) {
    EXPECT_EQ(manifest_text("HTTP/1.0 200 OK\n\nfilesize:1\n/a.gz\n"), "filesize:1\n/a.gz\n");
    EXPECT_EQ(manifest_text("no total"), "");
}

}  // namespace
}  // namespace rx::updater
