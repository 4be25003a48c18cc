// Reading and rebuilding the [Controls] section of the 1964 input plug-in's settings.
#include "emulators/n64_settings.h"

#include <cstdio>
#include <vector>

#include "emulators/settings_lines.h"

namespace rx::n64 {

namespace {

constexpr std::string_view header = "[Controls]";
constexpr std::string_view format_comment =
    "# Button format: controlnum buttonID bOffset bAxisID bBtnType";
constexpr std::string_view keyboard_comment = "#Keyboard";
constexpr std::string_view joystick_comment = "#Joystick";
constexpr std::string_view device_prefix = "DInputGUID=";
constexpr std::string_view zero_guid = "{00000000-0000-0000-0000-000000000000}";

// The line without its CR LF.
std::string_view content_of(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

bool is_blank(std::string_view line) {
    for (char c : content_of(line)) {
        if (c != ' ' && c != '\t') return false;
    }
    return true;
}

// The plug-in finds its section by the header's text anywhere in a line, so a byte-order mark
// before it or a remark after it still starts the section.
bool is_header(std::string_view line) {
    return line.find(header) != std::string_view::npos;
}

std::optional<int> parse_decimal(std::string_view text) {
    if (!is_decimal_number(text) || text.size() > 6) return std::nullopt;
    return leading_integer(text);
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::optional<unsigned> parse_hex(std::string_view text) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    unsigned v = 0;
    for (char c : text) {
        int d = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                         : -1;
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<unsigned>(d);
    }
    return v;
}

// Where the section lies in the split lines. It ends with its first blank line (which belongs to
// it), or just before the next "[" header, or at the end of the text: the same rule for loading
// and saving, so a section that lacks its blank line never swallows the sections after it.
struct section_span {
    bool found = false;
    std::size_t header = 0;
    std::size_t body_end = 0;    // one past the last body line
    std::size_t tail_begin = 0;  // first line kept after the section
};

section_span find_section(const std::vector<std::string>& lines) {
    section_span span;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!is_header(lines[i])) continue;
        span.found = true;
        span.header = i;
        std::size_t j = i + 1;
        while (j < lines.size() && !is_blank(lines[j]) && lines[j][0] != '[') ++j;
        span.body_end = j;
        span.tail_begin = (j < lines.size() && is_blank(lines[j])) ? j + 1 : j;
        return span;
    }
    return span;
}

// A binding of this screen: controller 0 and one of the 18 button ids.
std::optional<button_line> owned(std::string_view line) {
    auto parsed = parse_button_line(line);
    if (!parsed || parsed->control != 0 || parsed->button_id < 0 ||
        parsed->button_id >= control_count) {
        return std::nullopt;
    }
    return parsed;
}

std::string with_crlf(std::string_view line) {
    return std::string(content_of(line)) + "\r\n";
}

std::string format_line(const char* pattern, int a, unsigned b) {
    char buf[64];
    std::snprintf(buf, sizeof buf, pattern, a, b);
    return buf;
}

}  // namespace

std::optional<button_line> parse_button_line(std::string_view line) {
    constexpr std::string_view prefix = "Button=";
    std::string_view c = content_of(line);
    if (!starts_with(c, prefix)) return std::nullopt;
    c.remove_prefix(prefix.size());
    std::vector<std::string_view> fields;
    while (!c.empty()) {
        std::size_t start = c.find_first_not_of(" \t");
        if (start == std::string_view::npos) break;
        c.remove_prefix(start);
        std::size_t end = c.find_first_of(" \t");
        fields.push_back(c.substr(0, end));
        c = end == std::string_view::npos ? std::string_view() : c.substr(end);
    }
    if (fields.size() != 5) return std::nullopt;
    auto control = parse_decimal(fields[0]);
    auto id = parse_decimal(fields[1]);
    auto offset = parse_hex(fields[2]);
    auto axis = parse_decimal(fields[3]);
    auto type = parse_decimal(fields[4]);
    if (!control || !id || !offset || !axis || !type) return std::nullopt;
    return button_line{*control, *id, *offset, *axis, *type};
}

input input_of(std::string_view line) {
    auto b = parse_button_line(line);
    if (!b) return {};
    switch (b->type) {
        case 5:
            return input::key(static_cast<int>(b->offset));
        case 1:
            return input::button(1, static_cast<int>(b->offset));
        case 2: {
            // Axes 0 to 3 are the plug-in's X, Y, Z and Rz (code 5).
            int axis = b->offset <= 2 ? static_cast<int>(b->offset) : b->offset == 5 ? 3 : -1;
            if (axis < 0) return input::joystick_only(1);
            return input::axis(1, axis, b->axis == 0);
        }
        case 3: {
            // The plug-in numbers hat directions clockwise from up.
            static constexpr hat_direction directions[] = {
                hat_direction::up, hat_direction::right, hat_direction::down, hat_direction::left};
            if (b->axis < 0 || b->axis > 3) return input::joystick_only(1);
            return input::pov(1, directions[b->axis]);
        }
        default:
            return {};
    }
}

std::optional<std::string> emu_line(int button_id, const input& bound) {
    if (bound.type == input::kind::key) {
        if (bound.index < 0 || bound.index > 255) return std::nullopt;
        return format_line("Button=0 %02i %02X 0 5\r\n", button_id,
                           static_cast<unsigned>(bound.index));
    }
    if (!storable_joystick(bound.joystick)) return std::nullopt;
    switch (bound.type) {
        case input::kind::button:
            if (bound.index < 0 || bound.index > 255) return std::nullopt;
            return format_line("Button=0 %02i %02X 0 1\r\n", button_id,
                               static_cast<unsigned>(bound.index));
        case input::kind::hat: {
            unsigned d = bound.hat == hat_direction::up      ? 0
                         : bound.hat == hat_direction::right ? 1
                         : bound.hat == hat_direction::down  ? 2
                                                             : 3;
            return format_line("Button=0 %02i 08 %u 3\r\n", button_id, d);
        }
        case input::kind::axis: {
            static constexpr int codes[] = {0, 1, 2, 5};
            if (bound.index < 0 || bound.index > 3) return std::nullopt;
            char buf[64];
            std::snprintf(buf, sizeof buf, "Button=0 %02i %i %i 2\r\n", button_id,
                          codes[bound.index], bound.positive ? 0 : 1);
            return std::string(buf);
        }
        default:
            return std::nullopt;
    }
}

std::string guid_line(std::string_view guid) {
    return std::string(device_prefix) + std::string(guid) + "\r\n";
}

bindings load(std::string_view text) {
    bindings out;
    std::vector<std::string> lines = split_lines(text);
    section_span span = find_section(lines);
    if (span.found) {
        std::array<std::string, control_count> by_id;
        for (std::size_t i = span.header + 1; i < span.body_end; ++i) {
            // A later line for the same button wins, as the plug-in reads them.
            if (auto b = owned(lines[i])) by_id[static_cast<std::size_t>(b->button_id)] = lines[i];
        }
        for (std::size_t k = 0; k < out.size(); ++k) {
            out[k].emu = by_id[static_cast<std::size_t>(button_ids[k])];
        }
    }
    for (binding& b : out) b.id = input_of(b.emu);
    return out;
}

std::string save(std::string_view text, const bindings& controls,
                 const platform::device_list& devices) {
    std::vector<std::string> lines = split_lines(text);
    section_span span = find_section(lines);

    std::string head;
    std::string tail;
    // Lines the screen does not own. Those before the first device line named no device and go
    // back before the bindings; the others go after them under their own device line.
    std::string kept_before;
    std::vector<std::pair<std::string, std::string>> kept_after;  // device line, line
    std::string file_keyboard_guid;
    std::string file_joystick_guid;
    if (span.found) {
        for (std::size_t i = 0; i < span.header; ++i) head += lines[i];
        // What stands before the header on its line (a byte-order mark) stays before it.
        head += lines[span.header].substr(0, lines[span.header].find(header));
        for (std::size_t i = span.tail_begin; i < lines.size(); ++i) tail += lines[i];
        std::string device;
        for (std::size_t i = span.header + 1; i < span.body_end; ++i) {
            std::string_view c = content_of(lines[i]);
            if (starts_with(c, device_prefix)) {
                device = std::string(c);
                continue;
            }
            if (c == format_comment || c == keyboard_comment || c == joystick_comment) continue;
            if (auto b = owned(lines[i])) {
                std::string& guid = b->type == 5 ? file_keyboard_guid : file_joystick_guid;
                if (guid.empty() && !device.empty()) guid = device.substr(device_prefix.size());
                continue;
            }
            if (device.empty()) {
                kept_before += with_crlf(lines[i]);
            } else {
                kept_after.emplace_back(device, with_crlf(lines[i]));
            }
        }
    } else {
        head = std::string(text);
        if (!head.empty() && head.back() != '\n') head += "\r\n";
    }

    std::string keyboard_lines;
    std::string joystick_lines;
    for (std::size_t k = 0; k < controls.size(); ++k) {
        const binding& b = controls[k];
        std::string line = b.emu.empty() ? std::string() : with_crlf(b.emu);
        if (b.captured) {
            if (auto written = emu_line(button_ids[k], b.id)) line = *written;
        }
        if (line.empty()) continue;
        auto parsed = parse_button_line(line);
        (parsed && parsed->type == 5 ? keyboard_lines : joystick_lines) += line;
    }

    std::string keyboard_guid = !devices.keyboard.empty()     ? devices.keyboard
                                : !file_keyboard_guid.empty() ? file_keyboard_guid
                                                              : std::string(zero_guid);
    std::string joystick_guid = !devices.controllers.empty()  ? devices.controllers[0].guid
                                : !file_joystick_guid.empty() ? file_joystick_guid
                                                              : std::string(zero_guid);

    std::string out = head;
    out += std::string(header) + "\r\n";
    out += std::string(format_comment) + "\r\n";
    out += kept_before;
    std::string last_device;
    if (!keyboard_lines.empty()) {
        out += std::string(keyboard_comment) + "\r\n";
        last_device = std::string(device_prefix) + keyboard_guid;
        out += last_device + "\r\n" + keyboard_lines;
    }
    if (!joystick_lines.empty()) {
        out += std::string(joystick_comment) + "\r\n";
        last_device = std::string(device_prefix) + joystick_guid;
        out += last_device + "\r\n" + joystick_lines;
    }
    for (const auto& [device, line] : kept_after) {
        if (device != last_device) {
            out += device + "\r\n";
            last_device = device;
        }
        out += line;
    }
    out += "\r\n";
    out += tail;
    return out;
}

}  // namespace rx::n64
