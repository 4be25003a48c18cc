// Release numbers and expiry: dates, the installed-release record, and which signed updates are
// still refused for being old or stale.
#include "updater/logic/release.h"

#include <gtest/gtest.h>

#include "updater/logic/manifest.h"
#include "updater/logic/signature.h"

namespace rx::updater {
namespace {

TEST(release, dates_read_and_write_as_days_and_impossible_ones_are_refused) {
    for (const auto& [text, days] : {std::pair<const char*, std::int64_t>{"1970-01-01", 0},
                                     {"2000-02-29", 11016},
                                     {"2100-03-01", 47541}}) {
        EXPECT_EQ(parse_date(text), days) << text;
        EXPECT_EQ(format_date(days), text);
    }
    for (const char* bad : {"2023-02-29", "2100-02-29", "2024-13-01", "2024-04-31", "1969-12-31",
                            "2024-1-01", "2024-01-01 "})
        EXPECT_FALSE(parse_date(bad)) << bad;
}

TEST(release, the_record_keeps_one_line_per_location) {
    std::string record = with_release("", "v4.30", 3);
    EXPECT_EQ(record, "v4.30 3\n");
    record = with_release(record, "v4.31", 1);
    record = with_release(record, "v4.30", 4);
    EXPECT_EQ(record, "v4.31 1\nv4.30 4\n");
    EXPECT_EQ(recorded_release(record, "v4.30"), 4u);
    EXPECT_EQ(recorded_release(record, "v4.31"), 1u);
    EXPECT_EQ(recorded_release(record, "v4.3"), 0u);
    // Lines the updater never writes do not count; a location never matches by prefix.
    EXPECT_EQ(recorded_release("v4.30 x\nv4.30\nv4.300 9\nv4.30 2", "v4.30"), 2u);
}

TEST(release, stale_same_and_older_releases_are_refused_newer_ones_pass) {
    update_signature signature;
    signature.release = 5;
    signature.expires = 20000;
    EXPECT_FALSE(release_problem(signature, 20000, 4));
    EXPECT_FALSE(release_problem(signature, 19000, 0));
    const struct {
        std::int64_t today;
        std::uint64_t installed;
        const char* operation;
        const char* reason;
    } refused[] = {
        {20001, 0, "Failure checking signature", "expired on 2024-10-04"},
        {20000, 5, "Failure checking release",
         "release 5 is not newer than the installed release 5"},
        {20000, 6, "Failure checking release",
         "release 5 is not newer than the installed release 6"},
    };
    for (const auto& c : refused) {
        const auto problem = release_problem(signature, c.today, c.installed);
        ASSERT_TRUE(problem) << c.reason;
        EXPECT_EQ(problem->operation, c.operation);
        EXPECT_EQ(problem->reason, c.reason);
    }
}

TEST(release, the_terms_are_signed_and_offered_to_the_browser) {
    key_seed seed{};
    seed.fill(9);
    const std::string manifest = "filesize:1\n/a.gz\n";
    const std::string text = write_signature("v4.30", manifest, {{"/a.gz", 1, sha256("a")}}, seed,
                                             {12, 21000, std::nullopt});
    update_signature out;
    ASSERT_EQ(check_signature(text, manifest, "v4.30", public_key_of(seed), &out), "");
    EXPECT_EQ(out.release, 12u);
    EXPECT_EQ(out.expires, 21000);
    EXPECT_EQ(offered_release("HTTP/1.0 200 OK\r\n\r\n" + text), 12u);
    EXPECT_FALSE(offered_release("location v4.30\nmanifest x\n"));
    EXPECT_FALSE(offered_release("<html>not found</html>"));
    // The default is a year from the day of signing.
    const std::int64_t first = today();
    const std::int64_t expires = signing_terms{}.expires;
    EXPECT_GE(expires, first + default_validity_days);
    EXPECT_LE(expires, today() + default_validity_days);
}

TEST(release, a_handed_over_key_is_signed_kept_in_the_record_and_never_read_as_a_release) {
    key_seed seed{};
    seed.fill(4);
    key_seed next{};
    next.fill(5);
    const std::string manifest = "filesize:1\n/a.gz\n";
    const std::string text = write_signature("v4.30", manifest, {{"/a.gz", 1, sha256("a")}}, seed,
                                             {2, 21000, public_key_of(next)});
    update_signature out;
    ASSERT_EQ(check_signature(text, manifest, "v4.30", public_key_of(seed), &out), "");
    ASSERT_TRUE(out.next_key);
    EXPECT_EQ(*out.next_key, public_key_of(next));
    // The line is signed: dropping it breaks the signature.
    std::string dropped = text;
    dropped.erase(dropped.find("next-key "), 9 + 64 + 1);
    EXPECT_EQ(check_signature(dropped, manifest, "v4.30", public_key_of(seed), nullptr),
              "not signed by the service's key");
    std::string short_key = text;
    short_key.erase(short_key.find("next-key ") + 9, 1);
    EXPECT_EQ(parse_signature(short_key).reason, "line 4: the next key is not 64 hex digits");

    const std::string hex_a(64, 'a'), hex_b(64, 'b');
    std::string record = with_trusted_key(with_release("", "v4.30", 2), hex_a);
    EXPECT_EQ(trusted_key_hex(record), hex_a);
    record = with_release(with_trusted_key(record, hex_b), "v4.30", 3);
    EXPECT_EQ(record, "@key " + hex_b + "\nv4.30 3\n");
    EXPECT_EQ(trusted_key_hex(record), hex_b);
    EXPECT_EQ(trusted_key_hex("v4.30 3\n@key short\n"), "");
}

TEST(release, no_update_entry_may_replace_the_record) {
    for (const char* entry : {"/installed_releases.txt.gz", "/INSTALLED_RELEASES.TXT.gz",
                              "/installed_releases.txt/x.gz"})
        EXPECT_EQ(entry_problem(entry), "names the installed-release record") << entry;
    EXPECT_EQ(entry_problem("/docs/installed_releases.txt.gz"), "");
}

}  // namespace
}  // namespace rx::updater
