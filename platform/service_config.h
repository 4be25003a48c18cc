// Where the service lives: the build's host names, overridden by RELICADE_* environment variables.
#pragma once
#include <cstdint>
#include <string>

namespace rx::config {

struct endpoint {
    std::string host;  // the name used in the Host line and in URLs
    std::uint16_t port = 80;
    // "host" for port 80, "host:port" otherwise: what a URL carries.
    std::string authority() const;
};

// Parses "name" or "name:port"; a missing or bad port gives `default_port`.
endpoint parse_endpoint(const std::string& text, std::uint16_t default_port);

endpoint web_host();             // RELICADE_WEB_HOST
endpoint catalogue_host();       // RELICADE_CATALOGUE_HOST
endpoint social_host();          // RELICADE_SOCIAL_HOST
std::string emulator_host();     // RELICADE_EMULATOR_HOST, written into the launch argument
std::uint16_t game_port();       // RELICADE_GAME_PORT, default 11001
std::string fallback_address();  // RELICADE_FALLBACK_ADDRESS, dotted IPv4
std::string web_site();          // the service's public web site

}  // namespace rx::config
