#include "platform/picture_codec.h"

#include <turbojpeg.h>

namespace kovra {

namespace {

constexpr int kRgbPixelSize = 3;
constexpr int kPackedRows = 0; // pitch 0: rows follow each other without padding

// One handle a call: the codec keeps its error state in it.
class Handle {
  public:
    explicit Handle(tjhandle handle) : handle_(handle) {}
    ~Handle() {
        if (handle_)
            tjDestroy(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    tjhandle get() const { return handle_; }

  private:
    tjhandle handle_;
};

// The smallest of the codec's scaling factors that keeps at least width x height.
bool chooseScale(int fullWidth, int fullHeight, unsigned width, unsigned height,
                 tjscalingfactor& chosen) {
    int count = 0;
    tjscalingfactor* factors = tjGetScalingFactors(&count);
    if (!factors)
        return false;
    bool found = false;
    for (int i = 0; i < count; ++i) {
        const tjscalingfactor& f = factors[i];
        int w = TJSCALED(fullWidth, f), h = TJSCALED(fullHeight, f);
        if (w < static_cast<int>(width) || h < static_cast<int>(height))
            continue;
        if (!found || w < TJSCALED(fullWidth, chosen)) {
            chosen = f;
            found = true;
        }
    }
    return found;
}

} // namespace

bool decodeJpegScaled(const std::uint8_t* jpeg, std::size_t size, unsigned width, unsigned height,
                      RgbImage& image) {
    Handle decoder(tjInitDecompress());
    if (!decoder.get() || size > static_cast<unsigned long>(-1))
        return false;
    int fullWidth = 0, fullHeight = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(decoder.get(), jpeg, static_cast<unsigned long>(size), &fullWidth,
                            &fullHeight, &subsampling, &colorspace) != 0)
        return false;
    tjscalingfactor scale{1, 1};
    if (!chooseScale(fullWidth, fullHeight, width, height, scale))
        return false;
    image.width = static_cast<unsigned>(TJSCALED(fullWidth, scale));
    image.height = static_cast<unsigned>(TJSCALED(fullHeight, scale));
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height * kRgbPixelSize, 0);
    // A progressive picture of endless scans is refused rather than decoded for ever; a
    // warning (data cut or corrupt inside) still leaves a picture.
    int result = tjDecompress2(decoder.get(), jpeg, static_cast<unsigned long>(size),
                               image.pixels.data(), static_cast<int>(image.width), kPackedRows,
                               static_cast<int>(image.height), TJPF_RGB, TJFLAG_LIMITSCANS);
    return result == 0 || tjGetErrorCode(decoder.get()) == TJERR_WARNING;
}

bool encodeThumbnail(const RgbImage& image, unsigned quality, EncodedImage& encoded) {
    Handle encoder(tjInitCompress());
    if (!encoder.get() ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * kRgbPixelSize)
        return false;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    // Full colour resolution: at a thumbnail's size, halved chroma smears the colour edges of
    // every sign and marking (a tenth less like the frame, measured), for a fifth more bytes.
    int result = tjCompress2(encoder.get(), image.pixels.data(), static_cast<int>(image.width),
                             kPackedRows, static_cast<int>(image.height), TJPF_RGB, &out, &outSize,
                             TJSAMP_444, static_cast<int>(quality), 0);
    if (result == 0)
        encoded.bytes.assign(out, out + outSize);
    tjFree(out);
    encoded.extension = "jpg";
    return result == 0;
}

} // namespace kovra
