// The rx_update program itself on the dummy video driver: its arguments, exit codes, log and the
// start of Relicade after a good update only, also with a man in the middle rewriting the replies.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "../transport/test_server.h"
#include "files.h"
#include "gzip.h"
#include "loopback.h"
#include "service_process.h"
#include "updater/logic/signature.h"
#include "wait.h"

namespace {

namespace fs = std::filesystem;
using rx::test::gzip;
using rx::test::read_file;

// Signs the update folder `dir` with the build's key, as the service's operator would.
bool sign_with_build_key(const fs::path& dir, const std::string& terms = "--release 1") {
    const std::string command = "'" + (fs::path(RX_PROGRAM_DIR) / "rx_service").string() +
                                "' --sign-update '" + dir.string() + "' --key '" +
                                RX_UPDATE_SIGNING_KEY_FILE + "' " + terms;
    return std::system(command.c_str()) == 0;
}

// Every file (with its bytes) and folder below `root`, the updater's error log left out.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> seen;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(item.path(), root).generic_string();
        if (name == "error_log.txt") continue;
        seen[name] = item.is_directory() ? "folder" : read_file(item.path().string());
    }
    return seen;
}

// The reply's header (through its tenth line feed, as the updater counts) and the rest.
std::pair<std::string, std::string> split_reply(const std::string& reply) {
    std::size_t at = 0;
    for (int lines = 0; lines < 10 && at != std::string::npos; ++lines) {
        at = reply.find('\n', at);
        if (at != std::string::npos) ++at;
    }
    if (at == std::string::npos) return {reply, ""};
    return {reply.substr(0, at), reply.substr(at)};
}

class update_program : public ::testing::Test {
  protected:
    void SetUp() override {
        program = fs::path(folder.path()) / "relicade";
        fs::create_directories(program);
        const fs::path real(RX_PROGRAM_DIR);
        for (const char* name : {"rx_update", "NEURPOLI.TTF", "images"})
            fs::copy(real / name, program / name, fs::copy_options::recursive);
        // A stand-in browser that only notes that it was started.
        ASSERT_TRUE(rx::test::write_file(
            (program / "Relicade").string(),
            "#!/bin/sh\ncd \"$(dirname \"$0\")\" && echo \"started $#\" > started.tmp && mv "
            "started.tmp started.txt\n"));
        fs::permissions(program / "Relicade", fs::perms(0755));
        ASSERT_TRUE(rx::test::write_file((program / "update_notes.txt").string(), "old notes"));
    }

    // Exit status of rx_update with `arguments`, -1 when it did not end within 30 s.
    int run_updater(const std::vector<std::string>& arguments, int port) {
        const std::string path = (program / "rx_update").string();
        const std::string host = "localhost:" + std::to_string(port);
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("RELICADE_CATALOGUE_HOST", host.c_str(), 1);
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            std::vector<char*> argv{const_cast<char*>(path.c_str())};
            for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(path.c_str(), argv.data());
            _exit(127);
        }
        int status = 0;
        const bool ended =
            rx::test::wait_until([&] { return waitpid(pid, &status, WNOHANG) == pid; },
                                 std::chrono::milliseconds(30000));
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string error_log() const { return read_file((program / "error_log.txt").string()); }

    rx::test::temp_dir folder{"rx_update_program"};
    fs::path program;
};

TEST_F(update_program, a_good_update_exits_0_and_starts_relicade_again) {
    rx::test::service_process service;
    ASSERT_TRUE(service.started());
    EXPECT_EQ(run_updater({"0", "v4.30"}, service.http_port()), 0) << error_log();
    EXPECT_TRUE(rx::test::wait_until([&] { return fs::exists(program / "started.txt"); }))
        << "Relicade was not started";
    EXPECT_EQ(read_file((program / "started.txt").string()), "started 0\n");
    EXPECT_NE(read_file((program / "update_notes.txt").string()), "old notes");
    EXPECT_TRUE(fs::exists(program / "data" / "levels" / "update_pack.bin"));
    EXPECT_EQ(error_log(), "");
}

TEST_F(update_program, the_running_updater_replaces_its_own_file_and_it_stays_a_program) {
    // A sample of our own whose update holds a new rx_update (the old one with bytes appended).
    const fs::path sample = fs::path(folder.path()) / "sample";
    const fs::path real_sample = fs::path(RX_PROGRAM_DIR) / "service";
    fs::create_directories(sample / "update" / "vself");
    for (const char* name : {"catalogue.tsv", "accounts.txt", "news.txt", "info_img"})
        fs::create_symlink(real_sample / name, sample / name);
    const std::string new_updater = read_file((program / "rx_update").string()) + "version 4.30";
    ASSERT_TRUE(rx::test::write_file((sample / "update" / "vself" / "rx_update.gz").string(),
                                     gzip(new_updater)));
    ASSERT_TRUE(rx::test::write_file((sample / "update" / "vself" / "manifest.txt").string(),
                                     "/rx_update.gz\n"));
    ASSERT_TRUE(sign_with_build_key(sample / "update" / "vself"));
    rx::test::service_process service({"--sample", sample.string()});
    ASSERT_TRUE(service.started());

    EXPECT_EQ(run_updater({"0", "vself"}, service.http_port()), 0) << error_log();
    EXPECT_EQ(read_file((program / "rx_update").string()), new_updater);
    EXPECT_EQ(fs::status(program / "rx_update").permissions() & fs::perms::owner_exec,
              fs::perms::owner_exec);
    // The replaced updater still runs: a second start ends as a failed update would, with 1.
    EXPECT_EQ(run_updater({"0", "../x"}, service.http_port()), 1);
    for (const auto& item : fs::directory_iterator(program))
        EXPECT_EQ(item.path().filename().string().find(".rx_"), std::string::npos) << item.path();
}

TEST_F(update_program, a_failed_update_exits_1_logs_and_starts_nothing) {
    rx::test::service_process service({"--fault", "manifest=filesize:100\n/../escape.gz\n"});
    ASSERT_TRUE(service.started());
    EXPECT_EQ(run_updater({"1", "v4.30"}, service.http_port()), 1);
    // The service never signed that manifest, so it is not even read.
    EXPECT_NE(error_log().find("Failure checking signature - check_signature: the manifest is not "
                               "the one signed"),
              std::string::npos)
        << error_log();
    EXPECT_FALSE(fs::exists(folder.path() + "/escape"));
    // A second chance for a stray start to show up before the check.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(program / "started.txt"));
    EXPECT_EQ(read_file((program / "update_notes.txt").string()), "old notes");
    EXPECT_FALSE(fs::exists(program / "update"));
}

TEST_F(update_program, missing_arguments_or_a_service_that_is_not_there_exit_1) {
    rx::test::service_process service;
    ASSERT_TRUE(service.started());
    // No location: nothing to ask for.
    EXPECT_EQ(run_updater({}, service.http_port()), 1);
    EXPECT_NE(error_log().find("Failure checking location - get_file_manifest"), std::string::npos)
        << error_log();
    const int port = service.http_port();
    service.stop();
    EXPECT_EQ(run_updater({"0", "v4.30"}, port), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(program / "started.txt"));
    EXPECT_EQ(read_file((program / "update_notes.txt").string()), "old notes");
}

// The operator's signing step refuses what it cannot sign whole and writes no signature then.
TEST_F(update_program, signing_an_update_folder_needs_a_key_and_every_listed_file) {
    const fs::path update = fs::path(folder.path()) / "vsign";
    fs::create_directories(update);
    ASSERT_TRUE(rx::test::write_file((update / "a.txt.gz").string(), gzip("a")));
    ASSERT_TRUE(rx::test::write_file((update / "manifest.txt").string(), "/a.txt.gz\n"));
    const std::string bad_key = folder.file("bad.key");
    ASSERT_TRUE(rx::test::write_file(bad_key, "not a key\n"));
    fs::permissions(bad_key, fs::perms(0600));
    // The build's key as a careless copy would leave it: readable by everyone.
    const std::string open_key = folder.file("open.key");
    fs::copy_file(RX_UPDATE_SIGNING_KEY_FILE, open_key);
    fs::permissions(open_key, fs::perms(0644));
    const std::string service = (fs::path(RX_PROGRAM_DIR) / "rx_service").string();
    auto sign = [&](const std::string& key, const std::string& terms = "--release 1") {
        return std::system(("'" + service + "' --sign-update '" + update.string() + "' --key '" +
                            key + "' " + terms + " 2>/dev/null")
                               .c_str());
    };
    EXPECT_NE(sign(folder.file("missing.key")), 0);
    EXPECT_NE(sign(bad_key), 0);
    EXPECT_NE(sign(open_key), 0);
    EXPECT_NE(sign(RX_UPDATE_SIGNING_KEY_FILE, ""), 0);
    EXPECT_NE(sign(RX_UPDATE_SIGNING_KEY_FILE, "--release 0"), 0);
    EXPECT_NE(sign(RX_UPDATE_SIGNING_KEY_FILE, "--release 2 --expires 2030-02-30"), 0);
    EXPECT_FALSE(fs::exists(update / "signature.txt"));
    ASSERT_TRUE(rx::test::write_file((update / "manifest.txt").string(), "/a.txt.gz\n/b.gz\n"));
    EXPECT_NE(sign(RX_UPDATE_SIGNING_KEY_FILE), 0);
    EXPECT_FALSE(fs::exists(update / "signature.txt"));
    ASSERT_TRUE(rx::test::write_file((update / "manifest.txt").string(), "/a.txt.gz\n"));
    EXPECT_EQ(sign(RX_UPDATE_SIGNING_KEY_FILE), 0);
    const auto signature =
        rx::updater::parse_signature(read_file((update / "signature.txt").string()));
    ASSERT_TRUE(signature.value) << signature.reason;
    EXPECT_EQ(signature.value->location, "vsign");
    EXPECT_EQ(signature.value->release, 1u);
    EXPECT_FALSE(signature.value->next_key);
    // Handing over to a new key: its public key file, as the key maker writes it.
    const std::string next_key = folder.file("next.hex");
    ASSERT_TRUE(rx::test::write_file(next_key, std::string(64, 'e') + "\n"));
    EXPECT_NE(sign(RX_UPDATE_SIGNING_KEY_FILE, "--release 2 --next-key '" + bad_key + "'"), 0);
    EXPECT_EQ(sign(RX_UPDATE_SIGNING_KEY_FILE, "--release 2 --next-key '" + next_key + "'"), 0);
    const auto handing_over =
        rx::updater::parse_signature(read_file((update / "signature.txt").string()));
    ASSERT_TRUE(handing_over.value) << handing_over.reason;
    ASSERT_TRUE(handing_over.value->next_key);
    EXPECT_EQ(rx::updater::to_hex(handing_over.value->next_key->data(), 32), std::string(64, 'e'));
    // A year on from the day it was signed (which may have been yesterday by now).
    EXPECT_GE(signature.value->expires, rx::updater::today() + 364);
    EXPECT_LE(signature.value->expires, rx::updater::today() + 365);
    ASSERT_EQ(signature.value->files.size(), 1u);
    EXPECT_EQ(signature.value->files[0].sha256,
              rx::updater::sha256(read_file((update / "a.txt.gz").string())));
}

// A man in the middle between rx_update and the service: every request goes on to the service, and
// the attack may rewrite the reply. Only an honest relay may change the program folder.
TEST_F(update_program, only_the_update_the_service_signed_is_installed_through_a_relay) {
    // The service's sample, and a second location the same key signed.
    const fs::path sample = fs::path(folder.path()) / "sample";
    const fs::path real_sample = fs::path(RX_PROGRAM_DIR) / "service";
    fs::create_directories(sample / "update" / "v4.31");
    for (const char* name : {"catalogue.tsv", "accounts.txt", "news.txt", "info_img"})
        fs::create_symlink(real_sample / name, sample / name);
    fs::create_directory_symlink(real_sample / "update" / "v4.30", sample / "update" / "v4.30");
    ASSERT_TRUE(rx::test::write_file((sample / "update" / "v4.31" / "update_notes.txt.gz").string(),
                                     gzip("Relicade v4.31 update notes\n")));
    ASSERT_TRUE(rx::test::write_file((sample / "update" / "v4.31" / "manifest.txt").string(),
                                     "/update_notes.txt.gz\n"));
    ASSERT_TRUE(sign_with_build_key(sample / "update" / "v4.31"));
    rx::test::service_process service({"--sample", sample.string()});
    ASSERT_TRUE(service.started());
    auto ask_service = [&](const std::string& target) {
        return rx::test::exchange(service.http_port(),
                                  "GET " + target + " HTTP/1.0\nHost: localhost\n\n" + '\0');
    };

    // Another valid gzip file exactly as long as the signed one: only its hash can tell.
    const std::string real_notes =
        read_file((real_sample / "update" / "v4.30" / "update_notes.txt.gz").string());
    std::string hostile;
    for (std::size_t n = 1; n < 4 * real_notes.size() && hostile.size() != real_notes.size(); ++n)
        hostile = gzip(std::string(n, 'x'), 0);
    ASSERT_EQ(hostile.size(), real_notes.size());

    // The signature file as the service made it, signed again by a key of the attacker's own.
    const rx::updater::signature_result real_signature =
        rx::updater::parse_signature(ask_service("/clients/update/signature.php?location=v4.30"));
    ASSERT_TRUE(real_signature.value) << real_signature.reason;
    rx::updater::key_seed attacker{};
    attacker.fill(0x5A);
    const std::string resigned = rx::updater::write_signature(
        "v4.30",
        rx::updater::manifest_text(ask_service("/clients/update/manifest.php?location=v4.30")),
        real_signature.value->files, attacker);

    using rewrite = std::function<std::string(const std::string& request, std::string reply)>;
    auto on = [](const char* what, std::function<std::string(std::string)> change) -> rewrite {
        return [what, change](const std::string& request, std::string reply) {
            return request.find(what) == std::string::npos ? reply : change(std::move(reply));
        };
    };
    struct attack {
        const char* name;
        rewrite relay;
        const char* log_line;  // "" for the honest relay
    };
    const std::vector<attack> attacks = {
        {"honest", [](const std::string&, std::string reply) { return reply; }, ""},
        {"swaps one file for another valid gzip file",
         on("/v4.30/update_notes.txt.gz ",
            [&](std::string reply) { return split_reply(reply).first + hostile; }),
         "Failure checking file - check_signature: /update_notes.txt.gz: its SHA-256 is not the "
         "signed one"},
        {"drops the signature",
         on("signature.php",
            [](std::string) { return std::string("HTTP/1.0 404 Not Found\r\n\r\nno file\n"); }),
         "Failure checking signature - check_signature: no signature file"},
        {"serves another location's signature",
         on("signature.php",
            [&](std::string) {
                return ask_service("/clients/update/signature.php?location=v4.31");
            }),
         "Failure checking signature - check_signature: made for location v4.31, not v4.30"},
        {"changes the manifest by one byte",
         on("manifest.php",
            [](std::string reply) {
                const std::size_t digit = reply.find("filesize:") + 9;
                reply[digit] = reply[digit] == '9' ? '8' : static_cast<char>(reply[digit] + 1);
                return reply;
            }),
         "Failure checking signature - check_signature: the manifest is not the one signed"},
        {"signs with a key of its own",
         on("signature.php",
            [&](std::string reply) {
                return reply.substr(0, reply.find("\r\n\r\n") + 4) + resigned;
            }),
         "Failure checking signature - check_signature: not signed by the service's key"},
    };
    // The attacks first: each must leave the folder as it was for the next.
    for (std::size_t i = 1; i <= attacks.size(); ++i) {
        const attack& a = attacks[i % attacks.size()];
        const auto before = snapshot(program);
        fs::remove(program / "error_log.txt");
        rx_test::test_server relay([&](rx_test::test_server&, int fd, const std::string& request) {
            rx_test::test_server::send_all(
                fd, a.relay(request, rx::test::exchange(service.http_port(), request)));
        });
        const int status = run_updater({"0", "v4.30"}, relay.port());
        if (std::string(a.log_line).empty()) {
            EXPECT_EQ(status, 0) << a.name << "\n" << error_log();
            EXPECT_TRUE(rx::test::wait_until([&] { return fs::exists(program / "started.txt"); }))
                << "Relicade was not started";
            EXPECT_NE(read_file((program / "update_notes.txt").string()), "old notes");
            EXPECT_TRUE(fs::exists(program / "data" / "levels" / "update_pack.bin"));
            EXPECT_EQ(error_log(), "");
            continue;
        }
        EXPECT_EQ(status, 1) << a.name;
        EXPECT_EQ(error_log(), std::string(a.log_line) + "\n") << a.name;
        EXPECT_EQ(snapshot(program), before) << a.name;
        EXPECT_FALSE(fs::exists(program / "started.txt")) << a.name;
    }
}

// A relay that replays what the service once signed: an older release after a newer one, the
// same one again, an expired one, or a signature whose release line is gone or changed. Each is
// refused before any file is fetched, with one line in the log.
TEST_F(update_program, replayed_stale_or_altered_releases_are_refused_through_a_relay) {
    const fs::path sample = fs::path(folder.path()) / "sample";
    const fs::path real_sample = fs::path(RX_PROGRAM_DIR) / "service";
    fs::create_directories(sample / "update");
    for (const char* name : {"catalogue.tsv", "accounts.txt", "news.txt", "info_img"})
        fs::create_symlink(real_sample / name, sample / name);
    const fs::path update = sample / "update" / "v4.30";
    fs::copy(real_sample / "update" / "v4.30", update, fs::copy_options::recursive);
    // The build signed the same files as release 1; the operator signs them again.
    const std::string release_1 = read_file((update / "signature.txt").string());
    const std::string yesterday = rx::updater::format_date(rx::updater::today() - 1);
    ASSERT_TRUE(sign_with_build_key(update, "--release 3 --expires " + yesterday));
    const std::string expired_3 = read_file((update / "signature.txt").string());
    ASSERT_TRUE(sign_with_build_key(update, "--release 2"));
    const std::string release_2 = read_file((update / "signature.txt").string());
    rx::test::service_process service({"--sample", sample.string()});
    ASSERT_TRUE(service.started());

    auto serve_signature = [](std::string text) {
        return [text](const std::string& request, const std::string& reply) {
            if (request.find("signature.php") == std::string::npos) return reply;
            return reply.substr(0, reply.find("\r\n\r\n") + 4) + text;
        };
    };
    auto relay_through =
        [&](std::function<std::string(const std::string&, const std::string&)> rewrite) {
            rx_test::test_server relay(
                [&](rx_test::test_server&, int fd, const std::string& request) {
                    rx_test::test_server::send_all(
                        fd, rewrite(request, rx::test::exchange(service.http_port(), request)));
                });
            const int status = run_updater({"0", "v4.30"}, relay.port());
            return std::make_pair(status, relay.requests());
        };

    ASSERT_EQ(relay_through(serve_signature(release_2)).first, 0) << error_log();
    ASSERT_TRUE(rx::test::wait_until([&] { return fs::exists(program / "started.txt"); }));
    fs::remove(program / "started.txt");
    EXPECT_EQ(read_file((program / "installed_releases.txt").string()), "v4.30 2\n");

    std::string release_gone = release_2;
    release_gone.erase(release_gone.find("release 2\n"), 10);
    std::string release_3 = release_2;
    release_3[release_3.find("release 2\n") + 8] = '3';
    const struct {
        const char* name;
        std::string signature;
        std::string log_line;
    } replays[] = {
        {"older release", release_1,
         "Failure checking release - check_signature: release 1 is not newer than the installed "
         "release 2"},
        {"same release", release_2,
         "Failure checking release - check_signature: release 2 is not newer than the installed "
         "release 2"},
        {"expired", expired_3,
         "Failure checking signature - check_signature: expired on " + yesterday},
        {"release line missing", release_gone,
         "Failure checking signature - check_signature: line 2: no release line"},
        {"release changed by one digit", release_3,
         "Failure checking signature - check_signature: not signed by the service's key"},
    };
    for (const auto& replay : replays) {
        const auto before = snapshot(program);
        fs::remove(program / "error_log.txt");
        const auto [status, requests] = relay_through(serve_signature(replay.signature));
        EXPECT_EQ(status, 1) << replay.name;
        EXPECT_EQ(error_log(), replay.log_line + "\n") << replay.name;
        EXPECT_EQ(snapshot(program), before) << replay.name;
        EXPECT_EQ(requests.size(), 2u) << replay.name << ": fetched beyond the signature";
        EXPECT_FALSE(fs::exists(program / "started.txt")) << replay.name;
    }
}

}  // namespace
