// Internal to the platform layer: the text form of the file-backed user registry and edits on it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rx::platform::registry_text {

enum class value_type { string, dword, binary };

struct line {
    bool is_value = false;
    std::string raw;  // a line we do not understand, written back unchanged
    std::string name;
    value_type type = value_type::string;
    std::vector<std::uint8_t> data;  // strings without a terminator, dwords little-endian
};

struct section {
    std::string key;  // path below HKEY_CURRENT_USER, '\' between levels
    std::vector<line> lines;
};

struct document {
    std::vector<line> preamble;  // lines before the first key other than the header
    std::vector<section> sections;
};

// Reads the text; nothing is dropped: lines that are not values are kept as they are.
document parse(std::string_view text);
std::string serialise(const document& doc);

// Key and value names compare without regard to ASCII case, as the Windows registry does.
const line* find(const document& doc, std::string_view key, std::string_view name);
void set(document& doc, std::string_view key, std::string_view name, value_type type,
         std::vector<std::uint8_t> data);
// A key is there when it has a section of its own or a key below it has one, as on Windows, where
// creating a key creates its parents.
bool has_key(const document& doc, std::string_view key);
// Adds an empty section for the key when it has none.
void add_key(document& doc, std::string_view key);

// Value bytes as the registry interface hands them out, the same for the file and the Windows
// store: a four-byte little-endian dword, and a string without its terminating NULs.
std::uint32_t dword_value(const std::vector<std::uint8_t>& four_bytes);
std::string string_value(const std::vector<std::uint8_t>& data);

}  // namespace rx::platform::registry_text
