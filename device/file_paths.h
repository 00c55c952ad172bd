// Paths as the card's files are named in them: Windows' "E:\DCIM" or POSIX's "/media/card".
#pragma once

#include <string>

namespace kovra {

// name inside folder, written the way the folder is: on Windows "E:\DCIM\MOV0001.avi" (a '/'
// in name becomes '\'); "/media/card/DCIM/MOV0001.avi", where a '\' in name stays one.
std::string joinPath(const std::string& folder, const std::string& name);
// The last part of a path, after its last separator (only '/' on POSIX).
std::string baseName(const std::string& path);

} // namespace kovra
