// rx_service's HTTP endpoints, byte for byte, against the real binary on free loopback ports.
#include "service/logic/http.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "service_client.h"

using namespace rx::service;
using namespace rx::service::test;

namespace {

std::string ok_reply(const std::string& body, const std::string& version = "HTTP/1.1") {
    return version +
           " 200 OK\r\nServer: rx_service\r\nContent-Type: text/plain\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

struct list_row {
    std::string title, system, id;
    int availability;
};

std::vector<list_row> rows_of(const std::string& reply) {
    // Every line is exactly "||" title "||" system "||" id "||" availability "||EOL", each ended by
    // "\n".
    std::vector<list_row> rows;
    const std::string body = body_of(reply);
    std::size_t start = 0;
    while (start < body.size()) {
        const std::size_t end = body.find('\n', start);
        EXPECT_NE(end, std::string::npos) << "record without its line feed";
        if (end == std::string::npos) break;
        const auto f = split_fields(body.substr(start, end - start));
        EXPECT_EQ(f.size(), 6u) << body.substr(start, end - start);
        if (f.size() != 6) break;
        EXPECT_EQ(f[0], "");
        EXPECT_EQ(f[5], "EOL");
        const std::string& a = f[4];
        EXPECT_FALSE(a.empty() || a.find_first_not_of("-0123456789") != std::string::npos) << a;
        rows.push_back({f[1], f[2], f[3], std::atoi(a.c_str())});
        start = end + 1;
    }
    return rows;
}

class Http : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(service.started()) << service.first_line(); }
    int port() const { return service.http_port(); }
    service_process service;
};

}  // namespace

TEST(ServiceStart, FirstLineNamesBothPortsAndHelpExplains) {
    service_process service;
    ASSERT_TRUE(service.started()) << service.first_line();
    EXPECT_NE(service.http_port(), service.game_port());
    EXPECT_EQ(service.first_line(),
              "rx_service listening http=" + std::to_string(service.http_port()) +
                  " game=" + std::to_string(service.game_port()));

    FILE* help = ::popen((program_dir() + "/rx_service --help").c_str(), "r");
    ASSERT_NE(help, nullptr);
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, help)) text += buffer;
    EXPECT_EQ(::pclose(help), 0);
    for (const char* option :
         {"--data", "--http-port", "--game-port", "--host", "--fault", "never_reply"})
        EXPECT_NE(text.find(option), std::string::npos) << option;

    EXPECT_NE(std::system((program_dir() + "/rx_service --no-such-option 2>/dev/null").c_str()), 0);
}

TEST_F(Http, LoginLogoutAndVersionReplies) {
    EXPECT_EQ(get(port(), "/browser/checkuser.php?username=guest&password=guest"),
              ok_reply("||ok||1||EOL"));
    EXPECT_EQ(get(port(), "/browser/checkuser.php?username=free&password=free"),
              ok_reply("||ok||1||EOL"));
    EXPECT_EQ(get(port(), "/browser/checkuser.php?username=demo&password=demo"),
              ok_reply("||ok||2||EOL"));
    EXPECT_EQ(get(port(), "/browser/checkuser.php?username=player&password=secret"),
              ok_reply("||ok||2||EOL"));
    EXPECT_EQ(get(port(), "/browser/checkuser.php?username=demo&password=wrong"),
              ok_reply("||refused||0||EOL"));
    EXPECT_EQ(get(port(), "/browser/checkuser.php?username=nobody&password=x"),
              ok_reply("||refused||0||EOL"));
    EXPECT_EQ(get(port(), "/browser/logout.php?username=demo"), ok_reply("||ok||EOL"));
    EXPECT_EQ(get(port(), "/browser/current_version.php"), ok_reply("||4.29||EOL"));
    EXPECT_EQ(get(port(), "/browser/current_version.php", "HTTP/1.0"),
              ok_reply("||4.29||EOL", "HTTP/1.0"));
    EXPECT_EQ(status_of(get(port(), "/browser/checkuser.php?username=demo")), 400);
}

TEST_F(Http, RequestsWithCrLfAndWithoutNulAreServedAndEveryConnectionCloses) {
    EXPECT_EQ(http_exchange(port(), "GET /browser/current_version.php HTTP/1.1\r\nHost: x\r\n\r\n"),
              ok_reply("||4.29||EOL"));
    EXPECT_EQ(http_exchange(port(), "GET /browser/current_version.php HTTP/1.1\nHost: x\n\n"),
              ok_reply("||4.29||EOL"));
    // An HTTP/1.1 request still gets its connection closed after the reply.
    const int fd = connect_to(port());
    const std::string request = client_request("/browser/news.php");
    ::send(fd, request.data(), request.size(), 0);
    bool closed = false;
    const std::string reply = read_all(fd, &closed);
    ::close(fd);
    EXPECT_TRUE(closed);
    EXPECT_EQ(status_of(reply), 200);
}

TEST_F(Http, NewsHasTwoHeadingsAndABody) {
    const std::string body = body_of(get(port(), "/browser/news.php"));
    const auto f = split_fields(body);
    ASSERT_EQ(f.size(), 5u) << body;
    EXPECT_EQ(f[0], "");
    EXPECT_FALSE(f[1].empty() || f[2].empty());
    EXPECT_EQ(f[4], "EOL");
    EXPECT_EQ(body.find('|', 2), body.find("||", 2));  // no single '|' inside a field
    EXPECT_GT(f[3].size(), 45u);                       // long enough to wrap on the news screen
}

TEST_F(Http, GameListsFilterBySystemNameAndSearch) {
    const auto all_gen = rows_of(
        get(port(), "/browser/gamelist.php?status=Full&search=1&system=GEN&criteria=^[0-z]&end=1",
            "HTTP/1.0"));
    std::size_t expected = 0;
    for (const auto& g : catalogue()) expected += g.system == "GEN";
    ASSERT_EQ(all_gen.size(), expected);
    for (const auto& r : all_gen) EXPECT_EQ(r.system, "GEN");

    const auto ab = rows_of(
        get(port(), "/browser/gamelist.php?status=Full&search=1&system=GEN&criteria=^[a-b]&end=1",
            "HTTP/1.0"));
    ASSERT_FALSE(ab.empty());
    for (const auto& r : ab) {
        const char first = static_cast<char>(std::tolower(static_cast<unsigned char>(r.title[0])));
        EXPECT_TRUE(first == 'a' || first == 'b') << r.title;
    }
    const auto digits = rows_of(
        get(port(), "/browser/gamelist.php?status=Full&search=1&system=NES&criteria=^[0-9]&end=1",
            "HTTP/1.0"));
    ASSERT_FALSE(digits.empty());
    for (const auto& r : digits)
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(r.title[0]))) << r.title;

    // Search text: blanks as typed, any case, every console.
    const auto found = rows_of(get(
        port(), "/browser/gamelist.php?status=Full&search=1&system=ALL&criteria=pIXEL bash&end=1",
        "HTTP/1.0"));
    std::size_t pixel = 0;
    for (const auto& g : catalogue()) pixel += g.title == "3D Pixel Bash";
    ASSERT_GT(pixel, 0u);
    EXPECT_EQ(found.size(), pixel);

    const auto random = rows_of(
        get(port(), "/browser/gamelist.php?status=Full&search=1&system=SNES&criteria=RANDOM&end=1",
            "HTTP/1.0"));
    EXPECT_EQ(random.size(), 20u);
    for (const auto& r : random) EXPECT_EQ(r.system, "SNES");

    EXPECT_TRUE(rows_of(get(port(),
                            "/browser/gamelist.php?status=Full&search=1&system=GEN&criteria=no "
                            "such title&end=1",
                            "HTTP/1.0"))
                    .empty());
    EXPECT_EQ(
        status_of(
            get(port(), "/browser/gamelist.php?status=Full&search=1&system=XBOX&criteria=&end=1")),
        400);
}

TEST_F(Http, AvailabilityFollowsAccountKindAndCopies) {
    auto list = [&](const std::string& status, const std::string& system) {
        return rows_of(get(port(),
                           "/browser/gamelist.php?status=" + status + "&search=1&system=" + system +
                               "&criteria=^[0-z]&end=1",
                           "HTTP/1.0"));
    };
    for (const auto& [system, after_nes] :
         {std::pair<std::string, bool>{"GEN", true}, {"NES", false}}) {
        for (const auto& r : list("Free", system)) {
            const game_record* g = find_game([&](const game_record& x) { return x.id == r.id; });
            ASSERT_NE(g, nullptr);
            const int expected = g->copies == 0 ? 0 : (after_nes && !g->sampler) ? -1 : g->copies;
            EXPECT_EQ(r.availability, expected) << r.id;
        }
        for (const auto& r : list("Full", system)) {
            const game_record* g = find_game([&](const game_record& x) { return x.id == r.id; });
            EXPECT_EQ(r.availability, g->copies) << r.id;
        }
    }
    // The free sampler lists exactly the sampler games, playable by free accounts.
    const auto sampler =
        rows_of(get(port(), "/browser/freegamelist.php?status=Free&end=1", "HTTP/1.0"));
    std::size_t expected = 0;
    for (const auto& g : catalogue()) expected += g.sampler;
    EXPECT_EQ(sampler.size(), expected);
    for (const auto& r : sampler) EXPECT_NE(r.availability, -1) << r.id;
}

TEST_F(Http, GameInformationAndScreenshots) {
    const game_record* four =
        find_game([](const game_record& g) { return g.screenshots.size() == 4; });
    const game_record* none = find_game([](const game_record& g) { return g.screenshots.empty(); });
    ASSERT_TRUE(four && none);
    const std::string& s = four->screenshots[0];
    EXPECT_EQ(body_of(get(port(), "/browser/browser_gameinfo.php?game=" + four->id, "HTTP/1.0")),
              "||" + four->screenshots[0] + "||" + four->screenshots[1] + "||" +
                  four->screenshots[2] + "||" + four->screenshots[3] + "||EOL");
    EXPECT_EQ(body_of(get(port(), "/browser/browser_gameinfo.php?game=" + none->id, "HTTP/1.0")),
              "||||||||||EOL");
    const std::string unknown =
        get(port(), "/browser/browser_gameinfo.php?game=nope.bin", "HTTP/1.0");
    EXPECT_EQ(status_of(unknown), 404);
    EXPECT_EQ(body_of(unknown), "||||||||||EOL");

    const std::string picture = get(port(), "/info_img/" + s, "HTTP/1.0");
    EXPECT_EQ(status_of(picture), 200);
    EXPECT_EQ(body_of(picture), read_file(sample_dir() + "/info_img/" + s));
    EXPECT_EQ(body_of(picture).substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_LT(picture.size(), 524288u);
    EXPECT_EQ(status_of(get(port(), "/info_img/missing.png")), 404);
}

TEST_F(Http, UpdateManifestAndFilesWithTheTenLineHeader) {
    const std::string manifest =
        body_of(get(port(), "/clients/update/manifest.php?location=v4.30", "HTTP/1.0"));
    ASSERT_EQ(manifest.rfind("filesize:", 0), 0u) << manifest;
    std::istringstream lines(manifest.substr(9));
    std::uint64_t total = 0, sum = 0;
    lines >> total;
    lines.ignore(1);
    std::vector<std::string> entries;
    for (std::string e; std::getline(lines, e);) entries.push_back(e);
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(manifest.back(), '\n');
    for (const auto& entry : entries) {
        ASSERT_EQ(entry[0], '/');
        ASSERT_EQ(entry.substr(entry.size() - 3), ".gz");
        const std::string reply = get(port(), "/clients/update/v4.30" + entry, "HTTP/1.0");
        std::size_t pos = 0;
        for (int i = 0; i < 10; ++i) pos = reply.find('\n', pos) + 1;
        const std::string file = read_file(sample_dir() + "/update/v4.30" + entry);
        EXPECT_EQ(reply.substr(pos), file) << entry;
        EXPECT_EQ(reply.substr(pos, 2), "\x1f\x8b");  // gzip
        sum += file.size();
    }
    EXPECT_EQ(total, sum);
    EXPECT_EQ(status_of(get(port(), "/clients/update/manifest.php?location=v9.99")), 404);
    EXPECT_EQ(status_of(get(port(), "/clients/update/v4.30/nothing.gz")), 404);
    // Files in the folder that the signature does not name are not handed out.
    for (const char* beside : {"signature.txt", "manifest.txt"}) {
        ASSERT_FALSE(read_file(sample_dir() + "/update/v4.30/" + beside).empty()) << beside;
        EXPECT_EQ(status_of(get(port(), std::string("/clients/update/v4.30/") + beside)), 404);
    }
    // The signature file beside the manifest, as the build signed it.
    EXPECT_EQ(body_of(get(port(), "/clients/update/signature.php?location=v4.30", "HTTP/1.0")),
              read_file(sample_dir() + "/update/v4.30/signature.txt"));
    EXPECT_EQ(status_of(get(port(), "/clients/update/signature.php?location=v9.99")), 404);
}

TEST_F(Http, StatusUpdateNeedsTheAuthorisationPage) {
    const std::string target =
        "/browser/"
        "status_update.php?username=demo&current_status=is_playing_Astro_Quest_for_the_Sega_"
        "Genesis_at_http://localhost&end=1";
    EXPECT_NE(get(port(), target).find("error"), std::string::npos);
    const std::string page = get(port(), "/rx_status_update/?username=demo");
    EXPECT_EQ(status_of(page), 200);
    EXPECT_NE(page.find("<html>"), std::string::npos);
    EXPECT_NE(get(port(), target).find("error"), std::string::npos);  // viewing is not allowing
    EXPECT_EQ(status_of(get(port(), "/rx_status_update/?username=demo&authorize=1")), 200);
    const std::string after = get(port(), target);
    EXPECT_EQ(after.find("error"), std::string::npos) << after;
    EXPECT_EQ(body_of(after), "||ok||EOL");
    EXPECT_NE(get(port(), "/rx_status_update/?username=demo").find("is playing Astro Quest"),
              std::string::npos);
    // Another user is still not authorised.
    EXPECT_NE(get(port(), "/browser/status_update.php?username=guest&current_status=x&end=1")
                  .find("error"),
              std::string::npos);
}

TEST_F(Http, SignupAndAccountPages) {
    const std::string signup = get(port(), "/signup.html");
    EXPECT_EQ(status_of(signup), 200);
    EXPECT_NE(signup.find("Content-Type: text/html"), std::string::npos);
    EXPECT_NE(get(port(), "/myaccount.html?username=free&password=free").find("free account"),
              std::string::npos);
    EXPECT_NE(get(port(), "/myaccount.html?username=free&password=bad").find("Incorrect"),
              std::string::npos);
}

TEST_F(Http, BadRequestsGetClearErrors) {
    EXPECT_EQ(status_of(get(port(), "/no/such/endpoint.php")), 404);
    EXPECT_EQ(status_of(http_exchange(port(), "POST /browser/news.php HTTP/1.1\n\n")), 405);
    EXPECT_EQ(status_of(http_exchange(port(), "GARBAGE\n\n")), 400);
    EXPECT_EQ(status_of(http_exchange(port(), "GET /" + std::string(9000, 'a') + " HTTP/1.1\n\n")),
              413);
    EXPECT_EQ(status_of(http_exchange(port(), "GET /" + std::string(20000, 'a'))),
              413);  // and no end at all
    // A request cut short by the client's half-close is answered, not waited for.
    const int fd = connect_to(port());
    ::send(fd, "GET /browser/news.php HTTP/1.1\n", 31, 0);
    ::shutdown(fd, SHUT_WR);
    EXPECT_EQ(status_of(read_all(fd)), 400);
    ::close(fd);
    // And it is still serving.
    EXPECT_EQ(status_of(get(port(), "/browser/news.php")), 200);
}

TEST_F(Http, PathTraversalIsRefused) {
    const std::string secret = read_file(sample_dir() + "/accounts.txt");
    ASSERT_FALSE(secret.empty());
    for (const std::string target :
         {"/info_img/../accounts.txt", "/info_img/../../service/accounts.txt",
          "/info_img/..%2Faccounts.txt", "/info_img/%2e%2e/accounts.txt",
          "/clients/update/../accounts.txt", "/clients/update/v4.30/../../accounts.txt",
          "/clients/update/v4.30/..", "/clients/update/manifest.php?location=..",
          "/clients/update/manifest.php?location=../..", "/info_img//etc/passwd",
          "/clients/update/signature.php?location=..", "/info_img/..\\accounts.txt"}) {
        const std::string reply = get(port(), target);
        const int status = status_of(reply);
        EXPECT_TRUE(status == 403 || status == 404) << target << " -> " << status;
        EXPECT_EQ(reply.find("guest\tguest"), std::string::npos) << target;
        EXPECT_EQ(reply.find("root:"), std::string::npos) << target;
    }
}

TEST_F(Http, RequestLogKeepsRawBytesWithTheNul) {
    const std::string request = client_request("/browser/checkuser.php?username=a b&c&password=p");
    get(port(), "/browser/checkuser.php?username=a b&c&password=p");
    const std::string log = read_file(service.data_dir() + "/requests.log");
    EXPECT_NE(log.find(request), std::string::npos);
    EXPECT_EQ(request.back(), '\0');
}

TEST_F(Http, SixtyFourClientsAtOnceAndASilentOneBlocksNobody) {
    const int silent = connect_to(port());  // connects and never sends
    ASSERT_GE(silent, 0);
    std::vector<int> fds;
    for (int i = 0; i < 64; ++i) {
        fds.push_back(connect_to(port()));
        ASSERT_GE(fds.back(), 0);
    }
    const auto start = std::chrono::steady_clock::now();
    for (int fd : fds) {
        const std::string request =
            client_request("/browser/checkuser.php?username=demo&password=demo");
        ASSERT_EQ(::send(fd, request.data(), request.size(), 0),
                  static_cast<ssize_t>(request.size()));
    }
    for (int fd : fds) {
        EXPECT_EQ(read_all(fd), ok_reply("||ok||2||EOL"));
        ::close(fd);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ::close(silent);
}
