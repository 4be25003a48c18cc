// Device GUIDs on Windows: GUID_SysKeyboard and the attached game controllers from DirectInput 8.
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0800
#endif
// clang-format off
#include <windows.h>
#include <dinput.h>  // needs windows.h first
// clang-format on

#include <cstring>

#include "platform/input_guid.h"

namespace rx::platform {

namespace {

std::string text_of(const GUID& guid) {
    std::array<std::uint8_t, 16> bytes{};
    static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");
    std::memcpy(bytes.data(), &guid, sizeof guid);
    return guid_text(bytes);
}

BOOL CALLBACK add_controller(LPCDIDEVICEINSTANCEA device, LPVOID list) {
    input_device entry;
    entry.name = device->tszProductName;
    entry.guid = text_of(device->guidInstance);
    static_cast<std::vector<input_device>*>(list)->push_back(std::move(entry));
    return DIENUM_CONTINUE;
}

}  // namespace

std::string keyboard_guid() {
    return text_of(GUID_SysKeyboard);
}

// Every attached controller is listed, in enumeration order, so that the n-th entry is the n-th
// joystick however many there are.
device_list enumerate_input_devices() {
    device_list list;
    list.keyboard = keyboard_guid();
    IDirectInput8A* input = nullptr;
    if (FAILED(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION,
                                  IID_IDirectInput8A, reinterpret_cast<void**>(&input), nullptr)) ||
        input == nullptr) {
        return list;
    }
    HRESULT rc = input->EnumDevices(DI8DEVCLASS_GAMECTRL, add_controller, &list.controllers,
                                    DIEDFL_ATTACHEDONLY);
    input->Release();
    list.enumerated = SUCCEEDED(rc);
    if (!list.enumerated) list.controllers.clear();
    return list;
}

}  // namespace rx::platform
