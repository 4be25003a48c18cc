// Texts, numbers and requests of the game server and web host conversations.
#include "rxlib/logic/protocol.h"

#include <cstdio>
#include <cstring>

namespace rx::lib {

std::string reply_text(const char* bytes, std::size_t count) {
    const void* nul = std::memchr(bytes, '\0', count);
    return std::string(bytes, nul ? static_cast<const char*>(nul) - bytes : count);
}

std::optional<std::uint32_t> leading_number(std::string_view reply) {
    std::size_t i = 0;
    while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\t')) ++i;
    if (i == reply.size() || reply[i] < '0' || reply[i] > '9') return std::nullopt;
    std::uint64_t value = 0;
    for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9'; ++i) {
        value = value * 10 + static_cast<unsigned>(reply[i] - '0');
        if (value > UINT32_MAX) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

login_reply classify_login_reply(std::string_view reply) {
    if (reply == "ok") return login_reply::ok;
    if (reply == in_use_reply) return login_reply::in_use;
    if (reply == refused_reply) return login_reply::refused;
    return login_reply::other;
}

std::string progress_line(std::uint32_t received, std::uint32_t total) {
    return std::to_string(received) + "/" + std::to_string(total);
}

int bar_offset(int width, std::uint32_t received, std::uint32_t total) {
    if (total == 0 || received >= total) return 0;
    // Exact in double for every 32-bit size, so the bar is full exactly when the last byte has
    // arrived.
    return width - static_cast<int>(static_cast<double>(width) * received / total);
}

int progress_line_x(int centre, std::size_t length) {
    return centre - 6 * static_cast<int>(length);
}

std::optional<std::string> build_web_request(web_request kind, std::string_view user_name,
                                             std::string_view session_id,
                                             std::string_view host_name) {
    std::string text = "GET /connection/";
    switch (kind) {
        case web_request::assert_alive:
            text += "assert_alive.php";
            break;
        case web_request::free_game:
            text += "free_game.php";
            break;
        case web_request::check_connection:
            text += "clear_free_game_counter.php";
            break;
    }
    text += "?username=";
    text += user_name;
    text += "&id=";
    text += session_id;
    text += " HTTP/1.1\n";
    // The assert_alive page has always been asked with no blank after the colon.
    text += kind == web_request::assert_alive ? "Host:" : "Host: ";
    text += host_name;
    text += "\n\n";
    if (text.size() + 1 > http_buffer_size) return std::nullopt;
    return text;
}

bool connection_reply_ok(std::string_view reply) {
    std::size_t lf = reply.rfind('\n');
    std::size_t at = lf == std::string_view::npos ? 0 : lf + 1;
    return at < reply.size() && reply[at] == '1';
}

std::optional<std::string> save_path(std::string_view folder, std::string_view file_name) {
    std::string path(folder);
    path += file_name;
    if (path.size() + 1 > path_buffer_size) return std::nullopt;
    return path;
}

}  // namespace rx::lib
