// Other programs (ffmpeg, ffprobe) run from a test on POSIX: no shell, no standard input; and
// a part of a test run in a forked child, where it may end the process.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace kovra::test {

// Runs args[0] from PATH with its output and errors into the file out; its exit status, or
// -1 when it could not be started or did not exit.
int runProgram(const std::vector<std::string>& args, const std::string& out);
// How a child ended: its exit code, or the signal that killed it.
struct ChildEnd {
    enum How { NotRun, Exited, Killed } how = NotRun;
    int code = 0; // the exit code, or the signal

    bool operator==(const ChildEnd& other) const { return how == other.how && code == other.code; }
};
inline std::ostream& operator<<(std::ostream& out, const ChildEnd& end) {
    const char* how[] = {"not run", "exited", "killed by signal"};
    return out << how[end.how] << " " << end.code;
}

// Runs body in a forked child, which exits with body's result. The child must keep to what
// is safe after fork in a single-threaded test (no gtest assertions: they report nowhere).
ChildEnd runInChild(const std::function<int()>& body);

bool onPath(const std::string& program);
std::string readText(const std::string& path);

} // namespace kovra::test
