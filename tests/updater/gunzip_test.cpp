// gzip unpacking: only complete gzip data with matching CRC and length is accepted.
#include "updater/logic/gunzip.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

#include "gzip.h"

namespace rx::updater {
namespace {

using rx::test::gzip;

std::string sample(std::size_t size) {
    std::mt19937 random(7);
    std::string data(size, '\0');
    for (char& c : data) c = static_cast<char>(random() % 64 + 32);
    return data;
}

TEST(Gunzip, WholeFileRoundTrips) {
    const std::string data = sample(100000);
    std::string out;
    ASSERT_TRUE(gunzip_all(gzip(data), out));
    EXPECT_EQ(out, data);
}

TEST(Gunzip, ByteByByteFeedingGivesTheSameBytes) {
    const std::string data = sample(5000);
    const std::string packed = gzip(data);
    gunzip reader;
    std::string out;
    for (char c : packed) {
        ASSERT_TRUE(reader.feed(std::string_view(&c, 1), [&](const char* p, std::size_t n) {
            out.append(p, n);
            return true;
        }));
        if (out.size() < data.size()) {
            EXPECT_FALSE(reader.complete());
        }
    }
    EXPECT_TRUE(reader.complete());
    EXPECT_EQ(out, data);
}

TEST(Gunzip, PlainDataAndAnErrorPageAreNotPassedThrough) {
    std::string out, error;
    EXPECT_FALSE(gunzip_all("<html><body>404 Not Found</body></html>", out, &error));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(error.empty());
    const std::string zlib_not_gzip = [] {
        std::string packed(64, '\0');
        uLongf size = packed.size();
        compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                 reinterpret_cast<const Bytef*>("hello"), 5);
        packed.resize(size);
        return packed;
    }();
    EXPECT_FALSE(gunzip_all(zlib_not_gzip, out));
    EXPECT_FALSE(gunzip_all("", out));
}

TEST(Gunzip, TruncatedBadCrcBadLengthAndTrailingBytesAreRefused) {
    const std::string packed = gzip(sample(20000));
    std::string out, error;
    for (std::size_t cut :
         {packed.size() - 1, packed.size() - 4, packed.size() / 2, std::size_t{10}}) {
        EXPECT_FALSE(gunzip_all(packed.substr(0, cut), out, &error)) << cut;
        EXPECT_EQ(error, "the gzip data ends early") << cut;
    }
    std::string bad_crc = packed;
    bad_crc[bad_crc.size() - 8] ^= 0x01;
    EXPECT_FALSE(gunzip_all(bad_crc, out, &error));
    EXPECT_NE(error.find("check"), std::string::npos) << error;
    std::string bad_length = packed;
    bad_length[bad_length.size() - 4] ^= 0x01;
    EXPECT_FALSE(gunzip_all(bad_length, out));
    EXPECT_FALSE(gunzip_all(packed + "junk", out));
    EXPECT_FALSE(gunzip_all(packed + std::string(8, '\0'), out));
}

TEST(Gunzip, ConcatenatedMembersAreOneFile) {
    std::string out;
    ASSERT_TRUE(gunzip_all(gzip("first ") + gzip("second"), out));
    EXPECT_EQ(out, "first second");
}

// The first member ending cleanly says nothing about the rest: a cut anywhere in the second member
// (its header, its data or its trailer) is a file that ends early.
TEST(Gunzip, AFileCutInsideItsSecondMemberEndsEarly) {
    const std::string first = gzip(sample(3000));
    const std::string whole = first + gzip(sample(2000));
    std::string out, error;
    for (std::size_t cut = first.size() + 1; cut < whole.size(); ++cut) {
        EXPECT_FALSE(gunzip_all(whole.substr(0, cut), out, &error)) << cut;
        EXPECT_EQ(error, "the gzip data ends early") << cut;
    }
    gunzip reader;
    const auto ignore = [](const char*, std::size_t) { return true; };
    ASSERT_TRUE(reader.feed(first, ignore));
    EXPECT_TRUE(reader.complete());
    ASSERT_TRUE(reader.feed(whole.substr(first.size(), 20), ignore));
    EXPECT_FALSE(reader.complete());
}

TEST(Gunzip, OutputPastTheLimitOrARefusingSinkStops) {
    const std::string packed = gzip(std::string(1 << 20, 'a'));
    gunzip small(1000);
    EXPECT_FALSE(small.feed(packed, [](const char*, std::size_t) { return true; }));
    EXPECT_EQ(small.error(), "unpacks to more than the limit");
    gunzip refused;
    EXPECT_FALSE(refused.feed(packed, [](const char*, std::size_t) { return false; }));
    EXPECT_FALSE(refused.complete());
    // A failed reader stays failed.
    EXPECT_FALSE(refused.feed(gzip("x"), [](const char*, std::size_t) { return true; }));
}

}  // namespace
}  // namespace rx::updater
