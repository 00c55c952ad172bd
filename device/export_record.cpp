#include "device/export_record.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <sstream>
#include <type_traits>
#include <vector>

#include "device/file_paths.h"
#include "device/whole_file.h"

namespace kovra {

namespace {

constexpr const char* kFirstLine = "kovra-export 1";
constexpr const char* kLastWord = "end";
// A card holds some thousands of videos; a record far larger is not one of ours.
constexpr std::uint64_t kLargestRecord = 64u << 20;
constexpr char kEscape = '%';

// A name is any bytes: those that would break a line or a field are written as %XX.
std::string escaped(const std::string& name) {
    std::string out;
    char hex[4];
    for (unsigned char c : name) {
        if (c <= ' ' || c == 0x7F || c == kEscape) {
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool unescaped(const std::string& text, std::string& name) {
    name.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != kEscape) {
            name += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        int high = hexDigit(text[i + 1]), low = hexDigit(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        name += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return !name.empty();
}

// Decimal digits only, with a sign where allowed, and no more than the type holds.
template <class Number> bool parseNumber(const std::string& text, Number& value) {
    std::size_t i = 0;
    bool negative = std::is_signed<Number>::value && !text.empty() && text[0] == '-';
    i += negative ? 1 : 0;
    if (i == text.size() || text.size() - i > 19)
        return false;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    if (magnitude > static_cast<std::uint64_t>(std::numeric_limits<Number>::max()))
        return false;
    value = negative ? static_cast<Number>(-static_cast<Number>(magnitude))
                     : static_cast<Number>(magnitude);
    return true;
}

bool parseLine(const std::string& line, std::string& name, ExportedVideo& video) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t space; (space = line.find(' ', start)) != std::string::npos; start = space + 1)
        fields.push_back(line.substr(start, space - start));
    fields.push_back(line.substr(start));
    return fields.size() == 5 && parseNumber(fields[0], video.sourceSize) &&
           parseNumber(fields[1], video.sourceModified) &&
           parseNumber(fields[2], video.targetSize) &&
           parseNumber(fields[3], video.targetModified) && unescaped(fields[4], name);
}

} // namespace

std::string ExportRecord::text() const {
    std::ostringstream out;
    out << kFirstLine << '\n';
    for (const auto& [name, video] : videos_)
        out << video.sourceSize << ' ' << video.sourceModified << ' ' << video.targetSize << ' '
            << video.targetModified << ' ' << escaped(name) << '\n';
    out << kLastWord << ' ' << videos_.size() << '\n';
    return out.str();
}

bool ExportRecord::parse(const std::string& text) {
    videos_.clear();
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kFirstLine)
        return false;
    std::map<std::string, ExportedVideo> read;
    while (std::getline(in, line)) {
        if (line.rfind(std::string(kLastWord) + ' ', 0) == 0) {
            // The count written last tells a whole record from one cut short.
            std::string rest;
            bool whole = line == std::string(kLastWord) + ' ' + std::to_string(read.size()) &&
                         !std::getline(in, rest);
            if (whole)
                videos_ = std::move(read);
            return whole;
        }
        std::string name;
        ExportedVideo video;
        if (!parseLine(line, name, video) || !read.emplace(name, video).second)
            return false;
    }
    return false;
}

void ExportRecord::load(Platform& platform, const std::string& dest) {
    videos_.clear();
    stored_.clear();
    std::string text;
    if (readWholeFile(platform, joinPath(dest, kFileName), kLargestRecord, text) && parse(text))
        stored_ = std::move(text);
}

OsError ExportRecord::save(Platform& platform, const std::string& dest, Naming naming) {
    // An export that finds every file as the record says changes nothing: on a USB stick the
    // flushes of a rewrite would cost more than the rest of it.
    std::string all = text();
    if (all == stored_)
        return OsError::None;
    OsError error = writeWholeFile(platform, joinPath(dest, kFileName), all, naming);
    stored_ = error == OsError::None && naming == Naming::Durable ? std::move(all) : std::string();
    return error;
}

std::unique_ptr<FileReplacement> ExportRecord::flushedBeside(Platform& platform,
                                                             const std::string& dest) {
    // Once named, the folder's record is this one, whatever save() is given later.
    stored_.clear();
    auto file = std::make_unique<FileReplacement>(platform, joinPath(dest, kFileName));
    std::string all = text();
    file->write(all.data(), all.size());
    file->flushData();
    return file;
}

const ExportedVideo* ExportRecord::find(const std::string& relative) const {
    auto it = videos_.find(relative);
    return it == videos_.end() ? nullptr : &it->second;
}

void ExportRecord::note(const std::string& relative, const ExportedVideo& video) {
    videos_[relative] = video;
}

} // namespace kovra
