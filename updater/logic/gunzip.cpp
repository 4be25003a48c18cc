// gzip unpacking over zlib's inflate: members checked for CRC and length, nothing passed through.
#include "updater/logic/gunzip.h"

#include <zlib.h>

#include <memory>

namespace rx::updater {

namespace {

// 16 added to the window bits: gzip framing only, so plain data is an error, not passed through.
constexpr int gzip_window_bits = 16 + MAX_WBITS;

z_stream* as_stream(void* p) {
    return static_cast<z_stream*>(p);
}

}  // namespace

gunzip::gunzip(std::uint64_t limit) : limit_(limit) {
    auto stream = std::make_unique<z_stream>();
    if (inflateInit2(stream.get(), gzip_window_bits) != Z_OK) {
        failed_ = true;
        error_ = "zlib could not start";
        return;
    }
    stream_ = stream.release();
}

gunzip::~gunzip() {
    if (stream_) {
        inflateEnd(as_stream(stream_));
        delete as_stream(stream_);
    }
}

bool gunzip::fail(std::string text) {
    failed_ = true;
    if (error_.empty()) error_ = std::move(text);
    return false;
}

bool gunzip::feed(std::string_view input, const sink& out) {
    if (failed_) return false;
    z_stream* z = as_stream(stream_);
    unsigned char buffer[16384];
    while (!input.empty()) {
        if (!in_member_) {
            // A new member starts; inflate checks its header (magic, method, flags).
            if (members_ && inflateReset(z) != Z_OK) return fail("zlib could not restart");
            in_member_ = true;
        }
        const uInt chunk = input.size() > (1u << 30) ? (1u << 30) : static_cast<uInt>(input.size());
        z->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        z->avail_in = chunk;
        int status = Z_OK;
        do {
            z->next_out = buffer;
            z->avail_out = sizeof buffer;
            status = inflate(z, Z_NO_FLUSH);
            if (status == Z_NEED_DICT || status == Z_DATA_ERROR || status == Z_MEM_ERROR ||
                status == Z_STREAM_ERROR)
                return fail(z->msg ? std::string("not valid gzip data: ") + z->msg
                                   : std::string("not valid gzip data"));
            const std::size_t produced = sizeof buffer - z->avail_out;
            unpacked_ += produced;
            if (unpacked_ > limit_) return fail("unpacks to more than the limit");
            if (produced > 0 && !out(reinterpret_cast<const char*>(buffer), produced))
                return fail("the unpacked bytes could not be written");
        } while (status != Z_STREAM_END && (z->avail_in > 0 || z->avail_out == 0));
        const std::size_t used = chunk - z->avail_in;
        input.remove_prefix(used);
        if (status == Z_STREAM_END) {
            // inflate has checked the CRC-32 and the length in the member's trailer.
            in_member_ = false;
            members_ = true;
        } else if (used == 0 && status == Z_BUF_ERROR) {
            return fail("not valid gzip data");
        }
    }
    return true;
}

bool gunzip::complete() const {
    return !failed_ && members_ && !in_member_;
}

bool gunzip_all(std::string_view input, std::string& output, std::string* error) {
    output.clear();
    gunzip reader;
    const bool fed = reader.feed(input, [&](const char* data, std::size_t size) {
        output.append(data, size);
        return true;
    });
    if (fed && reader.complete()) return true;
    if (error) *error = fed ? "the gzip data ends early" : reader.error();
    output.clear();
    return false;
}

}  // namespace rx::updater
