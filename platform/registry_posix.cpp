// The user's registry on POSIX: one text file, read on every call, replaced whole on each write.
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <string>

#include "platform/file.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/registry_text.h"

namespace rx::platform {

namespace {

namespace rt = registry_text;

std::string registry_path() {
    std::string path = get_environment("RELICADE_REGISTRY_FILE");
    if (!path.empty()) return path;
    std::string config = get_environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') {
        std::string home = get_environment("HOME");
        if (home.empty()) {
            const passwd* pw = getpwuid(getuid());
            if (pw != nullptr && pw->pw_dir != nullptr) home = pw->pw_dir;
        }
        if (home.empty()) return {};
        config = home + "/.config";
    }
    return config + "/relicade/registry";
}

bool make_parent_folders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

// Whole file into `text`; a missing file is an empty registry, any other failure is an error.
bool read_file(const std::string& path, std::string& text) {
    text.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    char buffer[8192];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

// Serialises writers across processes; the lock file stays in place because the data file is
// replaced.
class file_lock {
  public:
    explicit file_lock(const std::string& path) {
        fd_ = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~file_lock() {
        if (fd_ >= 0) ::close(fd_);
    }
    file_lock(const file_lock&) = delete;
    file_lock& operator=(const file_lock&) = delete;

  private:
    int fd_ = -1;
};

class file_registry final : public registry {
  public:
    std::optional<std::uint32_t> read_dword(const std::string& key,
                                            const std::string& name) override {
        auto value = read(key, name);
        if (!value || value->data.size() != 4 || value->type == rt::value_type::string)
            return std::nullopt;
        return rt::dword_value(value->data);
    }

    std::optional<std::string> read_string(const std::string& key,
                                           const std::string& name) override {
        auto value = read(key, name);
        if (!value || value->type != rt::value_type::string) return std::nullopt;
        return rt::string_value(value->data);
    }

    std::optional<std::vector<std::uint8_t>> read_binary(const std::string& key,
                                                         const std::string& name) override {
        auto value = read(key, name);
        if (!value || value->type == rt::value_type::string) return std::nullopt;
        return value->data;
    }

    bool write_dword(const std::string& key, const std::string& name,
                     std::uint32_t value) override {
        std::vector<std::uint8_t> data;
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return write(key, name, rt::value_type::dword, std::move(data));
    }

    bool write_string(const std::string& key, const std::string& name,
                      const std::string& value) override {
        return write(key, name, rt::value_type::string,
                     std::vector<std::uint8_t>(value.begin(), value.end()));
    }

    bool write_binary(const std::string& key, const std::string& name,
                      const std::vector<std::uint8_t>& value) override {
        return write(key, name, rt::value_type::binary, value);
    }

    bool key_exists(const std::string& key) override {
        std::string path = registry_path();
        std::string text;
        if (path.empty() || !read_file(path, text)) return false;
        return rt::has_key(rt::parse(text), key);
    }

    bool write_values(const std::string& key, const std::vector<registry_value>& values) override {
        return edit([&](rt::document& doc) {
            rt::add_key(doc, key);
            for (const registry_value& v : values)
                rt::set(doc, key, v.name, type_of(v.type), v.data);
        });
    }

  private:
    std::optional<rt::line> read(const std::string& key, const std::string& name) {
        std::string path = registry_path();
        std::string text;
        if (path.empty() || !read_file(path, text)) return std::nullopt;
        rt::document doc = rt::parse(text);
        const rt::line* found = rt::find(doc, key, name);
        if (found == nullptr) return std::nullopt;
        return *found;
    }

    static rt::value_type type_of(registry_value::kind kind) {
        switch (kind) {
            case registry_value::kind::dword:
                return rt::value_type::dword;
            case registry_value::kind::string:
                return rt::value_type::string;
            case registry_value::kind::binary:
                break;
        }
        return rt::value_type::binary;
    }

    bool write(const std::string& key, const std::string& name, rt::value_type type,
               std::vector<std::uint8_t> data) {
        return edit([&](rt::document& doc) { rt::set(doc, key, name, type, std::move(data)); });
    }

    // One locked read, change and replace of the whole store.
    template <typename Change>
    bool edit(Change&& change) {
        std::string path = registry_path();
        if (path.empty() || !make_parent_folders(path)) return false;
        std::lock_guard<std::mutex> guard(mutex_);
        file_lock lock(path);
        std::string text;
        // An unreadable registry must not be replaced by one holding only this change.
        if (!read_file(path, text)) return false;
        rt::document doc = rt::parse(text);
        change(doc);
        return replace_file(path, rt::serialise(doc), 0600).empty();
    }

    std::mutex mutex_;
};

}  // namespace

registry& user_registry() {
    static file_registry store;
    return store;
}

}  // namespace rx::platform
