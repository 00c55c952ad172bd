#include "watcher/card_watcher.h"

#include "device/card_files.h"
#include "device/exit_codes.h"
#include "device/file_paths.h"

namespace kovra::watcher {

namespace {

// No limit: a mount or an unmount ends the wait, and so does an interrupt.
constexpr int kWaitForever = -1;
constexpr const char* kNotificationTitle = "Kovra";

std::string videosText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " video" : " videos");
}

} // namespace

CardWatcher::CardWatcher(Platform& platform, WatchHost& host, WatchSteps steps)
    : platform_(platform), host_(host), steps_(std::move(steps)) {}

std::string CardWatcher::label(const Medium& medium) const {
    return medium.given ? medium.root : medium.device + " at " + medium.root;
}

int CardWatcher::run() {
    for (;;) {
        std::vector<Medium> now;
        OsError error = scanMedia(platform_, steps_.givenCard, now);
        // Said when it starts failing, not at every look.
        if (error != OsError::None && error != lastScanError_)
            host_.warn("the mounted media cannot be read: " + host_.describe(error));
        lastScanError_ = error;
        bool handledOne = false;
        for (const Medium& medium : arrivals_.update(now)) {
            if (platform_.interrupted())
                return kDone;
            if (!medium.given && !holdsRecorderConfig(platform_, medium.root)) {
                host_.say(label(medium) + ": not the recorder's card (no " +
                          std::string(kConfigFileName) + " of its size); left alone");
                continue;
            }
            int code = handle(medium);
            if (steps_.once || platform_.interrupted())
                return platform_.interrupted() ? kDone : code;
            handledOne = true;
        }
        // What came while a card was being handled is looked for before waiting.
        if (handledOne)
            continue;
        error = platform_.waitForMountChange(kWaitForever);
        if (error == OsError::Interrupted)
            return kDone;
        if (error != OsError::None) {
            host_.warn("the mounted media cannot be watched: " + host_.describe(error));
            return kFileProblem;
        }
    }
}

std::string CardWatcher::setClock(const std::string& root) {
    std::string path = joinPath(root, kClockFileName);
    ClockFields written;
    // The PC's clock is read once the file is there, just before the bytes go out.
    OsError error = writeRecord(platform_, path, [&] {
        written = ClockFields::fromLocalTime(platform_.localTime());
        return ClockRecord::encode(written);
    });
    if (error != OsError::None) {
        std::string why = path + ": cannot write: " + host_.describe(error);
        host_.warn(why);
        return why;
    }
    host_.say("wrote " + clockText(written) + " to " + path);
    return "";
}

bool CardWatcher::stillThere(const Medium& medium) {
    std::vector<Medium> now;
    scanMedia(platform_, steps_.givenCard, now);
    for (const Medium& found : now)
        if (found == medium)
            return platform_.exists(joinPath(medium.root, kConfigFileName).c_str()) || medium.given;
    return false;
}

int CardWatcher::handle(const Medium& medium) {
    std::string name = label(medium);
    host_.say(name + ": the recorder's card");
    int code = kDone;
    // Each step that was not done, said again with the word to take the card out.
    std::vector<std::string> notDone;
    if (steps_.setClock) {
        std::string clockNotSet = setClock(medium.root);
        if (!clockNotSet.empty()) {
            notDone.push_back("the clock not set (" + clockNotSet + ")");
            code = kFileProblem;
        }
    }
    ExportReport report;
    if (steps_.exportVideos && !platform_.interrupted()) {
        report = host_.exportVideos(medium.root);
        if (report.exitCode != kDone) {
            code = report.exitCode;
            // A host that gave no reason still does not get "done".
            notDone.push_back(report.notSaved.empty() ? std::string("the export failed")
                                                      : report.notSaved);
        }
    }
    if (platform_.interrupted())
        return code;
    if (!stillThere(medium)) {
        std::string lost = report.failed > 0 ? videosText(report.failed) + " not saved"
                                             : "what was written may not be saved";
        host_.warn(name + ": taken out too soon: " + lost + "; put it in again to finish");
        platform_.notify(kNotificationTitle, "The card was taken out too soon: " + lost +
                                                 ". Put it in again to finish.");
        return code == kDone ? kFileProblem : code;
    }
    // Where the system will not flush the volume (Windows, without an administrator's rights),
    // every file written to the card was flushed on its own before its write returned.
    OsError flushed = platform_.flushVolume(medium.root.c_str());
    if (flushed == OsError::AccessDenied || flushed == OsError::Unsupported)
        flushed = OsError::None;
    if (flushed != OsError::None) {
        host_.warn(medium.root + ": cannot be flushed: " + host_.describe(flushed) +
                   "; eject it before taking it out");
        return kFileProblem;
    }
    host_.say("flushed " + medium.root);
    if (notDone.empty()) {
        host_.say(name + ": done; the card may be taken out");
        platform_.notify(kNotificationTitle, "Done. The card may be taken out.");
        return code;
    }
    std::string what;
    for (const std::string& step : notDone)
        what += (what.empty() ? "" : "; ") + step;
    host_.say(name + ": not done: " + what + "; the card may be taken out");
    platform_.notify(kNotificationTitle, "Not done: " + what + ". The card may be taken out.");
    return code == kDone ? kFileProblem : code;
}

} // namespace kovra::watcher
