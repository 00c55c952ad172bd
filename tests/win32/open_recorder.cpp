// Stands in for the player associated with .avi files: writes down how it was started, so a
// test can see what the shell's "open" verb handed over.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* log = std::getenv("KOVRA_OPEN_LOG");
    if (!log)
        return 2;
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    // Written under another name and renamed, so the test never reads half a record.
    std::string partial = std::string(log) + ".part";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out)
        return 3;
    std::fprintf(out, "arguments %d\nshow %d\n", argc - 1, show);
    for (int i = 1; i < argc; ++i)
        std::fprintf(out, "%s\n", argv[i]);
    std::fclose(out);
    return MoveFileA(partial.c_str(), log) ? 0 : 4;
}
