// GUID helpers for every platform: registry text, in-memory bytes, derived controller GUIDs.
#include "platform/input_guid.h"

#include <cstdio>

namespace rx::platform {

std::optional<std::array<std::uint8_t, 16>> guid_bytes(const std::string& text) {
    // {Data1-Data2-Data3-Data4[0..1]-Data4[2..7]}; the first three fields are stored little-endian.
    static constexpr int groups[] = {8, 4, 4, 4, 12};
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
    std::string hex;
    std::size_t pos = 1;
    for (int g = 0; g < 5; ++g) {
        for (int i = 0; i < groups[g]; ++i, ++pos) {
            char c = text[pos];
            bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
            if (!digit) return std::nullopt;
            hex += c;
        }
        if (g < 4 && text[pos++] != '-') return std::nullopt;
    }
    std::uint8_t raw[16];
    for (int i = 0; i < 16; ++i) {
        unsigned v = 0;
        std::sscanf(hex.c_str() + 2 * i, "%2x", &v);
        raw[i] = static_cast<std::uint8_t>(v);
    }
    std::array<std::uint8_t, 16> out{};
    static constexpr int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < 16; ++i) out[static_cast<std::size_t>(i)] = raw[order[i]];
    return out;
}

std::string guid_text(const std::array<std::uint8_t, 16>& bytes) {
    static constexpr int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string out = "{";
    for (int i = 0; i < 16; ++i) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", bytes[static_cast<std::size_t>(order[i])]);
        out += buf;
        if (i == 3 || i == 5 || i == 7 || i == 9) out += '-';
    }
    out += '}';
    return out;
}

namespace {

// Set by tests before the code under test runs, so no lock is needed (and the MinGW runtime here
// has no std::mutex).
std::optional<device_list> fake_devices;

}  // namespace

void fake_input_devices_for_testing(std::optional<device_list> fake) {
    fake_devices = std::move(fake);
}

std::optional<device_list> faked_input_devices() {
    return fake_devices;
}

namespace {

std::uint64_t fnv1a(const std::string& text, std::uint64_t seed) {
    std::uint64_t h = seed;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace

// The same controller in the same slot keeps its GUID from run to run, as DirectInput's instance
// GUIDs do.
std::string derived_controller_guid(const std::string& name, int index) {
    std::string identity = name + '#' + std::to_string(index);
    std::uint64_t a = fnv1a(identity, 14695981039346656037ull);
    std::uint64_t b = fnv1a(identity, a ^ 0x9e3779b97f4a7c15ull);
    std::array<std::uint8_t, 16> bytes{};
    for (int i = 0; i < 8; ++i) {
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(a >> (8 * i));
        bytes[static_cast<std::size_t>(i + 8)] = static_cast<std::uint8_t>(b >> (8 * i));
    }
    return guid_text(bytes);
}

}  // namespace rx::platform
