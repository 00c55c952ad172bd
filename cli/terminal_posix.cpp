#include <unistd.h>

#include "cli/terminal.h"

namespace kovra::cli {

bool errorsGoToTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace kovra::cli
