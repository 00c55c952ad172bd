// A fresh, empty folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kovra::test {

class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The full path of name inside the folder, in the platform's own form.
    std::string file(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

std::vector<unsigned char> readAll(const std::string& path);
void writeAll(const std::string& path, const std::vector<unsigned char>& bytes);
bool fileExists(const std::string& path);
// The file's write permission off (Windows: its read-only attribute) or on again.
void setReadOnly(const std::string& path, bool readOnly);

} // namespace kovra::test
