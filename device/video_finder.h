// The recorder's videos in a folder tree: every *.avi regular file below it, each folder walked
// once however links lead back to it, and what was passed over named with its reason.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "device/passed_over.h"
#include "platform/file_system.h"

namespace kovra {

struct PassedOverEntry {
    std::string relative; // '/'-separated, from the folder searched
    PassedOver why;
    OsError error; // for Unlisted
};

struct FoundVideos {
    std::vector<std::string> videos; // relative, '/'-separated, sorted
    std::vector<PassedOverEntry> passedOver;
};

struct VideoSearchLimits {
    int deepestFolder = 32;
    std::size_t mostEntries = 1000000; // files and folders looked at
};

// The *.avi files (any case) below folder.
FoundVideos findVideos(FileSystem& files, const std::string& folder,
                       const VideoSearchLimits& limits = {});

// Whether the name ends in ".avi", in any case.
bool isVideoName(const std::string& name);

} // namespace kovra
