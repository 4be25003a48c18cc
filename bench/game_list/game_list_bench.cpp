// Times load_list and one game list frame for lists of 100, 2,000 and 20,000 rows from a loopback
// server.
#include <SDL.h>
#include <SDL_net.h>
#include <SDL_ttf.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "browser/app/app.h"
#include "browser/app/screens.h"
#include "emulators/systems.h"
#include "tests/catalogue/fake_service.h"

namespace {

using clock_type = std::chrono::steady_clock;

double ms_since(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

// Resident memory now, in KiB.
long resident_kib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long peak_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string list_reply(int rows) {
    std::string body = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";
    for (int i = 0; i < rows; ++i) {
        body += "||Benchmark Game Number " + std::to_string(i) + "||GEN||bench_" +
                std::to_string(i) + ".bin||" + std::to_string(i % 5) + "||EOL\n";
    }
    return body;
}

double percentile(std::vector<double> values, int p) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * static_cast<std::size_t>(p) / 100)];
}

// Heap held by the rows themselves: the vector and every string that does not fit inline.
std::size_t rows_bytes(const std::vector<rx::catalogue::game_row>& rows) {
    std::size_t total = rows.capacity() * sizeof(rx::catalogue::game_row);
    for (const auto& r : rows) {
        for (const std::string* s : {&r.title, &r.system_code, &r.game_id}) {
            if (s->capacity() > 15) total += s->capacity() + 1;
        }
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) == -1 || !SDL_SetVideoMode(800, 600, 32, 0) ||
        TTF_Init() == -1 || SDLNet_Init() == -1) {
        std::fprintf(stderr, "SDL start failed: %s\n", SDL_GetError());
        return 1;
    }
    rx::set_directory_override(std::string(argc > 1 ? argv[1] : RX_PROGRAM_DIR));

    std::string reply;
    rx::test::fake_service service([&reply](const std::string&) {
        return rx::test::fake_reply{{reply}, 0};
    });
    setenv("RELICADE_CATALOGUE_HOST", service.authority().c_str(), 1);

    rx::app::user().account_kind = 2;
    rx::app::user().name_filter = "^[0-z]";
    auto& list = rx::screens().game_list;
    list.init();
    SDL_Surface* screen = SDL_GetVideoSurface();

    std::printf("%6s %8s %18s %18s %18s %9s %9s %9s\n", "rows", "load_ms", "still_ms p50/p99",
                "wheel_ms p50/p99", "page_ms p50/p99", "rss_kib", "rows_kib", "peak_kib");
    std::printf(
        "(rss_kib: growth since start, including this program's copy of the served reply)\n");
    const long baseline = resident_kib();
    for (int rows : {100, 2000, 20000}) {
        reply = list_reply(rows);
        const auto load_start = clock_type::now();
        rx::app::load_system(rx::console_by_code("GEN")->system);
        const double load_ms = ms_since(load_start);

        // Steady frames: the view does not move.
        std::vector<double> steady;
        for (int i = 0; i < 500; ++i) {
            SDL_FillRect(screen, nullptr, 0);
            const auto start = clock_type::now();
            list.show();
            steady.push_back(ms_since(start));
        }
        // Frames right after one wheel step (one new row to draw) and after one page (ten rows).
        std::vector<double> wheel;
        std::vector<double> page;
        for (int i = 0; i < 300; ++i) {
            const bool by_page = i % 2 == 0;
            if (by_page) {
                list.page_down();
            } else {
                list.wheel_down();
            }
            SDL_FillRect(screen, nullptr, 0);
            const auto start = clock_type::now();
            list.show();
            (by_page ? page : wheel).push_back(ms_since(start));
        }
        // The end of the list.
        while (list.scroll_offset() < rows * 25 - 500) list.page_down();
        list.show();

        malloc_trim(0);
        std::printf("%6d %8.1f %8.3f/%-9.3f %8.3f/%-9.3f %8.3f/%-9.3f %9ld %9zu %9ld\n", rows,
                    load_ms, percentile(steady, 50), percentile(steady, 99), percentile(wheel, 50),
                    percentile(wheel, 99), percentile(page, 50), percentile(page, 99),
                    resident_kib() - baseline, rows_bytes(list.rows()) / 1024, peak_kib());
    }
    rx::set_directory_override(std::nullopt);
    SDLNet_Quit();
    SDL_Quit();
    return 0;
}
