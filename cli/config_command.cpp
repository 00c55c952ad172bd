// kovra-cli config show|set: CONFIG.SYS in the window's words, and changed from a terminal.
#include <cctype>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/context.h"
#include "cli/failure.h"
#include "device/card_files.h"
#include "records/settings_words.h"
#include "words/card_json.h"
#include "words/os_error_words.h"

namespace kovra::cli {

using words::describe;

namespace {

constexpr std::int32_t kHundredthsPerStep = 5;

ConfigRead loadConfig(Platform& platform, const std::string& path) {
    ConfigRead read = readConfigRecord(platform, path);
    if (read.state == RecordState::Unreadable)
        throw fileFailure(path, describe(read.error));
    if (read.state == RecordState::Read && read.length > ConfigRecord::kSize)
        warn(path + ": " + std::to_string(read.length) +
             " bytes; its first 11 are the configuration");
    return read;
}

std::string shortFileText(std::uint64_t length) {
    return "only " + std::to_string(length) + " bytes, a configuration needs " +
           std::to_string(ConfigRecord::kSize) + " (the recorder's window ignores such a file)";
}

// Values the recorder's window would never write: shown as they are, and said.
void warnOfImpossibleValues(const RecorderSettings& s, const std::string& path) {
    auto outside = [&](const char* what, std::int32_t index, const std::vector<std::string>& in) {
        if (index < 0 || static_cast<std::size_t>(index) >= in.size())
            warn(path + ": " + what + " holds " + std::to_string(index) +
                 ", which is none of the recorder's choices");
    };
    outside("the trigger resolution", s.triggerResolution, triggerResolutionChoices());
    outside("the frame rate", s.frameRate, frameRateChoices());
    outside("the loop resolution", s.loopResolution, loopResolutionChoices());
    if (s.sensitivityStep < ConfigRecord::kMinSensitivityStep ||
        s.sensitivityStep > ConfigRecord::kMaxSensitivityStep)
        warn(path + ": the G-sensor sensitivity " +
             ConfigRecord::sensitivityText(s.sensitivityStep) +
             " lies outside 0.10 to 2.00, where the recorder's window sets it");
    else if (!frameRateAllowed(s.triggerResolution, s.frameRate))
        warn(path + ": VGA at " + choiceText(frameRateChoices(), s.frameRate) +
             ", which the recorder does not record (VGA: 15FPS or 13.3FPS)");
}

void showSettings(const RecorderSettings& settings, const std::string& path, bool json) {
    if (json) {
        printJson(words::settingsJson(settings));
        return;
    }
    std::cout << path << '\n';
    for (const SettingLine& line : describeSettings(settings))
        std::cout << "  " << std::left << std::setw(60) << line.label << line.value << '\n';
}

std::string lowerCaseChoice(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The index of text among choices, compared without case and with an optional "fps".
std::int32_t choiceIndex(const std::string& option, const std::string& text,
                         const std::vector<std::string>& choices) {
    std::string wanted = lowerCaseChoice(text);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        std::string choice = lowerCaseChoice(choices[i]);
        if (wanted == choice || wanted + "fps" == choice)
            return static_cast<std::int32_t>(i);
    }
    std::string list;
    for (const std::string& choice : choices)
        list += (list.empty() ? "" : ", ") + choice;
    throw Failure(kUsage, option + ": \"" + text + "\" is none of " + list);
}

// "0.10" to "2.00" in steps of 0.05, read exactly: a step of the slider, 2 to 40.
std::int32_t sensitivityStep(const std::string& text) {
    auto refuse = [&] {
        return Failure(kUsage, "--sensitivity: \"" + text +
                                   "\" is not a multiple of 0.05 from 0.10 to 2.00");
    };
    std::size_t dot = text.find('.');
    std::string whole = text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    auto digitsOnly = [](const std::string& s) {
        return s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (whole.empty() || whole.size() > 2 || !digitsOnly(whole) || !digitsOnly(fraction))
        throw refuse();
    while (fraction.size() > 2 && fraction.back() == '0')
        fraction.pop_back();
    if (fraction.size() > 2)
        throw refuse();
    fraction.resize(2, '0');
    std::int32_t hundredths = std::stoi(whole) * 100 + std::stoi(fraction);
    if (hundredths % kHundredthsPerStep != 0)
        throw refuse();
    std::int32_t step = hundredths / kHundredthsPerStep;
    if (step < ConfigRecord::kMinSensitivityStep || step > ConfigRecord::kMaxSensitivityStep)
        throw refuse();
    return step;
}

struct ConfigChanges {
    bool defaults = false;
    std::optional<std::string> triggerResolution, frameRate, loopResolution, sensitivity, overwrite;
    std::optional<std::string> maxGsensor, maxManual, maxCycle;
    std::string output;
    bool force = false;

    bool any() const {
        return defaults || triggerResolution || frameRate || loopResolution || sensitivity ||
               overwrite || maxGsensor || maxManual || maxCycle;
    }
};

// A count of files: decimal digits only ("010" is ten, never eight; no sign, no spaces, no
// "0x"), 0 to 65535.
std::int32_t fileCount(const std::string& option, const std::string& text) {
    bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    std::string significant = text.substr(std::min(text.find_first_not_of('0'), text.size()));
    long value = !digits                  ? -1
                 : significant.empty()    ? 0
                 : significant.size() > 5 ? 1L << 20
                                          : std::stol(significant);
    if (!kFileCountRange.contains(static_cast<std::int32_t>(value)))
        throw Failure(kUsage, option + ": \"" + text + "\" is not a whole number from " +
                                  std::to_string(kFileCountRange.min) + " to " +
                                  std::to_string(kFileCountRange.max));
    return static_cast<std::int32_t>(value);
}

// Every value is checked before anything is written: a refused one leaves the file alone.
void applyChanges(const ConfigChanges& changes, RecorderSettings& settings) {
    if (changes.triggerResolution)
        settings.triggerResolution = choiceIndex("--trigger-resolution", *changes.triggerResolution,
                                                 triggerResolutionChoices());
    if (changes.loopResolution)
        settings.loopResolution =
            choiceIndex("--loop-resolution", *changes.loopResolution, {"qvga", "vga"});
    if (changes.overwrite)
        settings.overwrite = choiceIndex("--overwrite", *changes.overwrite, overwriteChoices());
    if (changes.sensitivity)
        settings.sensitivityStep = sensitivityStep(*changes.sensitivity);
    if (changes.maxGsensor)
        settings.maxGsensorFiles = fileCount("--max-gsensor", *changes.maxGsensor);
    if (changes.maxManual)
        settings.maxManualFiles = fileCount("--max-manual", *changes.maxManual);
    if (changes.maxCycle)
        settings.maxCycleFiles = fileCount("--max-cycle", *changes.maxCycle);

    if (changes.frameRate) {
        std::int32_t rate = choiceIndex("--frame-rate", *changes.frameRate, frameRateChoices());
        if (!frameRateAllowed(settings.triggerResolution, rate))
            throw Failure(kUsage, "--frame-rate: " + frameRateChoices()[rate] +
                                      " is not allowed with VGA (15FPS or 13.3FPS)");
        settings.frameRate = rate;
    } else if (changes.triggerResolution &&
               (settings.frameRate == kFrameRate30 || settings.frameRate == kFrameRate24) &&
               !frameRateAllowed(settings.triggerResolution, settings.frameRate)) {
        // As the window does when VGA is chosen.
        settings.frameRate = kVgaFallbackFrameRate;
        warn("VGA records at 15FPS or 13.3FPS: the frame rate is now " +
             frameRateChoices()[kVgaFallbackFrameRate]);
    }
}

void addConfigShow(CLI::App& config, Context& context) {
    CLI::App* show = config.add_subcommand("show", "Show a CONFIG.SYS (default: the card's)");
    auto file = std::make_shared<std::string>();
    show->add_option("FILE", *file, "The file to read instead of the card's CONFIG.SYS");
    addJsonFlag(*show, context);
    show->callback([&context, file] {
        std::string path = file->empty() ? context.onCard(kConfigFileName) : *file;
        ConfigRead loaded = loadConfig(context.platform, path);
        if (loaded.state == RecordState::Missing)
            throw fileFailure(path, "no such file");
        if (loaded.state == RecordState::WrongSize)
            throw fileFailure(path, shortFileText(loaded.length));
        warnOfImpossibleValues(loaded.settings, path);
        showSettings(loaded.settings, path, context.json);
    });
}

void addConfigSet(CLI::App& config, Context& context) {
    CLI::App* set = config.add_subcommand(
        "set", "Change settings in the card's CONFIG.SYS (or write them to --output FILE)");
    auto held = std::make_shared<ConfigChanges>();
    ConfigChanges& changes = *held;
    set->add_flag("--defaults", changes.defaults,
                  "Start from the defaults instead of the card's CONFIG.SYS");
    set->add_option("--trigger-resolution", changes.triggerResolution,
                    "Resolution for G-sensor and manual recordings: qvga or vga")
        ->type_name("qvga|vga");
    set->add_option("--frame-rate", changes.frameRate,
                    "Frame rate for G-sensor and manual recordings: 30, 24, 15 or 13.3 "
                    "(VGA: 15 or 13.3)")
        ->type_name("30|24|15|13.3");
    set->add_option("--loop-resolution", changes.loopResolution,
                    "Resolution for loop recording: qvga or vga (both 6.375FPS)")
        ->type_name("qvga|vga");
    set->add_option("--sensitivity", changes.sensitivity,
                    "G-sensor sensitivity, 0.10 to 2.00 in steps of 0.05")
        ->type_name("0.10..2.00");
    auto count = [&](const char* name, std::optional<std::string>& value, const char* what) {
        set->add_option(name, value, what)->type_name("N");
    };
    count("--max-gsensor", changes.maxGsensor, "Most files kept of G-sensor recordings (0-65535)");
    count("--max-manual", changes.maxManual, "Most files kept of manual recordings (0-65535)");
    count("--max-cycle", changes.maxCycle, "Most files kept of loop recordings (0-65535)");
    set->add_option("--overwrite", changes.overwrite, "Overwrite old files: yes or no")
        ->type_name("yes|no");
    set->add_option("--output", changes.output,
                    "Write to this file instead of the card's CONFIG.SYS")
        ->type_name("FILE")
        ->check(nonEmptyPath());
    set->add_flag("--force", changes.force,
                  "Replace --output FILE when it exists, and the file written even when it is a "
                  "link (the link itself)");
    addJsonFlag(*set, context);
    set->callback([&context, held] {
        if (!held->any())
            throw Failure(kUsage, "config set: give at least one setting to change (see "
                                  "kovra-cli config set --help)");
        RecorderSettings settings;
        if (!held->defaults) {
            std::string source = context.onCard(kConfigFileName);
            ConfigRead loaded = loadConfig(context.platform, source);
            if (loaded.state == RecordState::Missing)
                warn(source + ": no such file; starting from the defaults");
            else if (loaded.state == RecordState::WrongSize)
                warn(source + ": " + shortFileText(loaded.length) + "; starting from the defaults");
            else
                settings = loaded.settings;
        }
        applyChanges(*held, settings);
        std::string target = held->output.empty() ? context.onCard(kConfigFileName) : held->output;
        // A file of the user's is replaced only when asked; the card's own always is.
        requireReplaceable(context.platform, target, held->force, !held->output.empty());
        OsError error = writeConfig(context.platform, target, settings);
        if (error != OsError::None)
            throw fileFailure(target, "cannot write: " + describe(error));
        showSettings(settings, target, context.json);
    });
}

} // namespace

void addConfigCommands(CLI::App& app, Context& context) {
    CLI::App* config = app.add_subcommand("config", "Show or change the recorder's CONFIG.SYS");
    config->require_subcommand(1);
    addConfigShow(*config, context);
    addConfigSet(*config, context);
}

} // namespace kovra::cli
