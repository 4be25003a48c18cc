// Text form of the file-backed user registry: a .reg-style file keeping what it cannot read.
#include <cstdio>

#include "platform/registry_text.h"

namespace rx::platform::registry_text {

namespace {

constexpr std::string_view header = "Windows Registry Editor Version 5.00";
constexpr std::string_view root = "HKEY_CURRENT_USER\\";

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// "Software\\x\\" and "Software\x" name the same key.
std::string normal_key(std::string_view key) {
    std::string k;
    for (char c : key) {
        if (c == '\\' && (k.empty() || k.back() == '\\')) continue;
        k += c;
    }
    while (!k.empty() && k.back() == '\\') k.pop_back();
    return k;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    return out;
}

// Reads a quoted text at text[pos]; on success pos is just past the closing quote.
bool unquote(std::string_view text, std::size_t& pos, std::string& out) {
    if (pos >= text.size() || text[pos] != '"') return false;
    out.clear();
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size()) return false;
        char e = text[i];
        if (e == '"' || e == '\\') {
            out += e;
        } else if (e == 'x' && i + 2 < text.size() && hex_digit(text[i + 1]) >= 0 &&
                   hex_digit(text[i + 2]) >= 0) {
            out += static_cast<char>(hex_digit(text[i + 1]) * 16 + hex_digit(text[i + 2]));
            i += 2;
        } else {
            return false;
        }
    }
    return false;
}

bool parse_value(std::string_view text, line& out) {
    std::size_t pos = 0;
    if (!text.empty() && text[0] == '@') {
        out.name.clear();
        pos = 1;
    } else if (!unquote(text, pos, out.name)) {
        return false;
    }
    if (pos >= text.size() || text[pos] != '=') return false;
    std::string_view data = text.substr(pos + 1);
    out.data.clear();
    if (!data.empty() && data[0] == '"') {
        std::size_t p = 0;
        std::string value;
        if (!unquote(data, p, value) || p != data.size()) return false;
        out.type = value_type::string;
        out.data.assign(value.begin(), value.end());
        return true;
    }
    if (data.substr(0, 6) == "dword:") {
        std::string_view digits = data.substr(6);
        if (digits.size() != 8) return false;
        std::uint32_t v = 0;
        for (char c : digits) {
            int d = hex_digit(c);
            if (d < 0) return false;
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        out.type = value_type::dword;
        for (int i = 0; i < 4; ++i) out.data.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return true;
    }
    if (data.substr(0, 4) == "hex:") {
        std::string_view bytes = data.substr(4);
        out.type = value_type::binary;
        while (!bytes.empty()) {
            if (bytes.size() < 2 || hex_digit(bytes[0]) < 0 || hex_digit(bytes[1]) < 0)
                return false;
            out.data.push_back(
                static_cast<std::uint8_t>(hex_digit(bytes[0]) * 16 + hex_digit(bytes[1])));
            bytes.remove_prefix(2);
            if (bytes.empty()) break;
            if (bytes[0] != ',' || bytes.size() == 1) return false;
            bytes.remove_prefix(1);
        }
        return true;
    }
    return false;
}

std::string format_value(const line& l) {
    std::string out = l.name.empty() ? std::string("@") : quote(l.name);
    out += '=';
    switch (l.type) {
        case value_type::string:
            out += quote(
                std::string_view(reinterpret_cast<const char*>(l.data.data()), l.data.size()));
            break;
        case value_type::dword: {
            std::uint32_t v = 0;
            for (std::size_t i = 0; i < 4 && i < l.data.size(); ++i)
                v |= std::uint32_t(l.data[i]) << (8 * i);
            char buf[16];
            std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(v));
            out += buf;
            break;
        }
        case value_type::binary: {
            out += "hex:";
            for (std::size_t i = 0; i < l.data.size(); ++i) {
                char buf[4];
                std::snprintf(buf, sizeof buf, i == 0 ? "%02x" : ",%02x", l.data[i]);
                out += buf;
            }
            break;
        }
    }
    return out;
}

section* find_section(document& doc, std::string_view key) {
    std::string k = normal_key(key);
    for (section& s : doc.sections) {
        if (same_name(s.key, k)) return &s;
    }
    return nullptr;
}

}  // namespace

document parse(std::string_view text) {
    document doc;
    std::vector<line>* target = &doc.preamble;
    bool first = true;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::string_view content = raw;
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        if (first && content == header) {
            first = false;
            continue;
        }
        first = false;
        if (content.size() >= 2 && content.front() == '[' && content.back() == ']' &&
            same_name(content.substr(1, root.size()), root)) {
            std::string key =
                normal_key(content.substr(1 + root.size(), content.size() - 2 - root.size()));
            section* existing = find_section(doc, key);
            if (existing == nullptr) {
                doc.sections.push_back(section{key, {}});
                existing = &doc.sections.back();
            }
            target = &existing->lines;
            continue;
        }
        line l;
        if (parse_value(content, l)) {
            l.is_value = true;
        } else {
            l.raw = std::string(raw);
        }
        target->push_back(std::move(l));
    }
    // The blank lines written between keys come back as raw lines; drop trailing ones so they do
    // not pile up.
    auto trim_blank = [](std::vector<line>& lines) {
        while (!lines.empty() && !lines.back().is_value &&
               (lines.back().raw.empty() || lines.back().raw == "\r")) {
            lines.pop_back();
        }
    };
    trim_blank(doc.preamble);
    for (section& s : doc.sections) trim_blank(s.lines);
    return doc;
}

std::string serialise(const document& doc) {
    std::string out(header);
    out += '\n';
    auto write_lines = [&out](const std::vector<line>& lines) {
        for (const line& l : lines) {
            out += l.is_value ? format_value(l) : l.raw;
            out += '\n';
        }
    };
    write_lines(doc.preamble);
    for (const section& s : doc.sections) {
        out += '\n';
        out += '[';
        out += root;
        out += s.key;
        out += "]\n";
        write_lines(s.lines);
    }
    return out;
}

const line* find(const document& doc, std::string_view key, std::string_view name) {
    std::string k = normal_key(key);
    for (const section& s : doc.sections) {
        if (!same_name(s.key, k)) continue;
        for (const line& l : s.lines) {
            if (l.is_value && same_name(l.name, name)) return &l;
        }
    }
    return nullptr;
}

void set(document& doc, std::string_view key, std::string_view name, value_type type,
         std::vector<std::uint8_t> data) {
    section* s = find_section(doc, key);
    if (s == nullptr) {
        doc.sections.push_back(section{normal_key(key), {}});
        s = &doc.sections.back();
    }
    for (line& l : s->lines) {
        if (l.is_value && same_name(l.name, name)) {
            l.type = type;
            l.data = std::move(data);
            return;
        }
    }
    line l;
    l.is_value = true;
    l.name = std::string(name);
    l.type = type;
    l.data = std::move(data);
    s->lines.push_back(std::move(l));
}

bool has_key(const document& doc, std::string_view key) {
    std::string k = normal_key(key);
    if (k.empty()) return true;  // the root itself
    for (const section& s : doc.sections) {
        if (s.key.size() < k.size() || !same_name(std::string_view(s.key).substr(0, k.size()), k))
            continue;
        if (s.key.size() == k.size() || s.key[k.size()] == '\\') return true;
    }
    return false;
}

void add_key(document& doc, std::string_view key) {
    if (find_section(doc, key) == nullptr) doc.sections.push_back(section{normal_key(key), {}});
}

std::uint32_t dword_value(const std::vector<std::uint8_t>& four_bytes) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v |= std::uint32_t(four_bytes[i]) << (8 * i);
    return v;
}

std::string string_value(const std::vector<std::uint8_t>& data) {
    std::string text(data.begin(), data.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

}  // namespace rx::platform::registry_text
