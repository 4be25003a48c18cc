// Settings text split into lines that join back to the very same bytes.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace rx {

// Each line keeps its line feed (and any carriage return before it); text after the last line feed
// is a last line of its own. Joining the lines gives back `text` byte for byte.
std::vector<std::string> split_lines(std::string_view text);
std::string join_lines(const std::vector<std::string>& lines);

// The exact text logged when a save or load needs a line the file does not have.
inline constexpr const char* missing_line_text = "invalid vector<T> subscript";

}  // namespace rx
