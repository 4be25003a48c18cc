// Update throughput: 64 MiB of gzip files from rx_service on loopback, downloaded, verified and
// installed by the updater with its window (dummy video driver), beside curl | gzip -dc of the same
// files in the same run; and what the signature adds: its check, and hashing every download.
#include <SDL.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/program_folder.h"
#include "files.h"
#include "loopback.h"
#include "service_process.h"
#include "update_public_key.h"
#include "updater/logic/signature.h"
#include "updater/update.h"
#include "updater/window.h"

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;

namespace {

constexpr int file_count = 8;
constexpr std::size_t packed_target = 64u * 1024 * 1024;
constexpr int rounds = 3;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

// Program-like bytes: stretches of noise between repeated runs, so gzip shrinks them somewhat.
std::string program_bytes(std::mt19937& random, std::size_t size) {
    std::string data;
    data.reserve(size);
    while (data.size() < size) {
        const std::size_t run = 64 + random() % 512;
        if (random() % 3 == 0) {
            const char c = static_cast<char>(random());
            data.append(std::min(run, size - data.size()), c);
        } else {
            for (std::size_t i = 0; i < run && data.size() < size; ++i)
                data.push_back(static_cast<char>(random()));
        }
    }
    return data;
}

std::string gzip(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

}  // namespace

int main() {
    rx::test::temp_dir work("rx_update_bench");
    const fs::path root(work.path());
    const fs::path real_sample = fs::path(RX_PROGRAM_DIR) / "service";
    const fs::path sample = root / "sample";
    fs::create_directories(sample);
    for (const char* name : {"catalogue.tsv", "accounts.txt", "news.txt", "info_img"})
        fs::create_symlink(real_sample / name, sample / name);

    // Eight files in three folders whose gzip sizes add up to 64 MiB.
    const fs::path update = sample / "update" / "vbench";
    std::mt19937 random(4030);
    std::vector<std::string> entries;
    std::size_t packed_total = 0;
    std::size_t unpacked_total = 0;
    std::string manifest;
    for (int i = 0; i < file_count; ++i) {
        const char* folder = i % 3 == 0 ? "" : (i % 3 == 1 ? "/data" : "/images/packs");
        const std::string entry = std::string(folder) + "/pack_" + std::to_string(i) + ".bin.gz";
        std::string packed;
        std::size_t raw = packed_target / file_count;
        // Grow the raw size until the packed file reaches its share.
        for (;;) {
            std::mt19937 seeded(random());
            const std::string data = program_bytes(seeded, raw);
            packed = gzip(data);
            if (packed.size() >= packed_target / file_count) {
                unpacked_total += data.size();
                break;
            }
            raw = raw * (packed_target / file_count) / packed.size() + 4096;
        }
        fs::create_directories((update / entry.substr(1)).parent_path());
        rx::test::write_file((update / entry.substr(1)).string(), packed);
        packed_total += packed.size();
        entries.push_back(entry);
        manifest += entry + "\n";
    }
    rx::test::write_file((update / "manifest.txt").string(), manifest);
    const std::string sign = "'" + (fs::path(RX_PROGRAM_DIR) / "rx_service").string() +
                             "' --sign-update '" + update.string() + "' --key '" +
                             RX_UPDATE_SIGNING_KEY_FILE + "' --release 1";
    if (std::system(sign.c_str()) != 0) {
        std::fprintf(stderr, "the update could not be signed\n");
        return 1;
    }

    rx::test::service_process service({"--sample", sample.string()});
    if (!service.started()) {
        std::fprintf(stderr, "rx_service did not start\n");
        return 1;
    }

    // The updater with its window, as the program runs it.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    rx::set_directory_override(std::string(RX_PROGRAM_DIR));
    rx::updater::update_window window;
    if (!window.init(false) || !window.show()) {
        std::fprintf(stderr, "the window did not open\n");
        return 1;
    }
    std::vector<double> updater_times;
    unsigned redraws = 0;
    for (int round = 0; round < rounds; ++round) {
        const fs::path program = root / ("program_" + std::to_string(round));
        fs::create_directories(program);
        rx::updater::update_settings settings;
        settings.program_folder = program.string();
        settings.location = "vbench";
        settings.key = *rx::updater::parse_hex32(rx_update_public_key_hex);
        settings.catalogue =
            rx::config::endpoint{"localhost", static_cast<std::uint16_t>(service.http_port())};
        settings.log = [](std::string_view text) {
            std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
        };
        settings.progress = [&](std::int64_t done, std::int64_t total) {
            return window.update_status(done, total);
        };
        const unsigned before = window.redraws();
        const auto start = clock_type::now();
        if (!rx::updater::get_file_manifest(settings)) {
            std::fprintf(stderr, "the update failed\n");
            return 1;
        }
        updater_times.push_back(seconds_since(start));
        redraws = window.redraws() - before;
        fs::remove_all(program);
    }
    window.clean_up();

    // The same files through curl and gzip, one after another as the updater fetches them.
    std::vector<double> curl_times;
    const fs::path out = root / "curl";
    for (int round = 0; round < rounds; ++round) {
        fs::create_directories(out);
        std::string script;
        for (std::size_t i = 0; i < entries.size(); ++i)
            script += "curl -sf http://127.0.0.1:" + std::to_string(service.http_port()) +
                      "/clients/update/vbench" + entries[i] + " | gzip -dc > " +
                      (out / std::to_string(i)).string() + " || exit 1; ";
        const std::string command = "sh -c '" + script + "'";
        const auto start = clock_type::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "curl | gzip -dc failed\n");
            return 1;
        }
        curl_times.push_back(seconds_since(start));
        fs::remove_all(out);
    }

    // What the signature adds to an update: checking the signature file against the manifest, and
    // hashing every downloaded byte in the download's chunks (done as the bytes arrive).
    const std::string signature_reply = rx::test::exchange(
        service.http_port(), "GET /clients/update/signature.php?location=vbench HTTP/1.0\n\n");
    const std::string manifest_reply = rx::test::exchange(
        service.http_port(), "GET /clients/update/manifest.php?location=vbench HTTP/1.0\n\n");
    std::vector<std::string> packed_files;
    for (const std::string& entry : entries)
        packed_files.push_back(rx::test::read_file((update / entry.substr(1)).string()));
    const auto key = *rx::updater::parse_hex32(rx_update_public_key_hex);
    double best_check = 1e9, best_hash = 1e9;
    for (int round = 0; round < rounds; ++round) {
        auto start = clock_type::now();
        const std::string problem =
            rx::updater::check_signature(signature_reply, manifest_reply, "vbench", key, nullptr);
        best_check = std::min(best_check, seconds_since(start));
        if (!problem.empty()) {
            std::fprintf(stderr, "the signature did not check: %s\n", problem.c_str());
            return 1;
        }
        start = clock_type::now();
        for (const std::string& packed : packed_files) {
            rx::updater::sha256_stream hash;
            for (std::size_t at = 0; at < packed.size(); at += 4095)
                hash.add(packed.data() + at, std::min<std::size_t>(4095, packed.size() - at));
            hash.finish();
        }
        best_hash = std::min(best_hash, seconds_since(start));
    }

    const double mib = static_cast<double>(packed_total) / (1024.0 * 1024.0);
    const double best_update = *std::min_element(updater_times.begin(), updater_times.end());
    const double best_curl = *std::min_element(curl_times.begin(), curl_times.end());
    std::printf("update of %d files: %.1f MiB gzip, %.1f MiB unpacked\n", file_count, mib,
                static_cast<double>(unpacked_total) / (1024.0 * 1024.0));
    for (int round = 0; round < rounds; ++round)
        std::printf(
            "round %d: rx_update %.3f s (%.1f MiB/s), curl | gzip -dc %.3f s (%.1f MiB/s)\n",
            round + 1, updater_times[round], mib / updater_times[round], curl_times[round],
            mib / curl_times[round]);
    std::printf(
        "best: rx_update %.1f MiB/s, curl | gzip -dc %.1f MiB/s, ratio %.0f %% (target 80 %%)\n",
        mib / best_update, mib / best_curl, 100.0 * best_curl / best_update);
    std::printf("window redraws in the last update: %u\n", redraws);
    std::printf(
        "signature: check %.3f ms per update, SHA-256 of the downloads %.1f ms (%.0f MiB/s), "
        "%.1f %% of the best update\n",
        best_check * 1000.0, best_hash * 1000.0, mib / best_hash,
        100.0 * (best_check + best_hash) / best_update);
    return 0;
}
