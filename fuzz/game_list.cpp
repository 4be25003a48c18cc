// Fuzz target: the catalogue's game list reply, its rows and what is drawn of their titles.
#include "browser/screens/logic/game_list.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rx::catalogue;
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    std::vector<game_row> rows;
    const bool found = parse_list(reply, rows);
    rx::fuzz::check(found == !rows.empty(), "a list is found exactly when it has rows");
    for (const game_row& row : rows) {
        // Every field is a piece of the reply, so none can be longer than it.
        rx::fuzz::check(row.title.size() + row.system_code.size() + row.game_id.size() <= size,
                        "row fields come from the reply");
        rx::fuzz::check(shorten_row_title(row.title).size() <= 31, "a drawn title fits its row");
    }
    // Clicks anywhere over the parsed list, scrolled as far as it goes.
    const int bottom = scroll_down(0, 1 << 20, rows.size());
    for (int offset : {0, bottom}) {
        for (int y = list_y - 1; y < list_y + view_height + 1; y += row_height / 2) {
            row_hit hit = hit_row(list_x + 10, y, offset, rows);
            if (hit.on_row) rx::fuzz::check(hit.row < rows.size(), "a hit names an existing row");
        }
    }
    return 0;
}
