// Test support: packing bytes as gzip, as the service stores its update files (zlib's gzip
// framing).
#pragma once
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace rx::test {

// `data` as one gzip member at compression `level`; "" (and a test failure) when zlib refuses.
inline std::string gzip(const std::string& data, int level = 6) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        ADD_FAILURE() << "deflateInit2 failed";
        return {};
    }
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    EXPECT_EQ(result, Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END) return {};
    return out;
}

}  // namespace rx::test
