// The userinfo.dat byte codec and its thin file wrappers (display-free).
#include "browser/base/logic/user_info.h"

#include <array>
#include <climits>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/file.h"

namespace rx {

namespace {

constexpr std::string_view separator = "||";
constexpr int field_count = 8;

void append_utf16le(std::string& out, char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>((unit >> 8) & 0xFF));
}

void append_wide(std::string& out, const std::wstring& text) {
    for (wchar_t c : text) {
        auto code = static_cast<std::uint32_t>(c);
        if (code > 0xFFFF && code <= 0x10FFFF) {
            code -= 0x10000;
            append_utf16le(out, static_cast<char16_t>(0xD800 + (code >> 10)));
            append_utf16le(out, static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            // Wide strings of 16-bit platforms already hold the code units.
            append_utf16le(out, static_cast<char16_t>(code & 0xFFFF));
        }
    }
}

// The four bytes of a number: its decimal text, NUL padded. Only -999..9999 fit; anything else
// (never produced by the program itself) is stored as 0 rather than cut to a different number.
void append_number(std::string& out, int value) {
    std::string text = (value >= -999 && value <= 9999) ? std::to_string(value) : "0";
    text.resize(4, '\0');
    out += text;
}

// atoi on a NUL-terminated copy, without atoi's undefined overflow: out-of-range values clamp.
int parse_number(std::string_view piece) {
    std::size_t i = 0;
    while (i < piece.size() && (piece[i] == ' ' || (piece[i] >= '\t' && piece[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) negative = piece[i++] == '-';
    long long value = 0;
    for (; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i) {
        value = value * 10 + (piece[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return static_cast<int>(value);
}

// UTF-16LE code units up to the first zero unit; an odd last byte pairs with a zero high byte,
// as it would in the zeroed wide buffer the bytes are copied into.
std::wstring parse_wide(std::string_view piece) {
    std::wstring out;
    for (std::size_t i = 0; i < piece.size(); i += 2) {
        unsigned lo = static_cast<unsigned char>(piece[i]);
        unsigned hi = i + 1 < piece.size() ? static_cast<unsigned char>(piece[i + 1]) : 0;
        char32_t unit = lo | (hi << 8);
        if (unit == 0) break;
        if constexpr (sizeof(wchar_t) >= 4) {
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < piece.size()) {
                unsigned lo2 = static_cast<unsigned char>(piece[i + 2]);
                unsigned hi2 = static_cast<unsigned char>(piece[i + 3]);
                char32_t next = lo2 | (hi2 << 8);
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    out.push_back(
                        static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00)));
                    i += 2;
                    continue;
                }
            }
        }
        out.push_back(static_cast<wchar_t>(unit));
    }
    return out;
}

std::string parse_text(std::string_view piece) {
    return std::string(piece.substr(0, piece.find('\0')));
}

}  // namespace

std::string storable_name_filter(std::string_view filter) {
    std::string kept;
    for (char c : filter) {
        if (c == '\0') continue;
        if (c == '|' && !kept.empty() && kept.back() == '|') continue;
        kept.push_back(c);
    }
    while (!kept.empty() && kept.back() == '|') kept.pop_back();
    return kept;
}

std::string encode_user_info(const user_info& info) {
    std::string out;
    append_wide(out, info.user_name);
    out += separator;
    append_wide(out, info.password);
    out += separator;
    append_number(out, info.account_kind);
    out += separator;
    append_number(out, info.last_system);
    out += separator;
    append_number(out, info.save_login);
    out += separator;
    append_number(out, info.auto_login);
    out += separator;
    out += storable_name_filter(info.name_filter);
    out += separator;
    append_number(out, info.fullscreen);
    return out;
}

user_info decode_user_info(std::string_view bytes) {
    // The whole zero-padded read buffer is the record, so the last field carries the padding.
    std::array<char, user_info_read_size> buffer{};
    const std::size_t used = bytes.size() < buffer.size() ? bytes.size() : buffer.size();
    bytes.copy(buffer.data(), used);
    const std::string_view all(buffer.data(), buffer.size());

    // Fields past the last separator found stay empty instead of running off the buffer.
    std::array<std::string_view, field_count> pieces{};
    std::size_t start = 0;
    for (int i = 0; i < field_count; ++i) {
        if (i == field_count - 1) {
            pieces[i] = all.substr(start);
            break;
        }
        const std::size_t end = all.find(separator, start);
        if (end == std::string_view::npos) {
            pieces[i] = all.substr(start);
            break;
        }
        pieces[i] = all.substr(start, end - start);
        start = end + separator.size();
    }

    user_info info;
    info.user_name = parse_wide(pieces[0]);
    info.password = parse_wide(pieces[1]);
    info.account_kind = parse_number(pieces[2]);
    info.last_system = parse_number(pieces[3]);
    info.save_login = parse_number(pieces[4]);
    info.auto_login = parse_number(pieces[5]);
    info.name_filter = parse_text(pieces[6]);
    info.fullscreen = parse_number(pieces[7]);
    return info;
}

std::optional<user_info> read_user_info_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(user_info_read_size, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return decode_user_info(bytes);
}

bool write_user_info_file(const std::string& path, const user_info& info) {
    // Owner-only from the first byte, since the record holds the password.
    return platform::replace_file(path, encode_user_info(info), 0600, true).empty();
}

bool remove_user_info_file(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(std::filesystem::path(path), ec);
    return !ec;
}

}  // namespace rx
