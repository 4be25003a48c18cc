// Shared set-up of the catalogue screen tests.
#include "tests/catalogue/catalogue_fixture.h"

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "browser/app/app.h"
#include "browser/app/screens.h"

namespace rx::test {

platform::process_handle recording_processes::start(const std::string& program,
                                                    const std::string& parameters) {
    std::lock_guard<std::mutex> lock(mutex_);
    starts_.push_back({program, parameters});
    if (fail_starts_) return 0;
    return static_cast<platform::process_handle>(1000 + starts_.size());
}

bool recording_processes::is_running(platform::process_handle) {
    return false;
}

bool recording_processes::terminate(platform::process_handle, int, int&) {
    return true;
}

void recording_processes::close(platform::process_handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++closes_;
}

bool recording_processes::start_detached(const std::string& program,
                                         const std::string& parameters) {
    std::lock_guard<std::mutex> lock(mutex_);
    starts_.push_back({program, parameters});
    return true;
}

bool recording_processes::open_url(const std::string& url) {
    std::lock_guard<std::mutex> lock(mutex_);
    urls_.push_back(url);
    return true;
}

std::vector<recording_processes::start_record> recording_processes::starts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return starts_;
}

std::vector<std::string> recording_processes::urls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return urls_;
}

int recording_processes::closes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closes_;
}

bool recording_processes::wait_for_urls(std::size_t count, int timeout_ms) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < until) {
        if (urls().size() >= count) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return urls().size() >= count;
}

std::string list_body(const std::vector<list_row>& rows) {
    std::string body;
    for (const list_row& r : rows) {
        body += "||" + r.title + "||" + r.code + "||" + r.id + "||" +
                std::to_string(r.availability) + "||EOL\n";
    }
    return body;
}

std::string picture_bytes(int width, int height, Uint8 red, Uint8 green, Uint8 blue) {
    SDL_Surface* surface =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, red, green, blue));
    char name[] = "/tmp/rx_picture_XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) ::close(fd);
    SDL_SaveBMP(surface, name);
    SDL_FreeSurface(surface);
    std::ifstream in(name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    std::remove(name);
    return out.str();
}

void catalogue_test::SetUp() {
    sdl_test::SetUp();
    ASSERT_EQ(SDLNet_Init(), 0);
    service_ = std::make_unique<fake_service>([this](const std::string& target) {
        std::lock_guard<std::mutex> lock(responder_mutex_);
        if (responder_) return responder_(target);
        return fake_reply{{http_reply("")}, 0};
    });
    setenv("RELICADE_CATALOGUE_HOST", service_->authority().c_str(), 1);
    setenv("RELICADE_WEB_HOST", service_->authority().c_str(), 1);
    setenv("RELICADE_SOCIAL_HOST", "social.test", 1);
    setenv("RELICADE_EMULATOR_HOST", "games.test", 1);
    platform::set_processes(&processes_);

    user_info& user = app::user();
    user = user_info{};
    user.user_name = L"demo";
    user.password = L"demo";
    user.account_kind = 2;
    screens().game_list.init();
    screens().game_info.init();
    screens().news.init();
    screens().facebook.init();
    for (const auto& c : screens().consoles()) c->init();
    app::clear_controls();
    app::set_current_screen(screen_main);
}

void catalogue_test::TearDown() {
    app::clear_controls();
    platform::set_processes(nullptr);
    service_.reset();
    SDLNet_Quit();
    sdl_test::TearDown();
}

void catalogue_test::answer(std::function<fake_reply(const std::string&)> responder) {
    std::lock_guard<std::mutex> lock(responder_mutex_);
    responder_ = std::move(responder);
}

void catalogue_test::answer_lists(const std::string& body) {
    answer([body](const std::string&) { return fake_reply{{http_reply(body)}, 0}; });
}

std::vector<Uint32> catalogue_test::capture(int x, int y, int w, int h) {
    SDL_Surface* screen = SDL_GetVideoSurface();
    std::vector<Uint32> pixels;
    pixels.reserve(static_cast<std::size_t>(w * h));
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) pixels.push_back(pixel(screen, i, j));
    }
    return pixels;
}

int catalogue_test::lit_pixels(int x, int y, int w, int h) {
    int count = 0;
    for (Uint32 p : capture(x, y, w, h)) count += (p & 0xFFFFFF) != 0 ? 1 : 0;
    return count;
}

int catalogue_test::white_pixels(int x, int y, int w, int h) {
    const Uint32 white = SDL_MapRGB(SDL_GetVideoSurface()->format, 255, 255, 255) & 0xFFFFFF;
    int count = 0;
    for (Uint32 p : capture(x, y, w, h)) count += (p & 0xFFFFFF) == white ? 1 : 0;
    return count;
}

}  // namespace rx::test
