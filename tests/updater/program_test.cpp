// The rx_update program itself on the dummy video driver: its arguments, exit codes, log and the
// start of Relicade after a good update only.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "files.h"
#include "service_process.h"
#include "wait.h"

namespace {

namespace fs = std::filesystem;
using rx::test::read_file;

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
            "#!/bin/sh\necho \"started $#\" > \"$(dirname \"$0\")/started.txt\"\n"));
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

// A served file as gzip, as the service stores its update files.
std::string gzip(const std::string& data) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, data.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
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
    EXPECT_NE(error_log().find("Failure checking manifest - get_file_manifest"), std::string::npos)
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

}  // namespace
