// HTTP as the Relicade clients speak it: request heads ended by a blank line (LF or CR LF) and a
// NUL, unencoded query values, and the reply shapes the clients search for.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rx::service {

// Length of the request head in `bytes`, through its blank line ("\n\n", "\r\n\r\n" or a mix) or
// its first NUL byte, whichever comes first; npos while incomplete.
std::size_t request_end(std::string_view bytes);

struct http_request {
    std::string method;
    std::string target;   // as sent, blanks included
    std::string path;     // target up to '?'
    std::string version;  // "HTTP/1.0", "HTTP/1.1" or empty
    std::vector<std::pair<std::string, std::string>> params;

    // Value of the first parameter named `key`; nullopt when absent.
    std::optional<std::string> param(std::string_view key) const;
};

// Parses the head's request line. The clients do not encode query values, so the target runs from
// the first blank to the last blank before "HTTP/"; the request is refused (nullopt, reason in
// `error`) when it is not a GET of an absolute path or holds a NUL or control byte inside the line.
std::optional<http_request> parse_request(std::string_view head, std::string* error = nullptr);

// Splits a query at '&'. A piece that does not look like "name=value" belongs to the previous
// value, so a user name holding '&' survives ("username=a&b&password=c" gives "a&b" and "c").
std::vector<std::pair<std::string, std::string>> parse_query(std::string_view query);

// Decodes %XX escapes (a '%' not followed by two hex digits stays as it is); '+' is left alone.
std::string percent_decode(std::string_view text);

// True for a relative path of plain segments: no empty, "." or ".." segment, no backslash, no NUL
// and no control byte. This is what keeps every served file inside its folder.
bool safe_relative_path(std::string_view path);

// A complete reply: status line in the request's version, Content-Type, Content-Length, Connection:
// close, the blank line and the body.
std::string http_reply(int status, std::string_view body,
                       std::string_view content_type = "text/plain",
                       std::string_view version = "HTTP/1.1");

// The header of an update file: exactly ten lines, counting its empty last line, because the
// updater skips ten line feeds and takes every later byte as the file.
std::string update_file_header(std::uint64_t length, std::string_view version = "HTTP/1.1");

// "||" title "||" system "||" id "||" availability "||EOL" and a line feed.
std::string game_list_record(std::string_view title, std::string_view system, std::string_view id,
                             int availability);

// The update manifest: "filesize:" total, "\n", one entry per line, each ended by "\n".
std::string update_manifest(std::uint64_t total, const std::vector<std::string>& entries);

// Escapes a user or file name into one safe file name: letters, digits, '-', '_' and inner '.'
// stay, everything else becomes %XX, so "../x" can never leave the folder it is stored in.
std::string storage_name(std::string_view name);

}  // namespace rx::service
