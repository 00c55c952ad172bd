// Other programs (ffmpeg, ffprobe) run from a test on POSIX: no shell, no standard input.
#pragma once

#include <string>
#include <vector>

namespace kovra::test {

// Runs args[0] from PATH with its output and errors into the file out; its exit status, or
// -1 when it could not be started or did not exit.
int runProgram(const std::vector<std::string>& args, const std::string& out);
bool onPath(const std::string& program);
std::string readText(const std::string& path);

} // namespace kovra::test
