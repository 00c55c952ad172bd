// stream_copy FROM TO: a plain copy of a file, or of a folder tree file by file, read and
// written through a fixed 1 MiB buffer, for the benchmarks to measure against. Unlike cp (and
// the platform's own copy), which have the kernel copy the bytes, it moves them through user
// space as a repair must.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

bool streamCopy(const char* from, const char* to) {
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        close(in);
        return false;
    }
    static std::vector<char> buffer(kBufferSize);
    bool ok = true;
    for (;;) {
        ssize_t got = read(in, buffer.data(), buffer.size());
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t put = 0; ok && put < got;) {
            ssize_t n = write(out, buffer.data() + put, static_cast<std::size_t>(got - put));
            ok = n > 0;
            put += n > 0 ? n : 0;
        }
        if (!ok)
            break;
    }
    close(in);
    return close(out) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 3) {
        std::fprintf(stderr, "usage: stream_copy FROM TO\n");
        return 2;
    }
    const fs::path from = argv[1], to = argv[2];
    if (!fs::is_directory(from))
        return streamCopy(from.c_str(), to.c_str()) ? 0 : 1;
    std::error_code error;
    fs::create_directories(to, error);
    for (fs::recursive_directory_iterator it(from, error), end; !error && it != end;
         it.increment(error)) {
        fs::path target = to / fs::relative(it->path(), from);
        if (it->is_directory()) {
            fs::create_directories(target, error);
        } else if (!streamCopy(it->path().c_str(), target.c_str())) {
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
