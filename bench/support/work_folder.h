// The folder a benchmark writes its files to, under the build tree, removed afterwards (kept,
// to look into, where KOVRA_BENCH_KEEP is set).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kovra::bench {

class WorkFolder {
  public:
    // KOVRA_BENCH_WORK/<name>-<pid>, made empty.
    explicit WorkFolder(const std::string& name);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

    // Writes back what earlier steps left dirty on this file system, so that writeback does
    // not fall into the next measurement. The page cache itself is left alone.
    void settle() const;

  private:
    std::filesystem::path path_;
};

std::string readText(const std::filesystem::path& path);
bool writeBytes(const std::filesystem::path& path, const std::uint8_t* data, std::size_t n);
// How often needle occurs in text.
std::size_t countOf(const std::string& text, const std::string& needle);

} // namespace kovra::bench
