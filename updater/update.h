// The whole update: manifest, downloads into the update folder, verified unpacking and the swap.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "net/web_transport.h"
#include "platform/service_config.h"
#include "updater/logic/manifest.h"
#include "updater/logic/signature.h"

namespace rx::updater {

inline constexpr unsigned default_grace_ms = 30000;
inline constexpr std::uint64_t default_min_bytes_per_second = 16 * 1024;

struct update_settings {
    std::string program_folder;
    std::string location;  // the version text, e.g. "v4.30"
    config::endpoint catalogue;
    // The service's key: only an update whose signature file it made is installed.
    public_key key{};
    // Longest wait for the server's next bytes before a download fails.
    unsigned silence_ms = web::default_silence_ms;
    // Bytes all downloads may bring beyond four times the manifest's total, and the most one
    // download may bring.
    std::uint64_t download_margin = default_download_margin;
    std::uint64_t max_file_bytes = max_file_download;
    // However the server trickles its bytes, each download and the whole update must keep this
    // speed on average once the grace has passed (both count from their start).
    unsigned grace_ms = default_grace_ms;
    std::uint64_t min_bytes_per_second = default_min_bytes_per_second;
    // Called after every received chunk with the bytes received so far and the manifest's total;
    // false abandons the update (the window was closed).
    std::function<bool(std::int64_t done, std::int64_t total)> progress;
    web::log_sink log;
};

// Receive size of one download chunk.
inline constexpr int download_chunk = 4095;
// A download's header is ten short lines; anything longer is no reply of the service's.
inline constexpr int max_header_bytes = 4096;

// Runs the update. True only when the signature file was made by `key` for this location and this
// manifest, newer than the release recorded for the location and not expired, and every file was
// downloaded with its signed size and SHA-256, unpacked, verified and
// installed; on false the program's files are exactly as they were and the downloaded copies are
// gone.
bool get_file_manifest(const update_settings& settings);

}  // namespace rx::updater
