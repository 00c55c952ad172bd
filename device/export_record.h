// What earlier exports wrote into a folder: for each video, the source's size and time against
// the target it gave. Kept in the folder itself, so that a second export of the same card knows
// its targets without reading a video, and written as every other file is, whole or not at all.
// A record that is missing or damaged only costs a second look at each video.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "device/file_replacement.h"
#include "platform/platform.h"

namespace kovra {

struct ExportedVideo {
    std::uint64_t sourceSize = 0;
    std::int64_t sourceModified = 0;
    std::uint64_t targetSize = 0;
    std::int64_t targetModified = 0;
};

class ExportRecord {
  public:
    static constexpr const char* kFileName = ".kovra-export";

    // Reads dest's record; anything but a whole, well-formed one reads as empty.
    void load(Platform& platform, const std::string& dest);
    // Replaces dest's record, whole or not at all; Naming::Unflushed leaves its move unflushed.
    // A record the same as the one loaded or saved last is not written again.
    OsError save(Platform& platform, const std::string& dest, Naming naming = Naming::Durable);
    // save() in two steps, for a caller that must make its own moves durable between them:
    // the record written and flushed beside dest's; its name() puts it in place.
    std::unique_ptr<FileReplacement> flushedBeside(Platform& platform, const std::string& dest);

    // The entry for a path relative to dest ('/'-separated), or null.
    const ExportedVideo* find(const std::string& relative) const;
    void note(const std::string& relative, const ExportedVideo& video);
    void forget(const std::string& relative) { videos_.erase(relative); }
    std::size_t size() const { return videos_.size(); }

    // The record as text, and back: false, with the record left empty, for text that is not
    // a whole record.
    std::string text() const;
    bool parse(const std::string& text);

  private:
    std::map<std::string, ExportedVideo> videos_;
    // What the folder's record file held when loaded, or was last saved durably with.
    std::string stored_;
};

} // namespace kovra
