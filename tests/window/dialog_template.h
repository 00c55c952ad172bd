// Reads an extended dialog template from the program's resources, so that the live window can
// be compared with what the template asked the platform for.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

namespace kovra::test {

struct TemplateControl {
    DWORD id;
    std::string windowClass; // the predefined classes' atoms given by name
    std::string caption;
    RECT rect; // dialog units
    DWORD style;
    DWORD exStyle;
};

struct DialogTemplate {
    DWORD style;
    DWORD exStyle;
    std::string caption;
    short width;
    short height;
    std::vector<TemplateControl> controls;
};

// Nothing when the resource is missing or not in the extended form.
std::optional<DialogTemplate> loadDialogTemplate(int id);

} // namespace kovra::test
