// The whole update: manifest, downloads into the update folder, verified unpacking and the swap.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "browser/screens/web_transport.h"
#include "platform/service_config.h"
#include "updater/logic/manifest.h"
#include "updater/logic/signature.h"

namespace rx::updater {

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
    // Called after every received chunk with the bytes received so far and the manifest's total;
    // false abandons the update (the window was closed).
    std::function<bool(std::int64_t done, std::int64_t total)> progress;
    web::log_sink log;
};

// Receive size of one download chunk.
inline constexpr int download_chunk = 4095;

// Runs the update. True only when the signature file was made by `key` for this location and this
// manifest, and every file was downloaded with its signed size and SHA-256, unpacked, verified and
// installed; on false the program's files are exactly as they were and the downloaded copies are
// gone.
bool get_file_manifest(const update_settings& settings);

}  // namespace rx::updater
