// Password hashes, the accounts file, the login limiter and log redaction, without a service.
#include "service/logic/protection.h"

#include <gtest/gtest.h>

using namespace rx::service;
using namespace std::chrono_literals;

namespace {

TEST(Passwords, HashesVerifyOnlyTheirPasswordAndNeverHoldIt) {
    const std::string hash = hash_password("s3cret&x y", password_cost::min);
    ASSERT_TRUE(is_password_hash(hash)) << hash;
    EXPECT_EQ(hash.find("s3cret"), std::string::npos);
    EXPECT_TRUE(verify_password(hash, "s3cret&x y"));
    EXPECT_FALSE(verify_password(hash, "s3cret&x"));
    EXPECT_FALSE(verify_password(hash, ""));
    // Two hashes of one password differ (each has its own salt).
    EXPECT_NE(hash_password("s3cret&x y", password_cost::min), hash);
    // A plain password left in a file is never taken as its own hash.
    EXPECT_FALSE(verify_password("plain", "plain"));
    EXPECT_FALSE(verify_password("$argon2id$garbage", "x"));
}

TEST(Passwords, PlainAccountsAreHashedOnceAndWrittenBackReadable) {
    std::vector<account_record> accounts = {{"alice", "pw1", 2}, {"bob", "pw2", 1}};
    ASSERT_EQ(hash_plain_passwords(accounts, password_cost::min), 2u);
    const std::string kept = accounts[0].password;
    EXPECT_EQ(hash_plain_passwords(accounts, password_cost::min), 0u);
    EXPECT_EQ(accounts[0].password, kept);
    const auto read = parse_accounts(write_accounts(accounts));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->size(), 2u);
    EXPECT_EQ((*read)[1].name, "bob");
    EXPECT_EQ((*read)[1].kind, 1);
    EXPECT_TRUE(verify_password((*read)[0].password, "pw1"));
    EXPECT_TRUE(verify_password((*read)[1].password, "pw2"));
}

TEST(Passwords, PutAccountReplacesByNameAndRefusesWhatTheFileCannotHold) {
    std::vector<account_record> accounts = {{"alice", "h1", 2}};
    EXPECT_TRUE(put_account(accounts, {"alice", "h2", 1}));
    EXPECT_TRUE(put_account(accounts, {"bob", "h3", 2}));
    ASSERT_EQ(accounts.size(), 2u);
    EXPECT_EQ(accounts[0].password, "h2");
    EXPECT_EQ(accounts[0].kind, 1);
    const std::vector<account_record> refused = {
        {"", "h", 1}, {"a\tb", "h", 1}, {"a\nb", "h", 1}, {"#x", "h", 1}, {"c", "h", 3}};
    for (const auto& a : refused) {
        SCOPED_TRACE(a.name);
        EXPECT_FALSE(put_account(accounts, a));
    }
    EXPECT_EQ(accounts.size(), 2u);
}

TEST(Limiter, FreeFailuresThenDoublingLocksUpToTheLongest) {
    limiter_policy policy;
    policy.free_failures = 3;
    policy.first_lock = 1000ms;
    policy.longest_lock = 5000ms;
    login_limiter limiter(policy);
    auto now = login_limiter::clock::time_point{} + 1h;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(limiter.may_try("k", now));
        EXPECT_EQ(limiter.failed("k", now), 0ms);
    }
    // Each failure that comes once the lock is over locks longer: 1 s, 2 s, 4 s, then the cap.
    for (auto expected : {1000ms, 2000ms, 4000ms, 5000ms, 5000ms}) {
        EXPECT_EQ(limiter.failed("k", now), expected);
        EXPECT_FALSE(limiter.may_try("k", now + expected - 1ms));
        EXPECT_FALSE(limiter.may_try("k", now));
        EXPECT_TRUE(limiter.may_try("other", now));
        now += expected;
        EXPECT_TRUE(limiter.may_try("k", now));
    }
    limiter.succeeded("k");
    EXPECT_EQ(limiter.failed("k", now), 0ms);
}

TEST(Limiter, QuietKeysAreForgottenAndTheTableStaysBounded) {
    limiter_policy policy;
    policy.free_failures = 1;
    policy.forget_after = 60s;
    policy.max_keys = 100;
    login_limiter limiter(policy);
    auto now = login_limiter::clock::time_point{} + 1h;
    limiter.failed("k", now);
    // After a quiet minute the count starts again: one free failure.
    EXPECT_EQ(limiter.failed("k", now + 61s), 0ms);
    EXPECT_GT(limiter.failed("k", now + 61s).count(), 0);
    for (int i = 0; i < 1000; ++i) limiter.failed("flood" + std::to_string(i), now + 62s);
    EXPECT_LE(limiter.size(), 100u);
    // The quietest keys went first: the newest still remembers its failure, so one more locks it.
    EXPECT_GT(limiter.failed("flood999", now + 62s).count(), 0);
}

TEST(Redaction, EveryPasswordAndSessionIdIsMaskedAndTheRestKept) {
    struct redact_case {
        const char* what;
        std::string request, expected;
    };
    const std::vector<redact_case> cases = {
        {"checkuser",
         "GET /browser/checkuser.php?username=demo&password=demo HTTP/1.1\nHost: h\n\n",
         "GET /browser/checkuser.php?username=demo&password=* HTTP/1.1\nHost: h\n\n"},
        {"blanks and ampersands inside",
         "GET /myaccount.html?username=a&password=p&w x HTTP/1.0\n\n",
         "GET /myaccount.html?username=a&password=* HTTP/1.0\n\n"},
        {"parameters after it", "GET /x?password=abc&username=u&end=1 HTTP/1.1\r\n\r\n",
         "GET /x?password=*&username=u&end=1 HTTP/1.1\r\n\r\n"},
        {"twice", "GET /x?password=a&password=b HTTP/1.1\n\n",
         "GET /x?password=*&password=* HTTP/1.1\n\n"},
        {"no version, cut short", "GET /x?password=secret", "GET /x?password=*"},
        {"empty value stays empty", "GET /x?password=&u=1 HTTP/1.1\n\n",
         "GET /x?password=&u=1 HTTP/1.1\n\n"},
        {"not a parameter", "GET /x?oldpassword=keep HTTP/1.1\n\n",
         "GET /x?oldpassword=keep HTTP/1.1\n\n"},
        {"session id", "GET /connection/free_game.php?username=u&id=0123abcd HTTP/1.1\n\n",
         "GET /connection/free_game.php?username=u&id=* HTTP/1.1\n\n"},
        {"id before a password", "GET /x?id=s1&password=p&game=g HTTP/1.1\n\n",
         "GET /x?id=*&password=*&game=g HTTP/1.1\n\n"},
        {"names that end in id", "GET /x?uid=1&gameid=2 HTTP/1.1\n\n",
         "GET /x?uid=1&gameid=2 HTTP/1.1\n\n"},
        {"ended by a NUL", std::string("GET /x?password=pw", 18) + std::string(1, '\0') + "tail",
         std::string("GET /x?password=*", 17) + std::string(1, '\0') + "tail"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(redact_secrets(c.request), c.expected);
    }
}

}  // namespace

TEST(ConnectionCaps, EachAddressGetsItsShareAndThePortItsWhole) {
    rx::service::connection_caps caps(5, 2);
    struct step {
        const char* address;
        bool enter;  // false: leave
        bool expected;
    };
    const std::vector<step> steps = {
        {"a", true, true},  {"a", true, true},  {"a", true, false},  // a's share is 2
        {"b", true, true},  {"b", true, true},  {"c", true, true},   // five open: the port is full
        {"d", true, false}, {"a", false, true}, {"d", true, true},   // a's leaving makes room
        {"a", true, false}, {"c", false, true}, {"a", true, true},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const step& s = steps[i];
        if (s.enter)
            EXPECT_EQ(caps.enter(s.address), s.expected) << "step " << i;
        else
            caps.leave(s.address);
    }
    EXPECT_EQ(caps.open(), 5u);
    caps.leave("never entered");
    EXPECT_EQ(caps.open(), 5u);
}
