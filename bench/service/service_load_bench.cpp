// rx_service under load on loopback: logged-in game sessions held at once and their memory, threads
// and legitimate login latency under slow connections on both ports, and how many logins per second
// an attacker gets.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files.h"
#include "loopback.h"
#include "service_process.h"

using clock_type = std::chrono::steady_clock;

namespace {

double ms_since(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

// Clients at several loopback addresses, with waits long enough for a login at the moderate hash
// cost on a busy machine.
int connect_from(const std::string& source, int port) {
    return rx::test::connect_from(source, port, 20);
}

// One lock-step token and its reply ("" when the connection ended).
std::string token(int fd, const std::string& text) {
    ::send(fd, text.c_str(), text.size() + 1, MSG_NOSIGNAL);
    char buffer[256];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

bool open(int fd) {
    pollfd p{fd, POLLIN, 0};
    return fd >= 0 && ::poll(&p, 1, 0) == 0;
}

struct closer {
    std::vector<int> fds;
    ~closer() {
        for (int fd : fds)
            if (fd >= 0) ::close(fd);
    }
};

// Logged-in game connections (guest: the shared account, which never clears itself) each with a
// play session, all kept open at once.
void sessions_held(int count) {
    rx::test::temp_dir data;
    // Idle logged-in connections are kept for the whole run (the default drops them after 30 s
    // between commands); the caps are raised so they, not the bench, are measured.
    const std::string cap = std::to_string(count + 100);
    rx::test::service_process service(
        {"--password-cost=min", "--io-timeout-ms=600000", "--max-connections=" + cap,
         "--max-connections-per-address=" + cap},
        data.path(), false);
    if (!service.started()) {
        std::printf("rx_service did not start: %s\n", service.first_line().c_str());
        return;
    }
    const long rss_before = rx::test::service_status(data.path(), "VmRSS:");
    closer sessions;
    const auto start = clock_type::now();
    int logged_in = 0;
    for (int i = 0; i < count; ++i) {
        const int fd = connect_from("127.0.0." + std::to_string(2 + i % 8), service.game_port());
        sessions.fds.push_back(fd);
        if (fd < 0) continue;
        if (token(fd, "guest") == "ok" && token(fd, "guest") == "ok" &&
            token(fd, "10.0.0.1") == "ok" && token(fd, "id").size() == 32)
            ++logged_in;
    }
    const double took = ms_since(start) / 1000;
    int still_open = 0;
    for (int fd : sessions.fds) still_open += open(fd) ? 1 : 0;
    const long rss = rx::test::service_status(data.path(), "VmRSS:");
    std::printf("game sessions: %d/%d logged in with a play session in %.1f s, %d still open\n",
                logged_in, count, took, still_open);
    std::printf(
        "  service RSS %.1f MiB before, %.1f MiB with them: %.1f KiB per session; %ld "
        "threads\n",
        rss_before / 1024.0, rss / 1024.0,
        static_cast<double>(rss - rss_before) / std::max(logged_in, 1),
        rx::test::service_status(data.path(), "Threads:"));
}

struct latency {
    std::vector<double> ms;
    void print(const char* what) {
        std::sort(ms.begin(), ms.end());
        std::printf("  %s: median %.0f ms, max %.0f ms over %zu logins\n", what,
                    ms.empty() ? 0 : ms[ms.size() / 2], ms.empty() ? 0 : ms.back(), ms.size());
    }
};

// A legitimate player's game login up to its session id, and a checkuser.php login.
void legitimate_logins(const rx::test::service_process& service, int rounds, latency& game,
                       latency& web) {
    for (int i = 0; i < rounds; ++i) {
        auto start = clock_type::now();
        const int fd = connect_from("127.0.0.2", service.game_port());
        const bool in = fd >= 0 && token(fd, "demo") == "ok" && token(fd, "demo") == "ok" &&
                        token(fd, "10.0.0.1") == "ok" && token(fd, "id").size() == 32;
        if (fd >= 0) ::close(fd);
        if (in) game.ms.push_back(ms_since(start));

        start = clock_type::now();
        const int web_fd = connect_from("127.0.0.3", service.http_port());
        const std::string request =
            std::string(
                "GET /browser/checkuser.php?username=player&password=secret HTTP/1.1\nHost: "
                "localhost\n\n") +
            '\0';
        ::send(web_fd, request.data(), request.size(), MSG_NOSIGNAL);
        const std::string reply = rx::test::read_all(web_fd);
        ::close(web_fd);
        if (reply.find("||ok||2||EOL") != std::string::npos) web.ms.push_back(ms_since(start));
    }
}

// Wrong passwords for one account from one address, lock step, for `seconds`; then the right one.
void attacker(const rx::test::service_process& service, double seconds) {
    const int fd = connect_from("127.0.0.9", service.game_port());
    int tries = 0, checked = 0;
    const auto start = clock_type::now();
    while (ms_since(start) < seconds * 1000) {
        const auto one = clock_type::now();
        if (token(fd, "player") != "ok") break;
        if (token(fd, "guess" + std::to_string(tries)).empty()) break;
        ++tries;
        // A refusal without a hash comes back at once; one that was checked took the hash's time.
        if (ms_since(one) >= 200) ++checked;
    }
    const double took = ms_since(start) / 1000;
    const bool found = token(fd, "player") == "ok" && token(fd, "secret") == "ok";
    ::close(fd);
    std::printf(
        "attacker, one connection on the game port: %d wrong passwords in %.1f s "
        "(%.1f/s), of which %d were checked (%.2f checks/s); the right one next: %s\n",
        tries, took, tries / took, checked, checked / took,
        found ? "accepted" : "refused (locked out)");
}

void slow_connections(int per_port) {
    rx::test::temp_dir data;
    // The moderate password cost of a production run. Both caps are raised so that every slow
    // connection is held and served by the loop (the worst case), and a slow game login is held
    // the whole time instead of being ended after 5 s.
    const std::vector<std::string> options = {"--max-connections=4096",
                                              "--max-connections-per-address=4096",
                                              "--login-deadline-ms=600000"};
    {
        // The first start hashes the plain sample accounts; the measured one finds them hashed.
        rx::test::service_process first(options, data.path(), false);
    }
    rx::test::service_process service(options, data.path(), false);
    if (!service.started()) {
        std::printf("rx_service did not start: %s\n", service.first_line().c_str());
        return;
    }
    latency game_quiet, web_quiet, game_busy, web_busy;
    legitimate_logins(service, 5, game_quiet, web_quiet);
    const long threads_quiet = rx::test::service_status(data.path(), "Threads:");

    closer slow;
    for (int i = 0; i < per_port; ++i) {
        const std::string source = "127.0.1." + std::to_string(1 + i % 8);
        const int game = connect_from(source, service.game_port());
        const int web = connect_from(source, service.http_port());
        if (game >= 0) ::send(game, "p", 1, MSG_NOSIGNAL);
        if (web >= 0) ::send(web, "G", 1, MSG_NOSIGNAL);
        slow.fds.push_back(game);
        slow.fds.push_back(web);
    }
    int held = 0;
    for (int fd : slow.fds) held += open(fd) ? 1 : 0;
    std::printf(
        "slow connections: %d per port, %d of %d held open; service threads %ld (%ld "
        "before), RSS %.1f MiB, virtual %.1f MiB\n",
        per_port, held, 2 * per_port, rx::test::service_status(data.path(), "Threads:"),
        threads_quiet, rx::test::service_status(data.path(), "VmRSS:") / 1024.0,
        rx::test::service_status(data.path(), "VmSize:") / 1024.0);
    legitimate_logins(service, 5, game_busy, web_busy);
    std::printf("legitimate logins (moderate password cost), quiet service:\n");
    game_quiet.print("game port, login to session id");
    web_quiet.print("checkuser.php");
    std::printf("legitimate logins under the slow connections:\n");
    game_busy.print("game port, login to session id");
    web_busy.print("checkuser.php");
    attacker(service, 30);
}

}  // namespace

int main(int argc, char** argv) {
    const int sessions = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int slow = argc > 2 ? std::atoi(argv[2]) : 1000;
    sessions_held(sessions);
    slow_connections(slow);
    return 0;
}
