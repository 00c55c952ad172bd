// stream_copy FROM TO: a plain copy of a file, or of a folder tree file by file, through the
// platform's own streaming copy (fixed buffer, read and write), for the benchmarks to measure
// against. Unlike cp, which has the kernel copy the bytes, it moves them through user space
// as export and repair must.
#include <cstdio>
#include <filesystem>

#include "platform/platform.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 3) {
        std::fprintf(stderr, "usage: stream_copy FROM TO\n");
        return 2;
    }
    const fs::path from = argv[1], to = argv[2];
    kovra::Platform& platform = kovra::systemPlatform();
    if (!fs::is_directory(from))
        return platform.copy(from.c_str(), to.c_str()) == kovra::OsError::None ? 0 : 1;
    std::error_code error;
    fs::create_directories(to, error);
    for (fs::recursive_directory_iterator it(from, error), end; !error && it != end;
         it.increment(error)) {
        fs::path target = to / fs::relative(it->path(), from);
        if (it->is_directory()) {
            fs::create_directories(target, error);
        } else if (platform.copy(it->path().c_str(), target.c_str()) != kovra::OsError::None) {
            std::fprintf(stderr, "stream_copy: cannot copy %s\n", it->path().c_str());
            return 1;
        }
    }
    if (error) {
        std::fprintf(stderr, "stream_copy: %s\n", error.message().c_str());
        return 1;
    }
    return 0;
}
