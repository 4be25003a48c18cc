// Fuzz target: the emulator's launch argument, as raw text and as the browser writes it.
#include "rxlib/logic/launch_argument.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "browser/base/logic/session_text.h"
#include "browser/screens/logic/launch.h"
#include "fuzz/fuzz_input.h"

namespace {

// Latin-1 characters from 33 up, as the login box takes them.
std::wstring box_text(std::string_view bytes) {
    std::wstring out;
    for (unsigned char c : bytes) {
        if ((c >= 33 && c <= 127) || c >= 160) out += static_cast<wchar_t>(c);
    }
    return out.substr(0, 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rx::fuzz::input in(data, size);
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    rx::lib::launch_fields any;
    rx::lib::parse_launch_argument(raw, any);

    // Written by the browser: a user name without ":" (nor a leading "/"), any password the box
    // takes, a host and a game id without "@" (the game id without a leading "/").
    std::wstring user = box_text(in.piece('\n'));
    std::wstring password = box_text(in.piece('\n'));
    std::string host(in.piece('\n'));
    std::string game(in.rest());
    for (wchar_t& c : user)
        if (c == L':') c = L'_';
    while (!user.empty() && user.front() == L'/') user.erase(0, 1);
    for (char& c : host)
        if (c == '@' || c == '/' || c == '\0') c = '_';
    for (char& c : game)
        if (c == '@' || c == '\0') c = '_';
    while (!game.empty() && game.front() == '/') game.erase(0, 1);

    const std::string argument =
        rx::narrow_text(rx::catalogue::launch_argument(L"rxgen://", user, password, host, game));
    rx::lib::launch_fields fields;
    rx::fuzz::check(rx::lib::parse_launch_argument(argument, fields), "all four fields are cut");
    rx::fuzz::check(fields.user_name == rx::narrow_text(user), "the user name survives");
    rx::fuzz::check(fields.password == rx::narrow_text(password), "the password survives");
    rx::fuzz::check(fields.host == host, "the host survives");
    rx::fuzz::check(fields.game_name == game, "the game id survives");
    return 0;
}
