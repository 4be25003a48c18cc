// Test support: the program folder, throw-away folders and whole-file reads and writes.
#pragma once
#include <string>

namespace rx::test {

// The build's program folder (programs, librxlib.so, artwork, rx_service and its sample).
std::string program_dir();

// A fresh folder under the system temp folder, named after `prefix`; "" when it cannot be made.
std::string make_temp_dir(const std::string& prefix = "rx_test");
void remove_tree(const std::string& path);

// A fresh folder that lives as long as the object.
class temp_dir {
  public:
    explicit temp_dir(const std::string& prefix = "rx_test") : path_(make_temp_dir(prefix)) {}
    ~temp_dir() { remove_tree(path_); }
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// The whole file as bytes; "" when it cannot be read.
std::string read_file(const std::string& path);
// Replaces the file with `bytes`; false when it cannot be written.
bool write_file(const std::string& path, const std::string& bytes);

}  // namespace rx::test
