// Whether a progress line on stderr has a person to read it.
#pragma once

namespace kovra::cli {

// One file per system, picked by the build.
bool errorsGoToTerminal();

} // namespace kovra::cli
