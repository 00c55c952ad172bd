#include "tests/support/scratch_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kovra::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = fs::temp_directory_path() /
            ("kovra-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string ScratchDir::file(const std::string& name) const {
    return (path_ / name).string();
}

// These go through the C++ library, not the platform layer under test.
std::vector<unsigned char> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    // Read at once where the size is known: byte by byte, a file of megabytes takes the
    // sanitized build most of a second.
    std::streamoff size = in.tellg();
    if (size < 0 || !in.seekg(0))
        throw std::runtime_error("cannot read " + path);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
        throw std::runtime_error("cannot read " + path);
    return bytes;
}

void writeAll(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void setReadOnly(const std::string& path, bool readOnly) {
    constexpr auto kWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(path, kWrite, readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

bool fileExists(const std::string& path) {
    return fs::exists(path);
}

} // namespace kovra::test
