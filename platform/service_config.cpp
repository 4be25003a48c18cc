// Service addresses: the build defaults, overridden at run time by RELICADE_* variables.
#include "platform/service_config.h"

#include <cstdlib>
#include <string_view>

#include "platform/process.h"

#ifndef RX_WEB_HOST
#define RX_WEB_HOST "www.relicade.net"
#endif
#ifndef RX_CATALOGUE_HOST
#define RX_CATALOGUE_HOST "catalogue.relicade.net"
#endif
#ifndef RX_EMULATOR_HOST
#define RX_EMULATOR_HOST "games.relicade.net"
#endif
#ifndef RX_SOCIAL_HOST
#define RX_SOCIAL_HOST "apps.facebook.com"
#endif
#ifndef RX_FALLBACK_ADDRESS
#define RX_FALLBACK_ADDRESS "127.0.0.1"
#endif
#ifndef RX_WEB_SITE
#define RX_WEB_SITE "http://www.relicade.net"
#endif

namespace rx::config {

namespace {

constexpr std::uint16_t http_port = 80;
constexpr std::uint16_t default_game_port = 11001;

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

// 1..65535 written only with digits; anything else is not a port.
bool parse_port(std::string_view text, std::uint16_t& port) {
    if (text.empty() || text.size() > 5) return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

// The variable's value when set and not blank, else the build's default.
std::string setting(const char* variable, const char* build_default) {
    std::string value(trim(rx::platform::get_environment(variable)));
    return value.empty() ? std::string(build_default) : value;
}

bool is_dotted_ipv4(std::string_view text) {
    int parts = 0;
    while (true) {
        std::size_t dot = text.find('.');
        std::string_view part = text.substr(0, dot);
        if (part.empty() || part.size() > 3) return false;
        unsigned value = 0;
        for (char c : part) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        if (value > 255) return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return parts == 4;
}

}  // namespace

std::string endpoint::authority() const {
    if (port == http_port) return host;
    return host + ":" + std::to_string(port);
}

endpoint parse_endpoint(const std::string& text, std::uint16_t default_port) {
    std::string_view t = trim(text);
    endpoint result;
    result.port = default_port;
    std::size_t colon = t.rfind(':');
    // Only one colon separates a port; more than one is not "name:port" and is kept whole.
    if (colon != std::string_view::npos && t.find(':') == colon) {
        std::uint16_t port = 0;
        if (parse_port(trim(t.substr(colon + 1)), port)) result.port = port;
        t = trim(t.substr(0, colon));
    }
    result.host = std::string(t);
    return result;
}

endpoint web_host() {
    return parse_endpoint(setting("RELICADE_WEB_HOST", RX_WEB_HOST), http_port);
}

endpoint catalogue_host() {
    return parse_endpoint(setting("RELICADE_CATALOGUE_HOST", RX_CATALOGUE_HOST), http_port);
}

endpoint social_host() {
    return parse_endpoint(setting("RELICADE_SOCIAL_HOST", RX_SOCIAL_HOST), http_port);
}

std::string emulator_host() {
    return setting("RELICADE_EMULATOR_HOST", RX_EMULATOR_HOST);
}

std::uint16_t game_port() {
    std::uint16_t port = 0;
    if (parse_port(trim(rx::platform::get_environment("RELICADE_GAME_PORT")), port)) return port;
    return default_game_port;
}

std::string fallback_address() {
    std::string value = setting("RELICADE_FALLBACK_ADDRESS", RX_FALLBACK_ADDRESS);
    // A mistyped override must not become a name lookup where a numeric address is promised.
    return is_dotted_ipv4(value) ? value : std::string(RX_FALLBACK_ADDRESS);
}

std::string web_site() {
    return RX_WEB_SITE;
}

}  // namespace rx::config
