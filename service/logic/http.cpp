// Request parsing and reply building for rx_service's HTTP side.
#include "service/logic/http.h"

#include <cctype>

namespace rx::service {
namespace {

bool is_hex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    return (std::tolower(static_cast<unsigned char>(c)) - 'a') + 10;
}

bool looks_like_parameter(std::string_view piece) {
    const std::size_t eq = piece.find('=');
    if (eq == std::string_view::npos || eq == 0) return false;
    for (std::size_t i = 0; i < eq; ++i) {
        const unsigned char c = static_cast<unsigned char>(piece[i]);
        if (!std::isalnum(c) && c != '_') return false;
    }
    return true;
}

const char* reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 413:
            return "Request Entity Too Large";
        default:
            return "Internal Server Error";
    }
}

}  // namespace

std::size_t request_end(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0') return i;
        if (bytes[i] != '\n') continue;
        // A line feed followed by an empty line (optionally "\r") ends the head.
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') return i + 2;
        if (i + 2 < bytes.size() && bytes[i + 1] == '\r' && bytes[i + 2] == '\n') return i + 3;
    }
    return std::string_view::npos;
}

std::optional<std::string> http_request::param(std::string_view key) const {
    for (const auto& [name, value] : params)
        if (name == key) return value;
    return std::nullopt;
}

std::optional<http_request> parse_request(std::string_view head, std::string* error) {
    auto fail = [&](const char* why) -> std::optional<http_request> {
        if (error) *error = why;
        return std::nullopt;
    };
    std::string_view line = head.substr(0, head.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (const std::size_t nul = line.find('\0'); nul != std::string_view::npos)
        line = line.substr(0, nul);
    for (char c : line)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
            return fail("control byte in request line");

    const std::size_t first = line.find(' ');
    if (first == std::string_view::npos) return fail("no request target");
    http_request request;
    request.method = line.substr(0, first);
    std::string_view rest = line.substr(first + 1);
    const std::size_t last = rest.rfind(' ');
    if (last != std::string_view::npos && rest.substr(last + 1).substr(0, 5) == "HTTP/") {
        request.version = rest.substr(last + 1);
        rest = rest.substr(0, last);
    }
    if (request.method != "GET") return fail("only GET is served");
    if (rest.empty() || rest.front() != '/') return fail("target is not an absolute path");
    request.target = rest;
    const std::size_t query = rest.find('?');
    request.path = rest.substr(0, query);
    if (query != std::string_view::npos) request.params = parse_query(rest.substr(query + 1));
    return request;
}

std::vector<std::pair<std::string, std::string>> parse_query(std::string_view query) {
    std::vector<std::pair<std::string, std::string>> params;
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string_view::npos) end = query.size();
        const std::string_view piece = query.substr(start, end - start);
        if (looks_like_parameter(piece)) {
            const std::size_t eq = piece.find('=');
            params.emplace_back(std::string(piece.substr(0, eq)),
                                std::string(piece.substr(eq + 1)));
        } else if (!params.empty()) {
            params.back().second += "&";
            params.back().second += piece;
        } else if (!piece.empty()) {
            params.emplace_back(std::string(piece), std::string());
        }
        start = end + 1;
    }
    return params;
}

std::string percent_decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && is_hex(text[i + 1]) && is_hex(text[i + 2])) {
            out += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool safe_relative_path(std::string_view path) {
    if (path.empty()) return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == "..") return false;
        for (char c : segment)
            if (static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == 0x7f || c == ':')
                return false;
        start = end + 1;
    }
    return true;
}

std::string http_reply(int status, std::string_view body, std::string_view content_type,
                       std::string_view version) {
    std::string reply;
    reply.reserve(body.size() + 160);
    reply += version.empty() ? std::string_view("HTTP/1.1") : version;
    reply += " " + std::to_string(status) + " " + reason(status) + "\r\n";
    reply += "Server: rx_service\r\n";
    reply += "Content-Type: ";
    reply += content_type;
    reply += "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    reply += "Connection: close\r\n\r\n";
    reply += body;
    return reply;
}

std::string update_file_header(std::uint64_t length, std::string_view version) {
    std::string header;
    header += version.empty() ? std::string_view("HTTP/1.1") : version;
    header += " 200 OK\r\n";
    header += "Server: rx_service\r\n";
    header += "Content-Type: application/x-gzip\r\n";
    header += "Content-Length: " + std::to_string(length) + "\r\n";
    header += "Content-Encoding: identity\r\n";
    header += "Accept-Ranges: none\r\n";
    header += "Cache-Control: no-cache\r\n";
    header += "Pragma: no-cache\r\n";
    header += "Connection: close\r\n";
    header += "\r\n";
    return header;
}

std::string game_list_record(std::string_view title, std::string_view system, std::string_view id,
                             int availability) {
    std::string record = "||";
    record += title;
    record += "||";
    record += system;
    record += "||";
    record += id;
    record += "||" + std::to_string(availability) + "||EOL\n";
    return record;
}

std::string update_manifest(std::uint64_t total, const std::vector<std::string>& entries) {
    std::string text = "filesize:" + std::to_string(total) + "\n";
    for (const auto& entry : entries) text += entry + "\n";
    return text;
}

std::string storage_name(std::string_view name) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const bool plain = std::isalnum(c) || c == '-' || c == '_' || (c == '.' && i > 0);
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    if (out.empty()) out = "%";
    return out;
}

}  // namespace rx::service
