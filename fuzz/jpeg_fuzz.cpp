// libFuzzer entry for a recorder frame made into a picture: any input is checked as a JPEG,
// given the standard tables where it has none, and decoded scaled down by the system's codec.
// A refused frame gives no picture; a picture is never wider than asked nor empty; tables
// inserted leave a frame that reads as the same picture with tables.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "pictures/jpeg_frame.h"
#include "pictures/standard_tables.h"
#include "pictures/thumbnail.h"

namespace {

using namespace kovra::pictures;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "jpeg_fuzz: %s\n", what);
        std::abort();
    }
}

// A strip frame's width: the smallest the gallery asks for, so a run decodes many inputs.
constexpr unsigned kWidth = 160;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kovra::pictures::JpegCheck check = readJpegLayout(data, size);
    const std::optional<JpegLayout>& layout = check.layout;
    require(!layout == (check.refused != kovra::pictures::NoPicture::None),
            "a frame refused says why, and only a refused one");
    std::vector<std::uint8_t> frame(data, data + size);
    kovra::pictures::Thumbnail made = makeThumbnail(frame, kWidth);
    const std::optional<kovra::Picture>& picture = made.picture;
    require(layout || made.refused == check.refused, "a refused frame gives no picture, and why");
    require(!picture == (made.refused != kovra::pictures::NoPicture::None),
            "no picture says why, and only no picture");
    if (picture)
        require(picture->width > 0 && picture->width <= kWidth && picture->height > 0 &&
                    !picture->bytes.empty(),
                "a picture is as wide as asked at most, and not empty");
    if (!layout)
        return 0;
    require(layout->width > 0 && layout->width <= kMostSide && layout->height > 0 &&
                layout->height <= kMostSide,
            "a frame taken claims sane sides");
    std::vector<std::uint8_t> completed(data, data + size);
    addHuffmanTables(completed, *layout);
    std::size_t added = layout->hasTables ? 0 : standardTablesSegmentSize();
    require(completed.size() == size + added, "the tables are all that is added");
    std::optional<JpegLayout> again = readJpegLayout(completed.data(), completed.size()).layout;
    require(again && again->hasTables && again->width == layout->width &&
                again->height == layout->height,
            "a completed frame reads as the same picture with tables");
    return 0;
}
