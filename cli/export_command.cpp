// kovra-cli export: every video of the card to a folder as standard, playable AVI files.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <set>

#include "avi/video_report.h"
#include "cli/context.h"
#include "cli/failure.h"
#include "cli/terminal.h"
#include "cli/video_copy.h"
#include "cli/video_text.h"
#include "device/video_files.h"

namespace kovra::cli {

namespace {

// FAT keeps modification times to 2 seconds.
constexpr std::int64_t kTimeResolution = 2;

struct ExportOptions {
    std::string dest, from;
    bool dryRun = false;
};

enum class Action { Export, Repair, Skip, Fail };

const char* actionName(Action action) {
    switch (action) {
    case Action::Export:
        return "exported";
    case Action::Repair:
        return "repaired";
    case Action::Skip:
        return "skipped";
    case Action::Fail:
        break;
    }
    return "failed";
}

struct Planned {
    std::string relative, source, target;
    FileInfo info;
    std::uint64_t size = 0; // what the export writes
    avi::VideoReport report;
    Action action = Action::Export;
    std::string reason; // why it failed
};

// The folder, relative to root and '/'-separated, when dest lies inside root: an export onto
// the card itself must not find its own files again.
std::string destInside(const std::string& root, const std::string& dest) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path relative =
        fs::weakly_canonical(dest, error).lexically_relative(fs::weakly_canonical(root, error));
    std::string text = relative.generic_string();
    if (error || text.empty() || text == "." || text.rfind("..", 0) == 0)
        return "";
    return text;
}

class Progress {
  public:
    Progress(std::size_t files, std::uint64_t bytes)
        : shown_(errorsGoToTerminal()), files_(files), bytes_(bytes),
          start_(std::chrono::steady_clock::now()) {}
    ~Progress() { clear(); }
    // Before another line goes to stderr.
    void clear() {
        if (shown_ && drawn_)
            std::cerr << "\r\033[K" << std::flush;
        drawn_ = false;
    }
    void update(std::size_t filesDone, std::uint64_t bytesDone, std::uint64_t bytesWritten) {
        if (!shown_)
            return;
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        double rate = seconds > 0 ? static_cast<double>(bytesWritten) / seconds : 0;
        std::string left =
            rate > 0 ? durationText(static_cast<double>(bytes_ - bytesDone) / rate) : "?";
        std::cerr << "\r\033[K" << filesDone << "/" << files_ << " files, " << sizeText(bytesDone)
                  << " of " << sizeText(bytes_) << ", "
                  << sizeText(static_cast<std::uint64_t>(rate)) << "/s, " << left << " left"
                  << std::flush;
        drawn_ = true;
    }

  private:
    bool shown_, drawn_ = false;
    std::size_t files_;
    std::uint64_t bytes_;
    std::chrono::steady_clock::time_point start_;
};

// The target an export of this size would leave is there: same size, same time.
bool alreadyExported(Platform& platform, const Planned& file, std::uint64_t size) {
    FileInfo there;
    if (platform.info(file.target.c_str(), there) != OsError::None || there.isFolder())
        return false;
    std::int64_t apart = there.modified - file.info.modified;
    return there.size == size && apart <= kTimeResolution && -apart <= kTimeResolution;
}

// A plain copy of the card's file (cp -p) has the size and time too, but not "RIFF".
bool beginsWithRiff(Platform& platform, const std::string& path) {
    std::string signature;
    return readSignature(platform, path, signature) == OsError::None && signature == kRiffSignature;
}

bool exportedBefore(Platform& platform, const Planned& file, std::uint64_t size) {
    return alreadyExported(platform, file, size) && beginsWithRiff(platform, file.target);
}

// Inspects every video (headers and index only) to know what each one needs.
std::vector<Planned> plan(Platform& platform, const std::string& root, const std::string& dest) {
    std::vector<Planned> files;
    for (const std::string& relative : findVideos(platform, root, destInside(root, dest))) {
        Planned file;
        file.relative = relative;
        file.source = joinPath(root, relative);
        file.target = joinPath(dest, relative);
        OsError error = platform.info(file.source.c_str(), file.info);
        // A sound video exports at its own size: a "RIFF" file of that size and time is the
        // earlier export of it, told without opening the video (a broken one exports at
        // another size, and is looked at below).
        if (error == OsError::None && exportedBefore(platform, file, file.info.size)) {
            file.size = file.info.size;
            file.action = Action::Skip;
            files.push_back(file);
            continue;
        }
        VideoFileSource source(platform, file.source);
        if (error == OsError::None)
            error = source.openError();
        avi::VideoReport& report = file.report;
        if (error == OsError::None) {
            report = avi::inspect(source);
            error = source.readError();
        }
        if (error != OsError::None) {
            file.action = Action::Fail;
            file.reason = describe(error);
        } else if (report.state == avi::VideoState::Unreadable) {
            file.action = Action::Fail;
            file.reason = "cannot be made playable: " +
                          (report.findings.empty() ? std::string("not a video")
                                                   : problemText(report.findings.front()));
        } else {
            file.size = report.repairedSize;
            file.action = report.state == avi::VideoState::Ok ? Action::Export : Action::Repair;
            if (exportedBefore(platform, file, file.size))
                file.action = Action::Skip;
        }
        files.push_back(file);
    }
    return files;
}

// The folders between dest and the file, made as needed; made holds those made already.
OsError makeFolders(Platform& platform, const std::string& dest, const std::string& relative,
                    std::set<std::string>& made) {
    OsError error = OsError::None;
    for (std::size_t slash = relative.find('/');
         error == OsError::None && slash != std::string::npos;
         slash = relative.find('/', slash + 1)) {
        std::string folder = relative.substr(0, slash);
        if (made.insert(folder).second)
            error = platform.makeFolder(joinPath(dest, folder).c_str());
    }
    return error;
}

void exportFile(Platform& platform, const std::string& dest, Planned& file,
                std::set<std::string>& madeFolders) {
    if (file.action == Action::Skip)
        return;
    OsError error = makeFolders(platform, dest, file.relative, madeFolders);
    if (error != OsError::None) {
        file.action = Action::Fail;
        file.reason = "cannot make its folder in " + dest + ": " + describe(error);
        return;
    }
    VideoCopy copy =
        writePlayable(platform, file.source, file.target, file.info.modified, &file.report);
    if (copy.error != OsError::None) {
        file.action = Action::Fail;
        file.reason =
            (copy.errorPath == file.target ? "cannot write " + file.target + ": " : std::string()) +
            describe(copy.error);
    } else if (!copy.result.written) {
        file.action = Action::Fail;
        file.reason = "cannot be made playable: " + copy.result.reason;
    }
}

// What an export stopped half-way left: its temporary videos in the folders exported to.
void removeStaleTemporaries(Platform& platform, const std::string& dest,
                            const std::vector<Planned>& files) {
    std::set<std::string> folders;
    for (const Planned& file : files) {
        std::size_t slash = file.relative.rfind('/');
        folders.insert(slash == std::string::npos ? "" : file.relative.substr(0, slash));
    }
    std::string pattern = std::string("*.avi") + FileReplacement::kTemporarySuffix;
    for (const std::string& folder : folders) {
        std::string where = folder.empty() ? dest : joinPath(dest, folder);
        platform.forEachMatch(joinPath(where, pattern).c_str(), [&](const char* name) {
            platform.remove(joinPath(where, name).c_str());
        });
    }
}

} // namespace

void addExportCommand(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand(
        "export", "Copy every video of the card to a folder as standard, playable AVI files");
    auto options = std::make_shared<ExportOptions>();
    command->add_option("DEST", options->dest, "The folder to export to")->required();
    command->add_option("--from", options->from, "Export the videos below this folder instead")
        ->type_name("DIR");
    command->add_flag("--dry-run", options->dryRun, "Say what would be done; write nothing");
    addJsonFlag(*command, context);
    command->callback([&context, options] {
        Platform& platform = context.platform;
        std::string root = options->from.empty() ? context.card().root : options->from;
        FileInfo info;
        if (platform.info(root.c_str(), info) != OsError::None || !info.isFolder())
            throw fileFailure(root, "no such folder");
        const std::string& dest = options->dest;
        if (platform.info(dest.c_str(), info) == OsError::None && !info.isFolder())
            throw fileFailure(dest, "not a folder");
        if (!options->dryRun) {
            OsError error = platform.makeFolder(dest.c_str());
            if (error != OsError::None)
                throw fileFailure(dest, "cannot make the folder: " + describe(error));
        }
        std::vector<Planned> files = plan(platform, root, dest);

        std::uint64_t total = 0;
        for (const Planned& file : files)
            total += file.size;
        Progress progress(files.size(), total);
        std::uint64_t done = 0, written = 0;
        std::size_t count[4] = {};
        std::set<std::string> madeFolders;
        for (std::size_t i = 0; i < files.size(); ++i) {
            Planned& file = files[i];
            if (!options->dryRun && file.action != Action::Fail)
                exportFile(platform, dest, file, madeFolders);
            done += file.size;
            if (file.action == Action::Export || file.action == Action::Repair)
                written += file.size;
            ++count[static_cast<int>(file.action)];
            if (file.action == Action::Fail) {
                progress.clear();
                if (!options->dryRun)
                    removeStaleTemporaries(platform, dest, files);
                warn(file.source + ": " + file.reason);
            }
            progress.update(i + 1, done, written);
        }
        progress.clear();
        if (!options->dryRun)
            removeStaleTemporaries(platform, dest, files);

        std::size_t exported =
            count[static_cast<int>(Action::Export)] + count[static_cast<int>(Action::Repair)];
        std::size_t repaired = count[static_cast<int>(Action::Repair)];
        std::size_t skipped = count[static_cast<int>(Action::Skip)];
        std::size_t failed = count[static_cast<int>(Action::Fail)];
        if (context.json) {
            nlohmann::json list = nlohmann::json::array();
            for (const Planned& file : files) {
                nlohmann::json entry{{"path", file.relative}, {"action", actionName(file.action)}};
                if (file.action == Action::Fail)
                    entry["reason"] = file.reason;
                list.push_back(entry);
            }
            printJson({{"dryRun", options->dryRun},
                       {"exported", exported},
                       {"repaired", repaired},
                       {"skipped", skipped},
                       {"failed", failed},
                       {"files", list}});
        } else {
            const char* would = options->dryRun ? "would be " : "";
            for (const Planned& file : files)
                if (file.action == Action::Export || file.action == Action::Repair)
                    std::cout << (options->dryRun ? "would export " : "") << file.relative
                              << (file.action == Action::Repair ? " (repaired)" : "") << '\n';
            std::cout << exported << " " << would << "exported (" << repaired << " repaired), "
                      << skipped << " skipped as already there, " << failed << " failed\n";
        }
        if (failed > 0)
            throw Failure(kFileProblem, "");
    });
}

} // namespace kovra::cli
