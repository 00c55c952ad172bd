#include "avi/video_report.h"

#include "avi/video_reading.h"

namespace kovra::avi {

const char* signatureName(Signature signature) {
    switch (signature) {
    case Signature::Mars:
        return "MARS";
    case Signature::Riff:
        return "RIFF";
    case Signature::Other:
        break;
    }
    return "other";
}

const char* stateName(VideoState state) {
    switch (state) {
    case VideoState::Ok:
        return "ok";
    case VideoState::Repairable:
        return "repairable";
    case VideoState::Unreadable:
        break;
    }
    return "unreadable";
}

VideoReport inspect(ByteSource& source) {
    return readVideo(source, Chunks::CountOnly).report;
}

} // namespace kovra::avi
