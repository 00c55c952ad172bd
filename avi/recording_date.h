// The date and time a video's IDIT chunk says it was recorded ("digitized"), as the recorder's
// clock gave it: no zone. The forms are those ffmpeg reads: "Mon Mar 10 15:04:43 2003" (as
// C's asctime writes it, the weekday not checked) and "2003/03/10 15:04:43".
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace kovra::avi {

struct RecordingDate {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool operator==(const RecordingDate& other) const {
        return year == other.year && month == other.month && day == other.day &&
               hour == other.hour && minute == other.minute && second == other.second;
    }
};

// The date the text holds, or nothing for a text in neither form or a date that is none
// (month 13, 30 February, hour 24). The text may end in NULs, spaces or a line break.
std::optional<RecordingDate> parseRecordingDate(const char* text, std::size_t size);

// The date as an IDIT chunk of room bytes holds it: "Tue Oct 16 08:16:47 2007\n" where that
// fits, else "2007/10/16 08:16:47"; empty where neither does.
std::string recordingDateText(const RecordingDate& date, std::size_t room);

} // namespace kovra::avi
