// News page data: the three fields of the news reply and the wrapping of its body into lines.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace rx::catalogue {

// Fields are separated by runs of "|" of any length; text before the first "|" (the HTTP header) is
// skipped. Missing fields are empty.
std::array<std::string, 3> split_news(std::string_view reply);

// Whole words per line; a line ends before the first word that starts after its 45th character,
// keeping its trailing blanks. A word longer than a line is never split.
std::vector<std::string> wrap_news_body(std::string_view body);

inline constexpr int news_x = 50;
inline constexpr int news_heading_y[2] = {5, 35};
inline constexpr int news_first_body_y = 65;
inline constexpr int news_line_step = 30;

}  // namespace rx::catalogue
