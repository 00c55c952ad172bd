// kovra-cli clock set|show: TIME.txt, the record the recorder sets its clock from.
#include <cstdio>
#include <iostream>
#include <memory>
#include <regex>

#include "cli/context.h"
#include "cli/failure.h"
#include "device/card_files.h"
#include "words/card_json.h"
#include "words/os_error_words.h"
#include "words/shown_names.h"

namespace kovra::cli {

using words::describe;

namespace {

constexpr const char* kNow = "now";

std::string hexText(const ClockRecord::Bytes& bytes) {
    std::string text;
    char byte[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, "%02X", b);
        text += (text.empty() ? "" : " ") + std::string(byte);
    }
    return text;
}

ClockFields parseDate(const std::string& text) {
    static const std::regex pattern(R"((\d{4})-(\d{2})-(\d{2})[ T](\d{2}):(\d{2}):(\d{2}))");
    std::smatch m;
    ClockFields f;
    if (std::regex_match(text, m, pattern)) {
        f.year = std::stoi(m[1]);
        f.month = std::stoi(m[2]);
        f.day = std::stoi(m[3]);
        f.hour = std::stoi(m[4]);
        f.minute = std::stoi(m[5]);
        f.second = std::stoi(m[6]);
        if (ClockRecord::isCalendarDateTime(f))
            return f;
    }
    throw Failure(kUsage, "clock set: \"" + text +
                              "\" is not \"now\" or a real date and time as \"YYYY-MM-DD "
                              "HH:MM:SS\" (years 0001 to 9999)");
}

void addClockSet(CLI::App& clock, Context& context) {
    CLI::App* set = clock.add_subcommand("set", "Write TIME.txt: the PC's time, or the one given");
    auto when = std::make_shared<std::string>(kNow);
    auto output = std::make_shared<std::string>();
    set->add_option("WHEN", *when, "\"now\" (the default) or \"YYYY-MM-DD HH:MM:SS\"");
    auto force = std::make_shared<bool>(false);
    set->add_option("--output", *output, "Write to this file instead of the card's TIME.txt")
        ->type_name("FILE")
        ->check(nonEmptyPath());
    set->add_flag("--force", *force,
                  "Replace --output FILE when it exists, and the file written even when it is a "
                  "link (the link itself)");
    addJsonFlag(*set, context);
    set->callback([&context, when, output, force] {
        bool now = *when == kNow;
        std::optional<ClockFields> typed;
        if (!now)
            typed = parseDate(*when);
        std::string target = output->empty() ? context.onCard(kClockFileName) : *output;
        // A file of the user's is replaced only when asked; the card's own always is.
        requireReplaceable(context.platform, target, *force, !output->empty());
        ClockFields written;
        // The PC's clock is read once the file is there, just before the bytes go out.
        OsError error = writeRecord(context.platform, target, [&] {
            written = now ? ClockFields::fromLocalTime(context.platform.localTime()) : *typed;
            return ClockRecord::encode(written);
        });
        if (error != OsError::None)
            throw fileFailure(target, "cannot write: " + describe(error));
        std::string bytes = hexText(ClockRecord::encode(written));
        if (context.json) {
            nlohmann::json document = words::clockJson(written);
            words::putName(document, "path", target);
            document["bytes"] = bytes;
            printJson(document);
            return;
        }
        std::cout << "wrote " << clockText(written) << " to " << target << " (" << bytes << ")\n";
    });
}

void addClockShow(CLI::App& clock, Context& context) {
    CLI::App* show = clock.add_subcommand("show", "Show the date and time a TIME.txt holds");
    auto file = std::make_shared<std::string>();
    show->add_option("FILE", *file, "The file to read instead of the card's TIME.txt");
    addJsonFlag(*show, context);
    show->callback([&context, file] {
        std::string path = file->empty() ? context.onCard(kClockFileName) : *file;
        ClockRead read = readClockRecord(context.platform, path);
        if (read.state == RecordState::WrongSize)
            throw fileFailure(path, std::to_string(read.length) +
                                        " bytes; a clock record holds exactly " +
                                        std::to_string(ClockRecord::kSize));
        if (read.state == RecordState::Missing || read.state == RecordState::Unreadable)
            throw fileFailure(path, describe(read.error));
        if (read.state == RecordState::NotDigits) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "%02X", read.bytes[read.badByte]);
            throw fileFailure(path, "byte " + std::to_string(read.badByte) + " (" + byte +
                                        ") is not two decimal digits");
        }
        const ClockFields& fields = read.fields;
        // What the window lets through (hour 24, 31 February) is shown as it is, and said.
        if (!ClockRecord::isCalendarDateTime(fields))
            warn(path + ": " + clockText(fields) + " is no real date and time");
        if (context.json)
            printJson(words::clockJson(fields));
        else
            std::cout << clockText(fields) << '\n';
    });
}

} // namespace

void addClockCommands(CLI::App& app, Context& context) {
    CLI::App* clock = app.add_subcommand("clock", "Set or show the recorder's clock (TIME.txt)");
    clock->require_subcommand(1);
    addClockSet(*clock, context);
    addClockShow(*clock, context);
}

} // namespace kovra::cli
