// The card's routine without a command typed: wait for a medium to appear; for the recorder's
// card, set its clock, export its videos and flush it, in that order, then say it may be
// taken out, and "done" only when every step was; name any other medium once and leave it
// alone; wait again.
#pragma once

#include <cstddef>
#include <string>

#include "device/exit_codes.h"
#include "platform/platform.h"
#include "watcher/arrivals.h"

namespace kovra::watcher {

struct WatchSteps {
    bool setClock = false;
    bool exportVideos = false;
    bool once = false;     // one card, then the export's exit code
    std::string givenCard; // --card: whatever is mounted there is the card
};

struct ExportReport {
    int exitCode = kDone;
    std::size_t failed = 0;
    // What was not saved and why, naming the file or folder with the system's reason; empty
    // when everything was.
    std::string notSaved;
};

// What the command does for the watcher: the words go out through it, and the export is its.
class WatchHost {
  public:
    virtual ~WatchHost() = default;
    // One line for a thing done, on stdout with the time.
    virtual void say(const std::string& line) = 0;
    // A problem, naming its file, on stderr.
    virtual void warn(const std::string& line) = 0;
    virtual std::string describe(OsError error) = 0;
    // Exports the videos below root as `export` does, saying each one.
    virtual ExportReport exportVideos(const std::string& root) = 0;
};

class CardWatcher {
  public:
    CardWatcher(Platform& platform, WatchHost& host, WatchSteps steps);

    // Handles what is there at the start, then each medium as it appears, until interrupted
    // (0) or, with once, until a card has been handled (the export's exit code). A mount
    // table that cannot be watched ends it with 1.
    int run();

  private:
    // The exit code of the card's routine.
    int handle(const Medium& medium);
    // Empty when written, else what was not and why.
    std::string setClock(const std::string& root);
    bool stillThere(const Medium& medium);
    std::string label(const Medium& medium) const;

    Platform& platform_;
    WatchHost& host_;
    WatchSteps steps_;
    Arrivals arrivals_;
    OsError lastScanError_ = OsError::None;
};

} // namespace kovra::watcher
