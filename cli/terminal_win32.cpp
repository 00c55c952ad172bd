#include <windows.h>

#include "cli/terminal.h"

namespace kovra::cli {

bool errorsGoToTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

} // namespace kovra::cli
