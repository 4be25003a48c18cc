// Streaming gzip unpacking that accepts only complete, checked gzip data.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace rx::updater {

// No file of the program comes near this; a download that unpacks past it is refused, so a small
// hostile file cannot fill the disk.
inline constexpr std::uint64_t default_unpack_limit = 1024ull * 1024 * 1024;

class gunzip {
  public:
    // Receives unpacked bytes; false stops the unpacking (a failed write).
    using sink = std::function<bool(const char*, std::size_t)>;

    explicit gunzip(std::uint64_t limit = default_unpack_limit);
    ~gunzip();
    gunzip(const gunzip&) = delete;
    gunzip& operator=(const gunzip&) = delete;

    // Unpacks the next compressed bytes. False on data that is not gzip, a damaged stream, a CRC or
    // length mismatch, bytes after the last member that do not start a new one, output past the
    // limit, or a sink that refused; error() says which.
    bool feed(std::string_view input, const sink& out);
    // True when the input so far ends exactly after a complete member (at least one).
    bool complete() const;
    const std::string& error() const { return error_; }
    std::uint64_t unpacked() const { return unpacked_; }

  private:
    bool fail(std::string text);

    void* stream_ = nullptr;  // z_stream, kept out of this header
    bool in_member_ = false;
    bool members_ = false;
    bool failed_ = false;
    std::uint64_t limit_;
    std::uint64_t unpacked_ = 0;
    std::string error_;
};

// Unpacks a whole gzip file held in memory; false (output empty, `error` set) when it is not one
// complete, checked gzip file.
bool gunzip_all(std::string_view input, std::string& output, std::string* error = nullptr);

}  // namespace rx::updater
