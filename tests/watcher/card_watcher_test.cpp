// The watcher's loop in-process: the media come and go as a script says, and what it did to
// each is read from the folders and from what it asked of the platform and the command.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/forwarding_platform.h"
#include "tests/support/scratch_dir.h"
#include "watcher/card_watcher.h"

namespace kovra {
namespace {

using test::ScratchDir;

constexpr std::size_t kConfigSize = 11;

// Each wait for a mount change moves to the next list of mounted media; past the last one it
// is an interrupt, which ends the watch.
class ScriptedMedia final : public ForwardingPlatform {
  public:
    std::deque<std::vector<RemovableMedium>> script;
    std::vector<std::string> calls;

    OsError removableMedia(std::vector<RemovableMedium>& media) override {
        media = script.empty() ? std::vector<RemovableMedium>{} : script.front();
        return OsError::None;
    }
    OsError waitForMountChange(int) override {
        if (script.size() <= 1)
            return OsError::Interrupted;
        script.pop_front();
        return OsError::None;
    }
    OsError flushVolume(const char* root) override {
        calls.push_back(std::string("flush ") + root);
        return OsError::None;
    }
    void notify(const std::string&, const std::string& text) override {
        calls.push_back("notify " + text);
    }
};

class RecordingHost final : public watcher::WatchHost {
  public:
    explicit RecordingHost(ScriptedMedia& platform) : platform_(platform) {}
    std::vector<std::string> said, warned;
    int exportCode = 0;
    std::size_t exportFailed = 0;
    bool pulledDuringExport = false; // the next look finds nothing

    void say(const std::string& line) override {
        said.push_back(line);
        platform_.calls.push_back("say " + line);
    }
    void warn(const std::string& line) override { warned.push_back(line); }
    std::string describe(OsError) override { return "error"; }
    watcher::ExportReport exportVideos(const std::string& root) override {
        platform_.calls.push_back("export " + root);
        if (pulledDuringExport)
            platform_.script.front().clear();
        return {exportCode, exportFailed, {}};
    }

  private:
    ScriptedMedia& platform_;
};

std::string card(const ScratchDir& dir, const std::string& name, std::size_t configSize) {
    std::string root = dir.file(name);
    std::filesystem::create_directories(root);
    if (configSize > 0)
        test::writeAll(root + "/CONFIG.SYS", std::vector<unsigned char>(configSize, 1));
    return root;
}

int countOf(const std::vector<std::string>& lines, const std::string& part) {
    int count = 0;
    for (const std::string& line : lines)
        count += line.find(part) != std::string::npos;
    return count;
}

// The platform's and the host's calls of one kind ("export", "flush"), not the words said.
int callsOf(const std::vector<std::string>& calls, const std::string& kind) {
    int count = 0;
    for (const std::string& call : calls)
        count += call.rfind(kind + ' ', 0) == 0;
    return count;
}

struct WatchRun {
    int code;
    std::vector<std::string> calls, said, warned;
};

WatchRun watch(ScriptedMedia& platform, watcher::WatchSteps steps, int exportCode = 0,
               std::size_t exportFailed = 0, bool pulled = false) {
    RecordingHost host(platform);
    host.exportCode = exportCode;
    host.exportFailed = exportFailed;
    host.pulledDuringExport = pulled;
    int code = watcher::CardWatcher(platform, host, steps).run();
    return {code, platform.calls, host.said, host.warned};
}

watcher::WatchSteps everyStep() {
    watcher::WatchSteps steps;
    steps.setClock = true;
    steps.exportVideos = true;
    return steps;
}

// Someone's stick written to: a TIME.txt where CONFIG.SYS is missing or not the recorder's.
TEST(CardWatcher, LeavesOtherMediaAlone) {
    struct Case {
        const char* name;
        std::size_t configSize;
    } cases[] = {{"no CONFIG.SYS", 0}, {"a CONFIG.SYS of another size", kConfigSize + 1}};
    for (const Case& c : cases) {
        ScratchDir dir;
        std::string root = card(dir, "stick", c.configSize);
        ScriptedMedia platform;
        RemovableMedium stick{root, "/dev/sdc1", "removable"};
        // Still there at the second look: named once.
        platform.script = {{stick}, {stick}};
        WatchRun run = watch(platform, everyStep());
        EXPECT_FALSE(test::fileExists(root + "/TIME.txt")) << c.name;
        EXPECT_EQ(callsOf(run.calls, "export"), 0) << c.name;
        EXPECT_EQ(countOf(run.calls, "flush"), 0) << c.name;
        EXPECT_EQ(countOf(run.said, "left alone"), 1) << c.name;
    }
}

// The word to take it out given for a card that went away before its videos were saved.
TEST(CardWatcher, SaysWhatWasNotSavedWhenTheCardWentAway) {
    ScratchDir dir;
    std::string root = card(dir, "card", kConfigSize);
    ScriptedMedia platform;
    platform.script = {{{root, "/dev/mmcblk0p1", "SD"}}};
    watcher::WatchSteps steps = everyStep();
    steps.once = true;
    WatchRun run = watch(platform, steps, 1, 2, true);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(countOf(run.warned, "taken out too soon: 2 videos not saved"), 1);
    EXPECT_EQ(countOf(run.calls, "flush"), 0);
    EXPECT_EQ(countOf(run.said, "may be taken out"), 0);
}

// --once hiding the export's failure behind its own success, or waiting for a second card.
TEST(CardWatcher, OnceEndsWithTheExportsCode) {
    for (int exportCode : {0, 1, 2}) {
        ScratchDir dir;
        std::string root = card(dir, "card", kConfigSize);
        ScriptedMedia platform;
        RemovableMedium inserted{root, "/dev/mmcblk0p1", "SD"};
        platform.script = {{inserted}, {}, {inserted}};
        watcher::WatchSteps steps = everyStep();
        steps.once = true;
        WatchRun run = watch(platform, steps, exportCode);
        EXPECT_EQ(run.code, exportCode);
        EXPECT_EQ(callsOf(run.calls, "export"), 1);
    }
}

} // namespace
} // namespace kovra
