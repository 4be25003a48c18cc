// Settings under the current user's registry (HKEY_CURRENT_USER); a file-backed store on POSIX.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rx::platform {

// One value of a key as write_values sets it; `data` holds the bytes the registry stores (a dword
// little-endian, a string without its terminator).
struct registry_value {
    enum class kind { dword, binary, string };
    std::string name;
    kind type = kind::binary;
    std::vector<std::uint8_t> data;
};

// A seam so that tests and the controls screens can work against a fake store.
class registry {
  public:
    virtual ~registry() = default;
    // `key` is a path below HKEY_CURRENT_USER with '\' between levels, e.g.
    // "Software\\nester\\input".
    virtual std::optional<std::uint32_t> read_dword(const std::string& key,
                                                    const std::string& name) = 0;
    virtual std::optional<std::string> read_string(const std::string& key,
                                                   const std::string& name) = 0;
    virtual std::optional<std::vector<std::uint8_t>> read_binary(const std::string& key,
                                                                 const std::string& name) = 0;
    // Writes create the key when it is missing; false when the store could not be written.
    virtual bool write_dword(const std::string& key, const std::string& name,
                             std::uint32_t value) = 0;
    virtual bool write_string(const std::string& key, const std::string& name,
                              const std::string& value) = 0;
    virtual bool write_binary(const std::string& key, const std::string& name,
                              const std::vector<std::uint8_t>& value) = 0;
    // True when the key (or a key below it) is there, whether or not it holds values.
    virtual bool key_exists(const std::string& key) = 0;
    // Creates the key when it is missing and sets all `values` in one write of the store, so a
    // reader never sees half of them; false when the store could not be written.
    virtual bool write_values(const std::string& key,
                              const std::vector<registry_value>& values) = 0;
};

// The current user's registry (on POSIX a file in $XDG_CONFIG_HOME/relicade, written atomically).
registry& user_registry();

}  // namespace rx::platform
