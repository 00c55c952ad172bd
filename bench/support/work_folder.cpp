#include "bench/support/work_folder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace kovra::bench {

namespace fs = std::filesystem;

WorkFolder::WorkFolder(const std::string& name)
    : path_(fs::path(KOVRA_BENCH_WORK) / (name + "-" + std::to_string(::getpid()))) {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    fs::create_directories(path_);
}

WorkFolder::~WorkFolder() {
    if (std::getenv("KOVRA_BENCH_KEEP"))
        return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void WorkFolder::settle() const {
    int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::syncfs(fd);
    ::close(fd);
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool writeBytes(const fs::path& path, const std::uint8_t* data, std::size_t n) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
    return static_cast<bool>(out);
}

std::size_t countOf(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

} // namespace kovra::bench
