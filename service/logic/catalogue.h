// The sample catalogue and account files of rx_service: their records, readers and list rules.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rx::service {

// One line of catalogue.tsv:
// id TAB system code TAB title TAB image size TAB copies TAB free sampler (0/1) TAB screenshots
// (comma-separated)
struct game_record {
    std::string id;
    std::string system;
    std::string title;
    std::uint64_t image_size = 0;
    int copies = 0;  // 0: every copy is in play for good
    bool sampler = false;
    std::vector<std::string> screenshots;  // up to four file names under /info_img/
    std::string file = {};  // a real game in the games folder; empty: the image is made up
};

// Lines starting with '#' and empty lines are skipped; a malformed line makes the whole text
// invalid (nullopt, with the line number in `error`), so a broken file is never half-served.
std::optional<std::vector<game_record>> parse_catalogue(std::string_view text,
                                                        std::string* error = nullptr);
std::optional<std::vector<game_record>> read_catalogue_file(const std::string& path,
                                                            std::string* error = nullptr);

// The whole of a service file (sample data, saves, update files) through the platform's whole-file
// read; nullopt when it is missing or unreadable.
std::optional<std::string> read_service_file(const std::string& path);

// One line of accounts.txt: name TAB password TAB kind (1 free, 2 full).
struct account_record {
    std::string name;
    std::string password;
    int kind = 1;
};
std::optional<std::vector<account_record>> parse_accounts(std::string_view text,
                                                          std::string* error = nullptr);

// The twelve console codes in menu order ("2600" ... "N64").
const std::vector<std::string>& system_codes();
bool is_system_code(std::string_view code);
// Consoles released after the NES: free accounts may not play them (outside the free sampler).
bool system_after_nes(std::string_view code);

// Whether a title passes the name filter the client sends: "^[a-b]" style ranges on the first
// character (any case), "^[0-z]" for every title, any other "^text" as a prefix and plain text as a
// case-insensitive substring. An empty filter passes every title. "RANDOM" is handled by the list
// builder, not here.
bool title_matches(std::string_view title, std::string_view filter);

// Availability shown in the lists: 0 while no copy is free, -1 for free accounts on consoles after
// the NES (free sampler games excepted), otherwise the number of free copies.
int availability(const game_record& game, int copies_in_play, bool free_account);

}  // namespace rx::service
