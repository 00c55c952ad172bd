#include "words/reasons.h"

#include "pictures/jpeg_frame.h"
#include "words/quantities.h"

namespace kovra::words {

const char* passedOverKindName(PassedOver why) {
    switch (why) {
    case PassedOver::NotAFile:
        return "notAFile";
    case PassedOver::LinkOutside:
        return "linkOutside";
    case PassedOver::WalkedAlready:
        return "walkedAlready";
    case PassedOver::TooDeep:
        return "tooDeep";
    case PassedOver::TooMany:
        return "tooMany";
    case PassedOver::Unlisted:
        return "unlisted";
    }
    return "unknown";
}

const char* passedOverText(PassedOver why) {
    switch (why) {
    case PassedOver::NotAFile:
        return "not a regular file";
    case PassedOver::LinkOutside:
        return "a link out of the folder searched";
    case PassedOver::WalkedAlready:
        return "a folder reached again through a link";
    case PassedOver::TooDeep:
        return "too deep: folders are searched 32 levels down";
    case PassedOver::TooMany:
        return "too many entries: the search stopped here";
    case PassedOver::Unlisted:
        break;
    }
    return "cannot be listed";
}

std::string noPictureText(pictures::NoPicture why) {
    using pictures::NoPicture;
    switch (why) {
    case NoPicture::None:
        return "";
    case NoPicture::NoFrame:
        return "no complete frame";
    case NoPicture::FrameUnreadable:
        return "the frame could not be read";
    case NoPicture::FrameMoved:
        return "the index points at something other than this frame";
    case NoPicture::FrameTooLarge:
        return "the frame is larger than " + sizeText(pictures::kMostFrameBytes);
    case NoPicture::NotJpeg:
        return "not a JPEG";
    case NoPicture::CutShort:
        return "cut short";
    case NoPicture::DamagedMarkers:
        return "damaged JPEG markers";
    case NoPicture::OtherCoding:
        return "lossless, hierarchical or arithmetic-coded JPEG";
    case NoPicture::ComponentCount:
        return "neither grey nor colour (not 1 or 3 components)";
    case NoPicture::Cmyk:
        return "CMYK (4 colour components)";
    case NoPicture::NotEightBit:
        return "12-bit samples (only 8-bit are shown)";
    case NoPicture::ZeroSize:
        return "a size of 0";
    case NoPicture::TooLarge:
        return "larger than " + std::to_string(pictures::kMostSide) + " pixels on a side";
    case NoPicture::NoQuantTable:
        return "no quantisation table";
    case NoPicture::NotDecoded:
        return "the system's decoder could not read it";
    }
    return "unknown reason";
}

} // namespace kovra::words
