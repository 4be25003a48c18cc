// The update run against rx_service: a whole update installed byte for byte, and every hostile or
// broken manifest, download and swap leaving the program folder exactly as it was.
#include "updater/update.h"

#include <SDL.h>
#include <SDL_net.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>

#include "../transport/test_server.h"
#include "files.h"
#include "gzip.h"
#include "loopback.h"
#include "platform/install.h"
#include "service_process.h"
#include "update_public_key.h"
#include "updater/logic/gunzip.h"
#include "updater/logic/signature.h"

namespace rx::updater {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::service_process;
using test::write_file;

const fs::path sample_update = fs::path(RX_PROGRAM_DIR) / "service" / "update" / "v4.30";

// Every file (with its bytes and permissions) and folder below `root`.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> seen;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(item.path(), root).generic_string();
        if (item.is_directory()) {
            seen[name] = "folder";
        } else {
            struct stat info {};
            ::stat(item.path().c_str(), &info);
            seen[name] = std::to_string(info.st_mode & 07777) + ":" + read_file(item.path());
        }
    }
    return seen;
}

std::vector<std::string> sample_entries() {
    std::vector<std::string> entries;
    std::istringstream lines(read_file((sample_update / "manifest.txt").string()));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) entries.push_back(line);
    return entries;
}

std::string unpacked_sample(const std::string& entry) {
    std::string out;
    EXPECT_TRUE(gunzip_all(read_file((sample_update / entry.substr(1)).string()), out)) << entry;
    return out;
}

std::string percent_encoded(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        out += '%';
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

// `from` rebuilt under `to` as folders of links, so that one file can be swapped alone (the games
// folder as copies: the service refuses linked games).
void link_tree(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& item : fs::recursive_directory_iterator(from)) {
        const fs::path copy = to / fs::relative(item.path(), from);
        if (item.is_directory())
            fs::create_directories(copy);
        else if (*fs::relative(item.path(), from).begin() == "games")
            fs::copy_file(item.path(), copy);  // the service refuses linked games
        else
            fs::create_symlink(item.path(), copy);
    }
}

// Another valid gzip file of exactly `size` bytes (stored blocks, so its size follows the input's).
std::string gzip_of_size(std::size_t size) {
    std::size_t n = size - 18 - 5 * (size / 65535 + 1);
    std::string packed;
    for (int tries = 0; tries < 8 && packed.size() != size; ++tries) {
        packed = test::gzip(std::string(n, 'x'), 0);
        n = n + size - packed.size();
    }
    return packed;
}

// A key of the test's own, for manifests the service would never sign.
const key_seed test_seed = [] {
    key_seed seed{};
    seed.fill(0x42);
    return seed;
}();

// The signature file for `manifest_reply` made with the test's key: every line that names an entry
// signed with the size and hash of its sample file (100 bytes and the empty file's hash for a
// name the sample does not have).
std::string signed_by_test_key(const std::string& manifest_reply) {
    std::vector<signed_file> files;
    std::istringstream lines(manifest_reply);
    for (std::string entry; std::getline(lines, entry);) {
        if (entry.rfind('/', 0) != 0) continue;
        const std::string bytes = read_file((sample_update / entry.substr(1)).string());
        files.push_back({entry, bytes.empty() ? 100 : bytes.size(), sha256(bytes)});
    }
    return write_signature("v4.30", manifest_text(manifest_reply), files, test_seed);
}

class update_test : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_EQ(SDLNet_Init(), 0); }
    static void TearDownTestSuite() { SDLNet_Quit(); }

    void SetUp() override {
        program = fs::path(folder.path()) / "relicade";
        fs::create_directories(program / "images");
        ASSERT_TRUE(write_file((program / "Relicade").string(), "the old browser"));
        fs::permissions(program / "Relicade", fs::perms(0755));
        ASSERT_TRUE(write_file((program / "update_notes.txt").string(), "old notes"));
        fs::permissions(program / "update_notes.txt", fs::perms(0600));
        ASSERT_TRUE(write_file((program / "images" / "update_badge.png").string(), "old badge"));
        ASSERT_TRUE(write_file((program / "images" / "background.png").string(), "kept"));
        before = snapshot(program);
    }

    void TearDown() override { platform::fail_swap_move_for_testing(0); }

    bool run(int port, unsigned silence_ms = 5000) {
        update_settings settings;
        settings.program_folder = program.string();
        settings.location = location;
        settings.catalogue = config::endpoint{"localhost", static_cast<std::uint16_t>(port)};
        settings.key = key;
        settings.silence_ms = silence_ms;
        settings.download_margin = download_margin;
        settings.max_file_bytes = max_file_bytes;
        settings.grace_ms = grace_ms;
        settings.min_bytes_per_second = min_bytes_per_second;
        settings.log = [this](std::string_view text) { log.emplace_back(text); };
        settings.progress = [this](std::int64_t done, std::int64_t total) {
            progress.emplace_back(done, total);
            return true;
        };
        return get_file_manifest(settings);
    }

    bool logged(const std::string& part) const {
        for (const std::string& line : log)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }

    std::string all_log() const {
        std::string text;
        for (const std::string& line : log) text += line + "\n";
        return text;
    }

    void set_fault(const service_process& service, const std::string& name,
                   const std::string& value) {
        const std::string reply = test::exchange(
            service.http_port(),
            "GET /control?fault=" + name + "&value=" + percent_encoded(value) + " HTTP/1.0\n\n");
        ASSERT_NE(reply.find("ok||EOL"), std::string::npos) << reply;
    }

    void expect_unchanged(const std::string& why) {
        EXPECT_EQ(snapshot(program), before) << why << "\n" << all_log();
    }

    test::temp_dir folder{"rx_update_run"};
    fs::path program;
    std::string location = "v4.30";
    // The build's key, which signed the sample update.
    public_key key = *parse_hex32(rx_update_public_key_hex);
    std::uint64_t download_margin = default_download_margin;
    std::uint64_t max_file_bytes = max_file_download;
    unsigned grace_ms = default_grace_ms;
    std::uint64_t min_bytes_per_second = default_min_bytes_per_second;
    std::map<std::string, std::string> before;
    std::vector<std::string> log;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
};

TEST_F(update_test, installs_every_file_byte_for_byte_and_removes_the_downloads) {
    service_process service;
    ASSERT_TRUE(service.started());
    ASSERT_TRUE(run(service.http_port())) << all_log();

    std::int64_t packed_total = 0;
    for (const std::string& entry : sample_entries()) {
        packed_total += static_cast<std::int64_t>(fs::file_size(sample_update / entry.substr(1)));
        const std::string installed = entry.substr(1, entry.size() - 4);
        EXPECT_EQ(read_file((program / installed).string()), unpacked_sample(entry)) << entry;
    }
    // The two files named update_notes.txt came from different downloads.
    EXPECT_NE(read_file((program / "update_notes.txt").string()),
              read_file((program / "docs" / "update_notes.txt").string()));
    EXPECT_EQ(read_file((program / "images" / "background.png").string()), "kept");
    EXPECT_EQ(read_file((program / "Relicade").string()), "the old browser");
    // A replaced file keeps its permissions.
    EXPECT_EQ(fs::status(program / "update_notes.txt").permissions(), fs::perms(0600));
    // Nothing is left over: no downloads, no staged or set-aside files.
    ASSERT_TRUE(fs::is_directory(program / "update"));
    EXPECT_TRUE(fs::is_empty(program / "update"));
    for (const auto& item : fs::recursive_directory_iterator(program))
        EXPECT_EQ(item.path().string().find(".rx_"), std::string::npos) << item.path();
    EXPECT_TRUE(log.empty()) << all_log();

    // The counter ends at the manifest's total and never goes back.
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(packed_total, packed_total));
    for (std::size_t i = 1; i < progress.size(); ++i)
        EXPECT_GE(progress[i].first, progress[i - 1].first);
    EXPECT_GT(progress.size(), 512u * 1024 / download_chunk);
}

TEST_F(update_test, hostile_manifests_are_refused_before_anything_is_fetched) {
    const std::string request_log = folder.file("requests.log");
    service_process service({"--request-log", request_log});
    ASSERT_TRUE(service.started());
    const std::string good = "/update_notes.txt.gz\n";
    const std::vector<std::pair<const char*, std::string>> manifests = {
        {"parent", "filesize:500\n" + good + "/../x.gz\n"},
        {"parent after a folder", "filesize:500\n" + good + "/a/../../x.gz\n"},
        {"backslash", "filesize:500\n" + good + "/..\\x.gz\n"},
        {"drive", "filesize:500\n" + good + "/C:/x.gz\n"},
        {"device", "filesize:500\n" + good + "/nul.gz\n"},
        {"empty line", "filesize:500\n" + good + "\n/docs/update_notes.txt.gz\n"},
        {"duplicate", "filesize:500\n" + good + "/UPDATE_NOTES.TXT.gz\n"},
        {"no filesize", good},
    };
    // Signed, so that only the manifest's own checks stand between them and the folder.
    key = public_key_of(test_seed);
    for (const auto& [name, body] : manifests) {
        set_fault(service, "manifest", body);
        set_fault(service, "signature", signed_by_test_key(body));
        log.clear();
        EXPECT_FALSE(run(service.http_port())) << name;
        EXPECT_TRUE(logged("Failure checking manifest - get_file_manifest")) << name << all_log();
        expect_unchanged(name);
    }
    const std::string requests = read_file(request_log);
    EXPECT_EQ(requests.find("GET /clients/update/v4.30/"), std::string::npos) << requests;
}

TEST_F(update_test, a_location_that_is_not_a_version_text_is_not_asked_for) {
    service_process service;
    ASSERT_TRUE(service.started());
    location = "../v4.30";
    EXPECT_FALSE(run(service.http_port()));
    EXPECT_TRUE(logged("Failure checking location - get_file_manifest"));
    expect_unchanged("location");
}

TEST_F(update_test, broken_downloads_fail_the_update_and_change_nothing) {
    // The service's sample with the last file swapped for another valid gzip file of the signed
    // size: served whole, only its hash can refuse it.
    const fs::path sample = fs::path(folder.path()) / "sample";
    link_tree(sample_update.parent_path().parent_path(), sample);
    const fs::path pack = sample / "update" / "v4.30" / "data" / "levels" / "update_pack.bin.gz";
    const std::string other = gzip_of_size(fs::file_size(pack));
    ASSERT_EQ(other.size(), fs::file_size(pack));
    fs::remove(pack);
    ASSERT_TRUE(write_file(pack.string(), other));
    service_process service({"--sample", sample.string()});
    ASSERT_TRUE(service.started());
    // The last file breaks, so four good files were already downloaded when it fails.
    set_fault(service, "update_file_only", "update_pack.bin.gz");
    const std::vector<std::pair<const char*, const char*>> modes = {
        {"not_found", "Failure checking file - check_signature: /data/levels/update_pack.bin.gz: "},
        {"truncate", "/data/levels/update_pack.bin.gz: 262241 bytes, signed 524482"},
        {"bad_crc", "/data/levels/update_pack.bin.gz: its SHA-256 is not the signed one"},
        // Served whole: the swapped file.
        {"", "/data/levels/update_pack.bin.gz: its SHA-256 is not the signed one"},
        {"short_header", "the reply ended inside its header"},
    };
    for (const auto& [mode, why] : modes) {
        set_fault(service, "update_file", mode);
        log.clear();
        EXPECT_FALSE(run(service.http_port())) << mode;
        EXPECT_TRUE(logged(why)) << mode << "\n" << all_log();
        expect_unchanged(mode);
    }
    // A 404 page for every file: its text is never installed.
    set_fault(service, "update_file_only", "");
    set_fault(service, "update_file", "not_found");
    log.clear();
    EXPECT_FALSE(run(service.http_port()));
    EXPECT_TRUE(logged("Failure checking file - check_signature: /update_notes.txt.gz"))
        << all_log();
    expect_unchanged("404 for every file");
}

TEST_F(update_test, a_silent_server_fails_within_the_bound) {
    service_process service({"--hold-ms", "20000"});
    ASSERT_TRUE(service.started());
    for (const char* fault : {"update_file", "never_reply"}) {
        set_fault(service, "update_file", fault == std::string("update_file") ? "silent" : "");
        set_fault(service, "never_reply", fault == std::string("never_reply") ? "1" : "0");
        log.clear();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(run(service.http_port(), 500)) << fault;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << fault;
        if (fault == std::string("update_file")) {
            EXPECT_TRUE(logged("the server went silent")) << all_log();
        }
        expect_unchanged(fault);
    }
}

// The total only moves the counter: a service that announces less than it sends still updates.
TEST_F(update_test, a_total_below_what_arrives_only_moves_the_counter) {
    service_process service;
    ASSERT_TRUE(service.started());
    const std::string below = "filesize: 1000\r\n/data/levels/update_pack.bin.gz\n";
    set_fault(service, "manifest", below);
    set_fault(service, "signature", signed_by_test_key(below));
    key = public_key_of(test_seed);
    ASSERT_TRUE(run(service.http_port())) << all_log();
    EXPECT_EQ(read_file((program / "data" / "levels" / "update_pack.bin").string()),
              unpacked_sample("/data/levels/update_pack.bin.gz"));
    const auto packed = static_cast<std::int64_t>(
        fs::file_size(sample_update / "data" / "levels" / "update_pack.bin.gz"));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(packed, std::int64_t{1000}));
}

TEST_F(update_test, a_server_that_sends_far_more_than_the_total_is_stopped) {
    service_process service;
    ASSERT_TRUE(service.started());
    // A margin of 1000 bytes over four times the total: the 512 KiB pack is far past it.
    const std::string far_below = "filesize:1000\n/data/levels/update_pack.bin.gz\n";
    set_fault(service, "manifest", far_below);
    set_fault(service, "signature", signed_by_test_key(far_below));
    key = public_key_of(test_seed);
    download_margin = 1000;
    EXPECT_FALSE(run(service.http_port()));
    EXPECT_TRUE(logged("far more bytes than the manifest announced")) << all_log();
    expect_unchanged("over the total");
    for (const auto& [done, total] : progress) EXPECT_LE(done, 5000) << total;

    // One file past the cap for a single file fails however large the total.
    const std::string huge = "filesize:100000000\n/data/levels/update_pack.bin.gz\n";
    set_fault(service, "manifest", huge);
    set_fault(service, "signature", signed_by_test_key(huge));
    download_margin = default_download_margin;
    max_file_bytes = 100000;
    log.clear();
    progress.clear();
    EXPECT_FALSE(run(service.http_port()));
    EXPECT_TRUE(logged("a file larger than an update may bring")) << all_log();
    expect_unchanged("over the file cap");
    for (const auto& [done, total] : progress) EXPECT_LE(done, 100000) << total;
}

// A file made of two gzip members and cut inside the second one is not whole, though its first
// member is.
TEST_F(update_test, a_file_cut_inside_its_second_member_is_not_installed) {
    const std::string first = test::gzip(std::string(3000, 'a'), 9);
    const std::string whole = first + test::gzip("the second member's bytes", 9);
    for (std::size_t cut : {first.size() + 1, first.size() + 10, whole.size() - 1}) {
        const std::string packed = whole.substr(0, cut);
        // Signed as it is cut, so that only the unpacking can tell.
        const std::string manifest =
            "filesize:" + std::to_string(packed.size()) + "\n/images/update_badge.png.gz\n";
        const std::string signature = write_signature(
            "v4.30", manifest, {{"/images/update_badge.png.gz", packed.size(), sha256(packed)}},
            test_seed);
        key = public_key_of(test_seed);
        rx_test::test_server server([&](rx_test::test_server&, int fd, const std::string& request) {
            if (request.find("manifest.php") != std::string::npos)
                rx_test::test_server::send_all(fd, "HTTP/1.0 200 OK\n\n" + manifest);
            else if (request.find("signature.php") != std::string::npos)
                rx_test::test_server::send_all(fd, "HTTP/1.0 200 OK\n\n" + signature);
            else
                rx_test::test_server::send_all(fd, std::string(10, '\n') + packed);
        });
        log.clear();
        EXPECT_FALSE(run(server.port())) << cut;
        EXPECT_TRUE(logged("the gzip data ends early")) << cut << "\n" << all_log();
        expect_unchanged("cut at " + std::to_string(cut));
    }
}

TEST_F(update_test, a_failure_at_any_move_of_the_swap_puts_everything_back) {
    service_process service;
    ASSERT_TRUE(service.started());
    // Two of the five targets exist (each is moved aside, then replaced), three are new: seven
    // moves in all. Failing any one of them must leave the old installation.
    for (int move = 1; move <= 7; ++move) {
        platform::fail_swap_move_for_testing(move);
        log.clear();
        EXPECT_FALSE(run(service.http_port())) << "move " << move;
        EXPECT_TRUE(logged("Failure installing files - file_name")) << all_log();
        expect_unchanged("move " + std::to_string(move));
    }
    platform::fail_swap_move_for_testing(8);
    EXPECT_TRUE(run(service.http_port())) << all_log();
    EXPECT_EQ(read_file((program / "update_notes.txt").string()),
              unpacked_sample("/update_notes.txt.gz"));
}

TEST_F(update_test, the_file_starts_after_the_tenth_line_feed_whatever_the_header_says) {
    const std::string payload = "the new badge bytes\n\n\nwith line feeds of its own";
    const std::string packed = test::gzip(payload, 9);
    ASSERT_FALSE(packed.empty());
    const std::string manifest =
        "filesize:" + std::to_string(packed.size()) + "\n/images/b.png.gz\n";
    const std::string signature = write_signature(
        "v4.30", manifest, {{"/images/b.png.gz", packed.size(), sha256(packed)}}, test_seed);
    key = public_key_of(test_seed);
    rx_test::test_server server([&](rx_test::test_server&, int fd, const std::string& request) {
        if (request.find("manifest.php") != std::string::npos) {
            rx_test::test_server::send_all(fd, "HTTP/1.0 200 OK\n\n" + manifest);
        } else if (request.find("signature.php") != std::string::npos) {
            rx_test::test_server::send_all(fd, "HTTP/1.0 200 OK\n\n" + signature);
        } else {
            // Ten lines that say nothing true: the status and length are not read.
            rx_test::test_server::send_all(fd,
                                           "HTTP/1.0 404 Not Found\nContent-Length: 3\nX: 1\nX: "
                                           "2\nX: 3\nX: 4\nX: 5\nX: 6\nX: 7\n\n" +
                                               packed);
        }
    });
    ASSERT_TRUE(run(server.port())) << all_log();
    EXPECT_EQ(read_file((program / "images" / "b.png").string()), payload);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], std::string("GET /clients/update/manifest.php?location=v4.30 "
                                       "HTTP/1.0\nHost: localhost\n\n") +
                               '\0');
    EXPECT_EQ(requests[1], std::string("GET /clients/update/signature.php?location=v4.30 "
                                       "HTTP/1.0\nHost: localhost\n\n") +
                               '\0');
    EXPECT_EQ(
        requests[2],
        std::string("GET /clients/update/v4.30/images/b.png.gz HTTP/1.0\nHost: localhost\n\n") +
            '\0');
}

TEST_F(update_test, a_connection_closed_inside_the_header_or_before_any_reply_fails) {
    const std::string manifest = "filesize:100\n/images/b.png.gz\n";
    const std::string signature =
        write_signature("v4.30", manifest, {{"/images/b.png.gz", 100, sha256("")}}, test_seed);
    key = public_key_of(test_seed);
    rx_test::test_server server([&](rx_test::test_server&, int fd, const std::string& request) {
        if (request.find("manifest.php") != std::string::npos)
            rx_test::test_server::send_all(fd, "HTTP/1.0 200 OK\n\n" + manifest);
        else if (request.find("signature.php") != std::string::npos)
            rx_test::test_server::send_all(fd, "HTTP/1.0 200 OK\n\n" + signature);
        else
            rx_test::test_server::send_all(fd, "HTTP/1.0 200 OK\nA: 1\nB: 2\n");
    });
    EXPECT_FALSE(run(server.port()));
    EXPECT_TRUE(logged("the reply ended inside its header")) << all_log();
    expect_unchanged("closed in the header");

    service_process service({"--fault", "close_before_reply"});
    ASSERT_TRUE(service.started());
    log.clear();
    EXPECT_FALSE(run(service.http_port()));
    expect_unchanged("closed before the manifest");
}

TEST_F(update_test, an_existing_update_folder_and_a_stale_download_are_handled) {
    fs::create_directories(program / "update");
    ASSERT_TRUE(write_file((program / "update" / "update_notes.txt.gz").string(), "stale"));
    service_process service;
    ASSERT_TRUE(service.started());
    ASSERT_TRUE(run(service.http_port())) << all_log();
    EXPECT_EQ(read_file((program / "update_notes.txt").string()),
              unpacked_sample("/update_notes.txt.gz"));
    EXPECT_TRUE(fs::is_empty(program / "update"));
}

// A one-file update of the test's key under `terms`, served by a loopback stand-in whose file
// reply the case chooses.
struct one_file_update {
    std::string packed = test::gzip("the new badge", 9);
    std::string manifest =
        "filesize:" + std::to_string(packed.size()) + "\n/images/update_badge.png.gz\n";
    std::string signature(const signing_terms& terms) const {
        return write_signature("v4.30", manifest,
                               {{"/images/update_badge.png.gz", packed.size(), sha256(packed)}},
                               test_seed, terms);
    }
    // Answers the manifest and `signature`; the file's reply is left to `file`.
    rx_test::test_server::script serve(std::string signature_text,
                                       rx_test::test_server::script file) const {
        return [this, signature_text, file](rx_test::test_server& server, int fd,
                                            const std::string& request) {
            if (request.find("manifest.php") != std::string::npos)
                rx_test::test_server::send_all(fd, "HTTP/1.0 200 OK\n\n" + manifest);
            else if (request.find("signature.php") != std::string::npos)
                rx_test::test_server::send_all(fd, "HTTP/1.0 200 OK\n\n" + signature_text);
            else if (file)
                file(server, fd, request);
            else
                rx_test::test_server::send_all(fd, std::string(10, '\n') + packed);
        };
    }
};

// The service moves to a new key: the last update the old key signs names it, and from then on the
// old key (which may be the one that leaked) installs nothing.
TEST_F(update_test, after_a_key_rotation_only_the_new_key_is_trusted) {
    key = public_key_of(test_seed);
    key_seed next_seed{};
    next_seed.fill(0x43);
    const one_file_update update;
    auto signed_by = [&](const key_seed& seed, std::uint64_t release,
                         std::optional<public_key> next) {
        return write_signature(
            "v4.30", update.manifest,
            {{"/images/update_badge.png.gz", update.packed.size(), sha256(update.packed)}}, seed,
            {release, today() + 30, next});
    };
    {
        rx_test::test_server server(
            update.serve(signed_by(test_seed, 1, public_key_of(next_seed)), nullptr));
        ASSERT_TRUE(run(server.port())) << all_log();
    }
    EXPECT_EQ(read_file((program / "installed_releases.txt").string()),
              "v4.30 1\n@key " + to_hex(public_key_of(next_seed).data(), 32) + "\n");

    before = snapshot(program);
    {
        rx_test::test_server server(update.serve(signed_by(test_seed, 2, std::nullopt), nullptr));
        log.clear();
        EXPECT_FALSE(run(server.port()));
        EXPECT_EQ(all_log(),
                  "Failure checking signature - check_signature: not signed by the "
                  "service's key\n");
        expect_unchanged("the old key after the rotation");
    }
    rx_test::test_server server(update.serve(signed_by(next_seed, 2, std::nullopt), nullptr));
    log.clear();
    ASSERT_TRUE(run(server.port())) << all_log();
    EXPECT_EQ(recorded_release(read_file((program / "installed_releases.txt").string()), "v4.30"),
              2u);
    EXPECT_EQ(trusted_key_hex(read_file((program / "installed_releases.txt").string())),
              to_hex(public_key_of(next_seed).data(), 32));
}

TEST_F(update_test, an_endless_header_and_a_dripping_reply_fail_in_bounded_time) {
    key = public_key_of(test_seed);
    const one_file_update update;
    // One byte a tenth of a second is far below the least speed the test asks for.
    grace_ms = 300;
    min_bytes_per_second = 1000000;
    auto drip = [](std::string head) {
        return [head](rx_test::test_server& server, int fd, const std::string&) {
            rx_test::test_server::send_all(fd, head);
            while (!server.stopping() && ::send(fd, "x", 1, MSG_NOSIGNAL) == 1)
                rx_test::test_server::pause_ms(100);
        };
    };
    const struct {
        const char* name;
        rx_test::test_server::script file;
        const char* log_line;
    } cases[] = {
        {"header without end",
         [](rx_test::test_server& server, int fd, const std::string&) {
             const std::string block(1024, 'h');
             while (!server.stopping() && ::send(fd, block.data(), block.size(), MSG_NOSIGNAL) > 0)
                 continue;
         },
         "Failure receiving data - download_update: a header longer than 4096 bytes"},
        {"dripping header", drip("HTTP/1.0 200 OK\n"),
         "Failure receiving data - download_update: /images/update_badge.png.gz: slower than "
         "1000000 bytes a second"},
        {"dripping body", drip(std::string(10, '\n')),
         "Failure receiving data - download_update: /images/update_badge.png.gz: slower than "
         "1000000 bytes a second"},
    };
    for (const auto& c : cases) {
        rx_test::test_server server(update.serve(update.signature({}), c.file));
        log.clear();
        EXPECT_FALSE(run(server.port())) << c.name;
        ASSERT_EQ(log.size(), 1u) << c.name << "\n" << all_log();
        EXPECT_EQ(log[0], c.log_line);
        expect_unchanged(c.name);
    }
}

}  // namespace
}  // namespace rx::updater
