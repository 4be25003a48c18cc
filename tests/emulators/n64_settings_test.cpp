// 1964 plug-in settings: inputs of binding lines both ways, and the [Controls] section rebuilt.
#include "emulators/n64_settings.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using rx::binding;
using rx::hat_direction;
using rx::input;
using rx::n64::bindings;

const std::string keyboard = "{6F1D2B61-D5A0-11CF-BFC7-444553540000}";
const std::string pad_one = "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}";
const std::string pad_two = "{11111111-2222-3333-4444-555555555555}";

rx::platform::device_list devices(std::vector<std::string> pads) {
    rx::platform::device_list list;
    list.enumerated = true;
    list.keyboard = keyboard;
    for (auto& guid : pads) list.controllers.push_back({"Pad", guid});
    return list;
}

// The screen index of a button id.
std::size_t index_of(int button_id) {
    for (std::size_t k = 0; k < rx::n64::button_ids.size(); ++k) {
        if (rx::n64::button_ids[k] == button_id) return k;
    }
    return 99;
}

// What a capture box does to a control.
void set(bindings& b, int button_id, const input& captured) {
    b[index_of(button_id)].id = captured;
    b[index_of(button_id)].captured = true;
}

void set_all(bindings& b, const input& captured) {
    for (int id : rx::n64::button_ids) set(b, id, captured);
}

TEST(N64Inputs, LinesAndInputsBothWays) {
    const std::pair<const char*, input> read[] = {
        {"Button=0 17 C8 0 5\r\n", input::key(200)},
        {"Button=0 04 9C 0 5\r\n", input::key(156)},
        {"Button=0 02 01 1 2\r\n", input::axis(1, 1, false)},
        {"Button=0 02 5 0 2\r\n", input::axis(1, 3, true)},
        {"Button=0 02 4 0 2\r\n", input::joystick_only(1)},
        {"Button=0 03 08 0 3\r\n", input::pov(1, hat_direction::up)},
        {"Button=0 03 08 3 3\n", input::pov(1, hat_direction::left)},
        {"Button=0 03 08 4 3\n", input::joystick_only(1)},
        {"Button=0 05 0A 0 1\r\n", input::button(1, 10)},
        {"Button=0 05 0A 0 9\r\n", input{}},
        {"Button=0 05\r\n", input{}},
        {"", input{}}};
    for (const auto& [line, id] : read)
        EXPECT_EQ(rx::n64::input_of(line), id) << line << " should read as " << input_name(id);

    const std::tuple<int, input, const char*> written[] = {
        {17, input::key(200), "Button=0 17 C8 0 5\r\n"},
        {4, input::key(28), "Button=0 04 1C 0 5\r\n"},
        {5, input::button(1, 10), "Button=0 05 0A 0 1\r\n"},
        {2, input::axis(1, 1, false), "Button=0 02 1 1 2\r\n"},
        {2, input::axis(2, 3, true), "Button=0 02 5 0 2\r\n"},
        {3, input::pov(1, hat_direction::right), "Button=0 03 08 1 3\r\n"},
        {12, input::button(9, 3), "Button=0 12 03 0 1\r\n"}};
    for (const auto& [id, bound, line] : written) EXPECT_EQ(rx::n64::emu_line(id, bound), line);
    // Inputs the file cannot hold leave the control's line as it was.
    for (const input& unstorable : {input::axis(1, 4, true), input::joystick_only(1),
                                    input::button(10, 1), input::value(300), input{}})
        EXPECT_FALSE(rx::n64::emu_line(3, unstorable).has_value()) << input_name(unstorable);
    // Every line a capture can produce reads back as the same input.
    for (const input& captured : {input::key(29), input::button(1, 0), input::axis(1, 0, false),
                                  input::axis(1, 2, true), input::pov(1, hat_direction::down)}) {
        auto line = rx::n64::emu_line(9, captured);
        ASSERT_TRUE(line.has_value()) << input_name(captured);
        EXPECT_EQ(rx::n64::input_of(*line), captured);
    }
}

TEST(N64Load, ReadsOnlyThisScreensBindingsOfTheSection) {
    std::string text =
        "[Controls]\r\n"
        "Button=0 17 C8 0 5\r\n"
        "Button=1 16 D0 0 5\r\n"  // controller 2
        "Button=0 99 1E 0 5\r\n"  // no such button: must not index past the table
        "Button=0 02 01 1 2\r\n"
        "Button=0 17 CB 0 5\r\n"  // a later line for the same button wins
        "\r\n"
        "[Other]\r\nButton=0 16 D0 0 5\r\n";
    bindings b = rx::n64::load(text);
    EXPECT_EQ(b[0].id, input::key(203));
    EXPECT_EQ(b[0].emu, "Button=0 17 CB 0 5\r\n");
    EXPECT_EQ(b[1].id, input{});  // the controller-2 line and the other section are not ours
    EXPECT_EQ(b[index_of(2)].id, input::axis(1, 1, false));
    for (const binding& x : b) EXPECT_FALSE(x.captured);
    // A section that is not closed by a blank line ends at the next header.
    b = rx::n64::load("x\n[Controls]\nButton=0 16 D0 0 5\n[Other]\nButton=0 17 C8 0 5\n");
    EXPECT_EQ(b[1].id, input::key(208));
    EXPECT_EQ(b[0].id, input{});
    EXPECT_EQ(rx::n64::load("no section\r\nButton=0 17 C8 0 5\r\n")[0].id, input{});
}

TEST(N64Load, TheSectionStartsAtTheFirstLineHoldingItsHeader) {
    // A byte-order mark before the header, or text after it, still names the section.
    for (const std::string header : {"\xEF\xBB\xBF[Controls]", "[Controls] ; 1964 input"}) {
        const std::string text = header + "\r\nButton=0 17 C8 0 5\r\n\r\n[Other]\r\nx=1\r\n";
        bindings b = rx::n64::load(text);
        EXPECT_EQ(b[0].id, input::key(200)) << header;
        set(b, 16, input::key(208));
        const std::string out = rx::n64::save(text, b, devices({}));
        // Rebuilt in place: one section, the text before the header and after the section kept.
        EXPECT_EQ(out.find("[Controls]"), header.find("[Controls]")) << out;
        EXPECT_EQ(out.find("[Controls]", out.find("[Controls]") + 1), std::string::npos) << out;
        EXPECT_EQ(out.substr(0, header.find("[Controls]")), header.substr(0, header.find("[")));
        EXPECT_NE(out.find("Button=0 17 C8 0 5\r\nButton=0 16 D0 0 5\r\n\r\n[Other]\r\nx=1\r\n"),
                  std::string::npos)
            << out;
    }
}

TEST(N64Save, WritesTheGuidAndButtonLinesFromTheDeviceList) {
    std::string text = "[Controls]\r\n\r\n";
    bindings b = rx::n64::load(text);
    for (std::size_t k = 0; k < b.size(); ++k)
        set(b, rx::n64::button_ids[k], input::button(1, static_cast<int>(k)));
    set(b, 17, input::key(200));
    set(b, 4, input::key(28));
    set(b, 2, input::axis(1, 1, false));
    set(b, 3, input::pov(1, hat_direction::up));
    std::string out = rx::n64::save(text, b, devices({pad_one, pad_two}));
    EXPECT_EQ(out,
              "[Controls]\r\n"
              "# Button format: controlnum buttonID bOffset bAxisID bBtnType\r\n"
              "#Keyboard\r\n"
              "DInputGUID={6F1D2B61-D5A0-11CF-BFC7-444553540000}\r\n"
              "Button=0 17 C8 0 5\r\n"
              "Button=0 04 1C 0 5\r\n"
              "#Joystick\r\n"
              "DInputGUID={0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}\r\n"
              "Button=0 16 01 0 1\r\n"
              "Button=0 15 02 0 1\r\n"
              "Button=0 14 03 0 1\r\n"
              "Button=0 07 05 0 1\r\n"
              "Button=0 06 06 0 1\r\n"
              "Button=0 13 07 0 1\r\n"
              "Button=0 12 08 0 1\r\n"
              "Button=0 05 09 0 1\r\n"
              "Button=0 03 08 0 3\r\n"
              "Button=0 02 1 1 2\r\n"
              "Button=0 01 0C 0 1\r\n"
              "Button=0 00 0D 0 1\r\n"
              "Button=0 11 0E 0 1\r\n"
              "Button=0 10 0F 0 1\r\n"
              "Button=0 09 10 0 1\r\n"
              "Button=0 08 11 0 1\r\n"
              "\r\n");
    // All keys: no joystick group and no controller GUID at all.
    set_all(b, input::key(30));
    out = rx::n64::save(text, b, devices({pad_one}));
    EXPECT_EQ(out.find("#Joystick"), std::string::npos);
    EXPECT_EQ(out.find(pad_one), std::string::npos);
    set_all(b, input::button(1, 1));
    out = rx::n64::save(text, b, devices({}));
    EXPECT_EQ(out.find("#Keyboard"), std::string::npos);
    EXPECT_NE(out.find("DInputGUID={00000000-0000-0000-0000-000000000000}\r\n"), std::string::npos);
}

TEST(N64Save, KeepsEveryLineItDoesNotOwnAndTheTextAroundTheSection) {
    const std::string head = "; 1964 input\r\n[General]\r\nPad=1\r\n\r\n";
    const std::string tail = "[Other]\nWeird line \x01\x7f no CR\n\n\r\ntrailing";
    std::string text = head +
                       "[Controls]\r\n"
                       "# Button format: controlnum buttonID bOffset bAxisID bBtnType\r\n"
                       "# my own note\r\n"
                       "#Keyboard\r\n"
                       "DInputGUID=" +
                       keyboard +
                       "\r\n"
                       "Button=0 17 C8 0 5\r\n"
                       "Button=0 18 1E 0 5\r\n"  // a button id this screen does not show
                       "#Joystick\r\n"
                       "DInputGUID=" +
                       pad_two +
                       "\r\n"
                       "Button=1 16 01 0 1\r\n"  // controller 2
                       "Button=0 16 01 0 1\r\n"
                       "garbage that does not parse\r\n"
                       "\r\n" +
                       tail;
    bindings b = rx::n64::load(text);
    set(b, 16, input::button(1, 4));
    std::string out = rx::n64::save(text, b, devices({pad_one}));
    EXPECT_EQ(out.substr(0, head.size()), head);
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(out.substr(head.size(), out.size() - head.size() - tail.size()),
              "[Controls]\r\n"
              "# Button format: controlnum buttonID bOffset bAxisID bBtnType\r\n"
              "# my own note\r\n"  // stood under no device line
              "#Keyboard\r\n"
              "DInputGUID=" +
                  keyboard +
                  "\r\n"
                  "Button=0 17 C8 0 5\r\n"
                  "#Joystick\r\n"
                  "DInputGUID=" +
                  pad_one +
                  "\r\n"
                  "Button=0 16 04 0 1\r\n"
                  "DInputGUID=" +
                  keyboard +
                  "\r\n"
                  "Button=0 18 1E 0 5\r\n"
                  "DInputGUID=" +
                  pad_two +
                  "\r\n"
                  "Button=1 16 01 0 1\r\n"
                  "garbage that does not parse\r\n"
                  "\r\n");
    // Saving what was saved changes nothing more.
    EXPECT_EQ(rx::n64::save(out, rx::n64::load(out), devices({pad_one})), out);
}

TEST(N64Save, UnchangedBindingsKeepTheirLinesAndTheirDevice) {
    std::string text =
        "[Controls]\r\n"
        "DInputGUID=" +
        keyboard +
        "\r\n"
        "Button=0 17 01 0 5\r\n"  // Escape: shown as "1", which names another key
        "Button=0 04 9C 0 5\r\n"  // keypad Enter, shown as "Enter"
        "DInputGUID=" +
        pad_two +
        "\r\n"
        "Button=0 02 01 1 2\r\n"
        "\r\n";
    bindings b = rx::n64::load(text);
    EXPECT_EQ(shown_name(b[0]), "1");
    // No controller is attached now: the joystick lines keep the device the file named.
    std::string out = rx::n64::save(text, b, devices({}));
    EXPECT_NE(out.find("Button=0 17 01 0 5\r\n"), std::string::npos);
    EXPECT_NE(out.find("Button=0 04 9C 0 5\r\n"), std::string::npos);
    EXPECT_NE(out.find("DInputGUID=" + pad_two + "\r\nButton=0 02 01 1 2\r\n"), std::string::npos);
    // Either Enter captures as the main one.
    set(b, 4, input::key(28));
    out = rx::n64::save(text, b, devices({}));
    EXPECT_NE(out.find("Button=0 04 1C 0 5\r\n"), std::string::npos);
}

TEST(N64Save, AFileWithoutTheSectionGetsItAdded) {
    bindings b = rx::n64::load("");
    set(b, 17, input::key(200));
    const std::string text = "[General]\r\nPad=1";  // no line end at the end
    std::string out = rx::n64::save(text, b, devices({}));
    EXPECT_EQ(out, text +
                       "\r\n[Controls]\r\n"
                       "# Button format: controlnum buttonID bOffset bAxisID bBtnType\r\n"
                       "#Keyboard\r\nDInputGUID=" +
                       keyboard + "\r\nButton=0 17 C8 0 5\r\n\r\n");
    EXPECT_EQ(rx::n64::load(out)[0].id, input::key(200));
    // A section without its blank line before the next header does not swallow that header.
    std::string open = "[Controls]\r\nButton=0 17 C8 0 5\r\n[Next]\r\nkeep=1\r\n";
    out = rx::n64::save(open, rx::n64::load(open), devices({}));
    EXPECT_NE(out.find("Button=0 17 C8 0 5\r\n\r\n[Next]\r\nkeep=1\r\n"), std::string::npos);
}

}  // namespace
