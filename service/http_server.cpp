// rx_service's HTTP side: the web host, the catalogue host and the social network's two pages.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "service/logic/catalogue.h"
#include "service/logic/http.h"
#include "service/servers.h"
#include "service/update_folder.h"

namespace rx::service {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t max_request = 8192;
constexpr std::size_t random_list_size = 20;

struct reply {
    int status = 200;
    std::string body;
    std::string content_type = "text/plain";
    bool raw = false;   // body already holds the whole reply, header included
    bool hold = false;  // after sending, keep the connection open without a word (at most hold_ms)
};

reply text(int status, std::string body) {
    return reply{status, std::move(body), "text/plain", false};
}

reply error(int status, const std::string& why) {
    return text(status, "error: " + why + "\n");
}

std::string escape_html(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

reply html(const std::string& title, const std::string& inner) {
    return reply{200,
                 "<!DOCTYPE html>\n<html><head><title>" + escape_html(title) +
                     "</title></head>\n<body>\n<h1>" + escape_html(title) + "</h1>\n" + inner +
                     "</body></html>\n",
                 "text/html", false};
}

std::optional<std::string> read_file(const fs::path& path) {
    return read_service_file(path.string());
}

class http_handler {
  public:
    http_handler(service_state& state, const http_request& request, std::string address)
        : state_(state), request_(request), address_(std::move(address)) {}

    reply route() {
        const std::string& p = request_.path;
        if (p == "/browser/checkuser.php") return checkuser();
        if (p == "/browser/logout.php")
            return need("username") ? text(200, "||ok||EOL") : missing();
        if (p == "/browser/current_version.php") return version();
        if (p == "/browser/news.php") return news();
        if (p == "/browser/gamelist.php") return game_list(false);
        if (p == "/browser/freegamelist.php") return game_list(true);
        if (p == "/browser/browser_gameinfo.php") return game_info();
        if (p == "/browser/status_update.php") return status_update();
        if (p.rfind("/info_img/", 0) == 0) return screenshot(p.substr(10));
        if (p == "/clients/update/manifest.php") return manifest();
        if (p == "/clients/update/signature.php") return signature();
        if (p.rfind("/clients/update/", 0) == 0) return update_file(p.substr(16));
        if (p == "/connection/assert_alive.php") return assert_alive();
        if (p == "/connection/free_game.php") return free_game();
        if (p == "/connection/clear_free_game_counter.php") return clear_counter();
        if (p == "/rx_status_update/" || p == "/rx_status_update") return social_page();
        if (p == "/signup.html") return signup();
        if (p == "/myaccount.html") return my_account();
        if (p == "/test/compressed_image" && state_.options().test_hooks) return compressed_image();
        if (p == "/" || p == "/index.html") return index();
        return error(404, "unknown endpoint " + p);
    }

  private:
    bool need(const char* key) {
        if (request_.param(key)) return true;
        missing_ = key;
        return false;
    }
    reply missing() const { return error(400, "missing parameter " + missing_); }
    bool speaks_for_user(const std::string& user) {
        return state_.speaks_for(user, request_.param("password"), request_.param("id"), address_);
    }
    std::string arg(const char* key) const { return request_.param(key).value_or(""); }

    reply checkuser() {
        if (!need("username") || !need("password")) return missing();
        const int kind = state_.check_login(arg("username"), arg("password"), address_);
        return text(200,
                    std::string(kind ? "||ok||" : "||refused||") + std::to_string(kind) + "||EOL");
    }

    reply version() {
        const auto faults = state_.faults();
        return text(200, "||" + faults.version.value_or("4.29") + "||EOL");
    }

    reply news() {
        const news_page& n = state_.news();
        return text(200, "||" + n.heading1 + "||" + n.heading2 + "||" + n.body + "||EOL");
    }

    reply game_list(bool sampler) {
        if (!need("status")) return missing();
        const bool free_account = arg("status") != "Full";
        std::string system = "ALL", criteria;
        if (!sampler) {
            if (!need("system")) return missing();
            system = arg("system");
            criteria = arg("criteria");
            if (system != "ALL" && !is_system_code(system))
                return error(400, "unknown system " + system);
        }
        std::vector<const game_record*> rows;
        for (const auto& g : state_.games()) {
            if (sampler && !g.sampler) continue;
            if (system != "ALL" && g.system != system) continue;
            if (criteria != "RANDOM" && !title_matches(g.title, criteria)) continue;
            rows.push_back(&g);
        }
        if (criteria == "RANDOM" && rows.size() > random_list_size) {
            std::mt19937 random(std::random_device{}());
            std::shuffle(rows.begin(), rows.end(), random);
            rows.resize(random_list_size);
            std::sort(rows.begin(), rows.end(), [](auto a, auto b) { return a->title < b->title; });
        }
        std::string body;
        for (const game_record* g : rows)
            body += game_list_record(g->title, g->system, g->id,
                                     state_.availability_of(*g, free_account));
        return text(200, body);
    }

    reply game_info() {
        if (!need("game")) return missing();
        const game_record* game = state_.find_game(arg("game"));
        if (!game) return text(404, "||||||||||EOL");
        std::string body;
        for (std::size_t i = 0; i < 4; ++i)
            body += "||" + (i < game->screenshots.size() ? game->screenshots[i] : "");
        return text(200, body + "||EOL");
    }

    reply screenshot(const std::string& name) {
        if (!safe_relative_path(name) || name.find('/') != std::string::npos)
            return error(403, "refused file name");
        const fs::path path = state_.screenshot_path(name);
        std::error_code ec;
        if (fs::symlink_status(path, ec).type() != fs::file_type::regular)
            return error(404, "no such picture " + name);
        const auto data = read_file(path);
        if (!data) return error(404, "no such picture " + name);
        return reply{200, *data, "image/png", false};
    }

    reply manifest() {
        if (!need("location")) return missing();
        const std::string location = arg("location");
        if (!safe_relative_path(location) || location.find('/') != std::string::npos)
            return error(403, "refused location");
        if (const auto& served = state_.faults().manifest) return text(200, *served);
        const fs::path folder = fs::path(state_.sample_dir()) / "update" / location;
        std::string why;
        const auto listing = read_update_listing(folder.string(), &why);
        if (!listing) return error(404, why);
        return text(200, listing->manifest);
    }

    // The signature file made for the location by `rx_service --sign-update`.
    reply signature() {
        if (!need("location")) return missing();
        const std::string location = arg("location");
        if (!safe_relative_path(location) || location.find('/') != std::string::npos)
            return error(403, "refused location");
        if (const auto& served = state_.faults().signature) return text(200, *served);
        const auto data =
            read_file(fs::path(state_.sample_dir()) / "update" / location / "signature.txt");
        if (!data) return error(404, "no signature at location " + location);
        return text(200, *data);
    }

    reply update_file(const std::string& rest) {
        if (!safe_relative_path(rest) || rest.find('/') == std::string::npos)
            return error(403, "refused path");
        // Only what the location's signature names: the list files beside it and anything an
        // intruder or a careless copy put into the folder stay unserved.
        const std::size_t slash = rest.find('/');
        const fs::path folder = fs::path(state_.sample_dir()) / "update" / rest.substr(0, slash);
        if (!signed_update_entries(folder.string()).count(rest.substr(slash)))
            return error(404, "no such update file");
        const auto data = read_file(fs::path(state_.sample_dir()) / "update" / rest);
        if (!data) return error(404, "no such update file");
        const fault_settings faults = state_.faults();
        const std::string& only = faults.update_file_only;
        const bool broken =
            !faults.update_file.empty() &&
            (only.empty() || (rest.size() >= only.size() &&
                              rest.compare(rest.size() - only.size(), only.size(), only) == 0));
        if (broken) return broken_update_file(faults.update_file, *data);
        return reply{200, update_file_header(data->size(), request_.version) + *data, "", true};
    }

    // The ways a download goes wrong that the updater must refuse.
    reply broken_update_file(const std::string& mode, std::string data) {
        const std::string header = update_file_header(data.size(), request_.version);
        if (mode == "not_found") {
            // A web server's page, long enough to pass the ten header lines the updater skips.
            std::string page =
                "<!DOCTYPE html>\n<html>\n<head>\n<title>404 Not Found</title>\n</head>\n";
            page += "<body>\n<h1>Not Found</h1>\n<p>The requested URL was not found.</p>\n<hr>\n";
            page += "<address>rx_service</address>\n</body>\n</html>\n";
            return reply{404, page, "text/html", false};
        }
        if (mode == "short_header") {
            std::size_t cut = 0;
            for (int lines = 0; lines < 5; ++lines) cut = header.find('\n', cut) + 1;
            return reply{200, header.substr(0, cut), "", true};
        }
        if (mode == "bad_crc" && data.size() >= 8) {
            // The CRC-32 is the trailer's first four bytes.
            data[data.size() - 8] = static_cast<char>(data[data.size() - 8] ^ 0x5A);
            return reply{200, header + data, "", true};
        }
        reply cut{200, header + data.substr(0, data.size() / 2), "", true};
        cut.hold = mode == "silent";
        return cut;
    }

    reply assert_alive() {
        if (!need("username") || !need("id")) return missing();
        return text(200, state_.touch_session(arg("username"), arg("id")) ? "1" : "0");
    }

    reply free_game() {
        if (!need("username") || !need("id")) return missing();
        return text(200, state_.end_session(arg("username"), arg("id")) ? "||ok||EOL"
                                                                        : "||no session||EOL");
    }

    reply clear_counter() {
        if (!need("username") || !need("id")) return missing();
        const bool alive = state_.touch_session(arg("username"), arg("id"));
        // Only the first character after the reply's last line feed is read: "1" alive, "0" not.
        return text(200, alive && !state_.faults().session_invalid ? "1" : "0");
    }

    reply status_update() {
        if (!need("username") || !need("current_status")) return missing();
        const std::string user = arg("username");
        // "error" in the reply makes the client open the status page, where the player logs in.
        if (!speaks_for_user(user)) return text(200, "||error||not logged in||EOL");
        if (!state_.set_status(user, arg("current_status")))
            return text(200, "||error||too many statuses||EOL");
        if (!state_.authorized(user)) return text(200, "||error||not authorised||EOL");
        return text(200, "||ok||EOL");
    }

    reply social_page() {
        if (!need("username")) return missing();
        const std::string user = arg("username");
        if (request_.param("authorize")) {
            if (!speaks_for_user(user))
                return html("Relicade status updates",
                            "<p>Log in to Relicade as " + escape_html(user) +
                                " on this computer first, then allow again.</p>\n");
            if (!state_.authorize(user))
                return html("Relicade status updates", "<p>No more permissions are taken.</p>\n");
            return html("Relicade status updates",
                        "<p>" + escape_html(user) +
                            " allowed Relicade to post what they are playing.</p>\n");
        }
        std::string status = state_.status_of(user);
        std::replace(status.begin(), status.end(), '_', ' ');
        std::string inner = "<p>" + escape_html(user) +
                            (status.empty() ? " has no status yet." : " " + escape_html(status)) +
                            "</p>\n";
        if (!state_.authorized(user))
            inner += "<p><a href=\"/rx_status_update/?username=" + escape_html(user) +
                     "&amp;authorize=1\">Allow Relicade to post your status</a></p>\n";
        return html("Relicade status", inner);
    }

    reply signup() {
        return html("Sign up for Relicade",
                    "<p>Create a full account at " + escape_html(state_.options().host) +
                        " to play every console.</p>\n<form action=\"/signup.html\">"
                        "<input name=\"username\"><input name=\"password\" type=\"password\">"
                        "<input type=\"submit\" value=\"Sign up\"></form>\n");
    }

    reply my_account() {
        if (!need("username") || !need("password")) return missing();
        const std::string user = arg("username");
        const int kind = state_.check_login(user, arg("password"), address_);
        if (kind == 0)
            return html("My Relicade account", "<p>Incorrect username or password.</p>\n");
        return html(
            "My Relicade account",
            "<p>" + escape_html(user) + ": " + (kind == 1 ? "free account" : "full account") +
                ".</p>\n" +
                (kind == 1 ? "<p>Upgrade to a full account to play every console.</p>\n" : ""));
    }

    reply compressed_image() {
        if (!need("game")) return missing();
        const game_record* game = state_.find_game(arg("game"));
        if (!game) return error(404, "unknown game");
        const image_bytes bytes = state_.compressed_image(*game);
        return reply{200, std::string(bytes->begin(), bytes->end()), "application/octet-stream",
                     false};
    }

    reply index() {
        return html("Relicade",
                    "<p>rx_service at " + escape_html(state_.options().host) + ".</p>\n");
    }

    service_state& state_;
    const http_request& request_;
    std::string address_;
    std::string missing_;
};

reply control(service_state& state, const http_request& request) {
    if (request.param("reset")) {
        state.reset_faults();
        return text(200, "ok||EOL");
    }
    const auto name = request.param("fault");
    if (!name) return error(400, "missing parameter fault");
    std::string why;
    if (!state.set_fault(percent_decode(*name), percent_decode(request.param("value").value_or("")),
                         why))
        return error(400, why);
    return text(200, "ok||EOL");
}

std::string random_bytes() {
    std::mt19937 random(std::random_device{}());
    std::string bytes(64 + random() % 512, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// What the worker decided for one request; the loop sends it.
struct outcome {
    std::string out;        // the bytes to send
    bool control = false;   // the switches' own reply: never subject to faults
    bool hold = false;      // after sending, keep the connection open without a word
    fault_settings faults;  // as they were when the reply was made
};

// Logs the request and makes its reply: on a worker, since the route may check a password or read
// a file.
outcome answer_request(service_state& state, const std::string& bytes, std::size_t end,
                       bool timed_out, const std::string& address) {
    const service_options& options = state.options();
    state.log_request(bytes);
    std::string why;
    const std::optional<http_request> request =
        end == std::string::npos ? std::nullopt
                                 : parse_request(std::string_view(bytes).substr(0, end), &why);
    reply answer;
    if (end == std::string::npos || end > max_request) {
        answer = bytes.size() > max_request ? error(413, "request too large")
                 : timed_out                ? error(408, "request incomplete")
                                            : error(400, "request incomplete");
    } else if (!request) {
        answer = error(why == "only GET is served" ? 405 : 400, why);
    } else if (request->path == "/control" && options.test_hooks) {
        const reply r = control(state, *request);
        outcome o;
        o.out = http_reply(r.status, r.body, r.content_type, request->version);
        o.control = true;
        return o;
    } else {
        try {
            answer = http_handler(state, *request, address).route();
        } catch (const std::exception& e) {
            answer = error(500, e.what());
        }
    }
    outcome o;
    o.faults = state.faults();
    const std::string version = request ? request->version : std::string("HTTP/1.1");
    o.out = o.faults.garbage ? random_bytes()
            : answer.raw     ? answer.body
                             : http_reply(answer.status, answer.body, answer.content_type, version);
    o.hold = answer.hold;
    return o;
}

class http_connection : public connection {
  public:
    using connection::connection;

    void start() override {
        deadline_ = steady_clock::now() + std::chrono::milliseconds(options_.io_timeout_ms);
        read();
    }

  private:
    // The whole request arrives within one read time-out, however it is trickled.
    void read() {
        end_ = request_end(input_);
        if (end_ != std::string::npos || input_.size() > max_request) {
            answer(false);
            return;
        }
        fill(deadline_, [this](bool more) {
            if (more)
                read();
            else
                answer(timed_out_);
        });
    }

    void answer(bool timed_out) {
        // The clients send a NUL after the blank line; keep it in the log when it has already
        // arrived.
        if (end_ != std::string::npos && input_.size() == end_) {
            asio::error_code ec;
            char rest[256];
            if (socket_.available(ec) > 0 && !ec) {
                const std::size_t n = socket_.read_some(asio::buffer(rest), ec);
                if (!ec) input_.append(rest, n);
            }
        }
        if (input_.empty()) {
            finish();
            return;
        }
        // Password checks go to their own pool: a queue of them never holds up other pages.
        const bool hashes = input_.find("password=") != std::string::npos;
        off_loop<outcome>(
            hashes ? pools_.hashing : pools_.work,
            [&state = state_, bytes = std::move(input_), end = end_, timed_out,
             address = address_] { return answer_request(state, bytes, end, timed_out, address); },
            [this](outcome o) { deliver(std::move(o)); });
        input_.clear();
    }

    void deliver(outcome o) {
        const auto per_wait = std::chrono::milliseconds(options_.io_timeout_ms);
        if (o.control) {
            send(std::move(o.out), per_wait, [this](bool) { finish(); });
            return;
        }
        const int delay = o.faults.delay_ms;
        auto go = [this, o = std::move(o), per_wait]() mutable {
            const auto hold_for = std::chrono::milliseconds(options_.hold_ms);
            if (o.faults.close_before_reply) {
                close();
            } else if (o.faults.never_reply) {
                hold(hold_for, [this] { close(); });
            } else {
                const bool keep = o.faults.keep_open || o.hold;
                send(std::move(o.out), per_wait, [this, keep, hold_for](bool sent) {
                    if (sent && keep)
                        hold(hold_for, [this] { finish(); });
                    else
                        finish();
                });
            }
        };
        if (delay > 0)
            pause(std::chrono::milliseconds(delay), std::move(go));
        else
            go();
    }

    steady_clock::time_point deadline_;
    std::size_t end_ = std::string::npos;
};

}  // namespace

std::shared_ptr<connection> make_http_connection(service_state& state, worker_pools& pools,
                                                 asio::ip::tcp::socket socket,
                                                 connection_caps& caps, std::string address) {
    return std::make_shared<http_connection>(state, pools, std::move(socket), caps,
                                             std::move(address));
}

}  // namespace rx::service
