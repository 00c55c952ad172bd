#include "cli/output.h"

#include <iostream>

namespace kovra::cli {

void warn(const std::string& message) {
    std::cerr << kProgramName << ": " << message << '\n';
}

void printJson(const nlohmann::json& document) {
    std::cout << document.dump(2) << '\n';
}

} // namespace kovra::cli
