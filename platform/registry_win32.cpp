// The current user's registry on Windows: values under HKEY_CURRENT_USER through the Reg*A calls.
#include <windows.h>

#include "platform/registry.h"
#include "platform/registry_text.h"

namespace rx::platform {

namespace {

struct raw_value {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
};

std::optional<raw_value> query(const std::string& key, const std::string& name) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE, &handle) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    raw_value value;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(handle, name.c_str(), nullptr, &value.type, nullptr, &size);
    // The value may grow between asking its size and reading it; ask again then.
    for (int attempt = 0; rc == ERROR_SUCCESS && attempt < 4; ++attempt) {
        value.data.resize(size);
        rc = RegQueryValueExA(handle, name.c_str(), nullptr, &value.type,
                              value.data.empty() ? nullptr : value.data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            rc = ERROR_SUCCESS;
            continue;
        }
        value.data.resize(size);
        break;
    }
    RegCloseKey(handle);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return value;
}

bool set(const std::string& key, const std::string& name, DWORD type, const BYTE* data,
         DWORD size) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG rc = RegSetValueExA(handle, name.c_str(), 0, type, data, size);
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS;
}

DWORD type_of(registry_value::kind kind) {
    switch (kind) {
        case registry_value::kind::dword:
            return REG_DWORD;
        case registry_value::kind::string:
            return REG_SZ;
        case registry_value::kind::binary:
            break;
    }
    return REG_BINARY;
}

class win32_registry final : public registry {
  public:
    // A REG_DWORD, or a 4-byte REG_BINARY as nester keeps DeviceNumber.
    std::optional<std::uint32_t> read_dword(const std::string& key,
                                            const std::string& name) override {
        auto value = query(key, name);
        if (!value || value->data.size() != 4) return std::nullopt;
        if (value->type != REG_DWORD && value->type != REG_BINARY) return std::nullopt;
        return registry_text::dword_value(value->data);
    }

    std::optional<std::string> read_string(const std::string& key,
                                           const std::string& name) override {
        auto value = query(key, name);
        if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return std::nullopt;
        return registry_text::string_value(value->data);
    }

    std::optional<std::vector<std::uint8_t>> read_binary(const std::string& key,
                                                         const std::string& name) override {
        auto value = query(key, name);
        if (!value || (value->type != REG_BINARY && value->type != REG_DWORD)) return std::nullopt;
        return value->data;
    }

    bool write_dword(const std::string& key, const std::string& name,
                     std::uint32_t value) override {
        DWORD v = value;
        return set(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    }

    bool write_string(const std::string& key, const std::string& name,
                      const std::string& value) override {
        // The stored size counts the terminating NUL.
        return set(key, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    }

    bool write_binary(const std::string& key, const std::string& name,
                      const std::vector<std::uint8_t>& value) override {
        return set(key, name, REG_BINARY, value.empty() ? nullptr : value.data(),
                   static_cast<DWORD>(value.size()));
    }

    bool key_exists(const std::string& key) override {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return false;
        RegCloseKey(handle);
        return true;
    }

    // The Windows registry has no transaction here; every value is still tried, and any failure
    // is reported.
    bool write_values(const std::string& key, const std::vector<registry_value>& values) override {
        HKEY handle = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        bool all = true;
        for (const registry_value& v : values) {
            std::vector<std::uint8_t> bytes = v.data;
            // Strings are stored with their terminating NUL.
            if (v.type == registry_value::kind::string) bytes.push_back(0);
            LONG rc = RegSetValueExA(handle, v.name.c_str(), 0, type_of(v.type),
                                     bytes.empty() ? nullptr : bytes.data(),
                                     static_cast<DWORD>(bytes.size()));
            if (rc != ERROR_SUCCESS) all = false;
        }
        if (RegCloseKey(handle) != ERROR_SUCCESS) all = false;
        return all;
    }
};

}  // namespace

registry& user_registry() {
    static win32_registry store;
    return store;
}

}  // namespace rx::platform
