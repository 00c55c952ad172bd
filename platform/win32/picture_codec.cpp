#include "platform/picture_codec.h"

#include <windows.h>

#include <algorithm>
#include <objbase.h>
#include <wincodec.h>

namespace kovra {

namespace {

constexpr unsigned kPixelSize = 3;
constexpr unsigned kOversample = 2;
constexpr float kPercent = 100.0f;

// Holds one reference to a COM object and gives it back.
template <typename T> class Ref {
  public:
    Ref() = default;
    ~Ref() {
        if (p_)
            p_->Release();
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    T** out() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

  private:
    T* p_ = nullptr;
};

// COM for the calling thread, for as long as the call lasts. A thread that runs COM in the
// other model already (a window's) keeps it: WIC works in either.
class ComScope {
  public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool ready() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

  private:
    HRESULT result_;
};

bool makeFactory(Ref<IWICImagingFactory>& factory) {
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.out())));
}

// WIC's pixels are blue, green, red; ours red, green, blue: the same swap both ways.
void swapRedAndBlue(std::vector<std::uint8_t>& pixels) {
    for (std::size_t i = 0; i + kPixelSize <= pixels.size(); i += kPixelSize)
        std::swap(pixels[i], pixels[i + 2]);
}

bool setQuality(IPropertyBag2* options, unsigned quality) {
    PROPBAG2 option{};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value{}; // empty, as VariantInit leaves one, without oleaut32 for it
    value.vt = VT_R4;
    value.fltVal = static_cast<float>(quality) / kPercent;
    if (FAILED(options->Write(1, &option, &value)))
        return false;
    // Full colour resolution, as the POSIX codec writes: an encoder that does not know the
    // option (before Windows 8) halves it, and the picture is still good.
    PROPBAG2 subsampling{};
    subsampling.pstrName = const_cast<LPOLESTR>(L"JpegYCrCbSubsampling");
    VARIANT full{};
    full.vt = VT_UI1;
    full.bVal = WICJpegYCrCbSubsampling444;
    options->Write(1, &subsampling, &full);
    return true;
}

bool encodeJpeg(IWICImagingFactory* factory, IWICBitmapSource* source, unsigned width,
                unsigned height, unsigned quality, EncodedImage& encoded) {
    Ref<IStream> stream;
    Ref<IWICBitmapEncoder> encoder;
    Ref<IWICBitmapFrameEncode> frame;
    Ref<IPropertyBag2> options;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.out())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.out())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.out(), options.out())))
        return false;
    if (!setQuality(options.get(), quality))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->Initialize(options.get())) || FAILED(frame->SetSize(width, height)) ||
        FAILED(frame->SetPixelFormat(&format)) ||
        !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) ||
        FAILED(frame->WriteSource(source, nullptr)) || FAILED(frame->Commit()) ||
        FAILED(encoder->Commit()))
        return false;
    STATSTG stat{};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) ||
        FAILED(GetHGlobalFromStream(stream.get(), &memory)))
        return false;
    const void* bytes = GlobalLock(memory);
    if (!bytes)
        return false;
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    encoded.bytes.assign(first, first + static_cast<std::size_t>(stat.cbSize.QuadPart));
    GlobalUnlock(memory);
    return true;
}

} // namespace

bool decodeJpegScaled(const std::uint8_t* jpeg, std::size_t size, unsigned width, unsigned height,
                      RgbImage& image) {
    ComScope com;
    Ref<IWICImagingFactory> factory;
    Ref<IWICStream> stream;
    Ref<IWICBitmapDecoder> decoder;
    Ref<IWICBitmapFrameDecode> frame;
    UINT fullWidth = 0, fullHeight = 0;
    if (!com.ready() || size > MAXDWORD || !makeFactory(factory) ||
        FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(jpeg), static_cast<DWORD>(size))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), &GUID_ContainerFormatJpeg,
                                                WICDecodeMetadataCacheOnDemand, decoder.out())) ||
        FAILED(decoder->GetFrame(0, frame.out())) ||
        FAILED(frame->GetSize(&fullWidth, &fullHeight)) || fullWidth < width || fullHeight < height)
        return false;
    // Some scalers (Wine's) only pick pixels: twice the size asked leaves four to each pixel
    // of the picture for the box resize after this to average.
    image.width = std::min<UINT>(fullWidth, kOversample * width);
    image.height = std::min<UINT>(fullHeight, kOversample * height);
    Ref<IWICBitmapScaler> scaler;
    Ref<IWICFormatConverter> converter;
    if (FAILED(factory->CreateBitmapScaler(scaler.out())) ||
        FAILED(scaler->Initialize(frame.get(), image.width, image.height,
                                  WICBitmapInterpolationModeFant)) ||
        FAILED(factory->CreateFormatConverter(converter.out())) ||
        FAILED(converter->Initialize(scaler.get(), GUID_WICPixelFormat24bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return false;
    UINT stride = image.width * kPixelSize;
    image.pixels.assign(static_cast<std::size_t>(stride) * image.height, 0);
    if (FAILED(converter->CopyPixels(nullptr, stride, static_cast<UINT>(image.pixels.size()),
                                     image.pixels.data())))
        return false;
    swapRedAndBlue(image.pixels);
    return true;
}

bool encodeThumbnail(const RgbImage& image, unsigned quality, EncodedImage& encoded) {
    ComScope com;
    Ref<IWICImagingFactory> factory;
    Ref<IWICBitmap> bitmap;
    std::vector<std::uint8_t> pixels = image.pixels;
    UINT stride = image.width * kPixelSize;
    if (!com.ready() || pixels.size() != static_cast<std::size_t>(stride) * image.height ||
        !makeFactory(factory))
        return false;
    swapRedAndBlue(pixels);
    if (FAILED(factory->CreateBitmapFromMemory(
            image.width, image.height, GUID_WICPixelFormat24bppBGR, stride,
            static_cast<UINT>(pixels.size()), pixels.data(), bitmap.out())))
        return false;
    encoded.extension = "jpg";
    return encodeJpeg(factory.get(), bitmap.get(), image.width, image.height, quality, encoded);
}

} // namespace kovra
