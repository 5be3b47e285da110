#include "player/png_codec_win.h"

#include <vector>
#include <windows.h>
#include <wincodec.h>

#include "base/win_owners.h"
#include "script/screen_wait.h"

namespace {

ComRef<IWICImagingFactory> makeFactory()
{
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory)))) {
        return ComRef<IWICImagingFactory>();
    }
    return ComRef<IWICImagingFactory>(factory);
}

}  // namespace

bool decodePngPicture(const std::string& png, PixelBuffer& pixels)
{
    if (png.empty() || png.size() > 0x7FFFFFFF) {
        return false;
    }
    ComScope com;
    const ComRef<IWICImagingFactory> factory = makeFactory();
    IWICStream* rawStream = nullptr;
    if (!factory || FAILED(factory.get()->CreateStream(&rawStream))) {
        return false;
    }
    const ComRef<IWICStream> stream(rawStream);
    // WIC reads the bytes where they are; the string outlives the decoder.
    auto* bytes = reinterpret_cast<BYTE*>(const_cast<char*>(png.data()));
    IWICBitmapDecoder* rawDecoder = nullptr;
    if (FAILED(stream.get()->InitializeFromMemory(bytes, static_cast<DWORD>(png.size()))) ||
        FAILED(factory.get()->CreateDecoderFromStream(stream.get(), &GUID_ContainerFormatPng,
                                                      WICDecodeMetadataCacheOnDemand, &rawDecoder))) {
        return false;
    }
    const ComRef<IWICBitmapDecoder> decoder(rawDecoder);
    IWICBitmapFrameDecode* rawFrame = nullptr;
    IWICFormatConverter* rawConverter = nullptr;
    if (FAILED(decoder.get()->GetFrame(0, &rawFrame))) {
        return false;
    }
    const ComRef<IWICBitmapFrameDecode> frame(rawFrame);
    if (FAILED(factory.get()->CreateFormatConverter(&rawConverter))) {
        return false;
    }
    const ComRef<IWICFormatConverter> converter(rawConverter);
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converter.get()->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                           0.0, WICBitmapPaletteTypeCustom)) ||
        FAILED(converter.get()->GetSize(&width, &height)) || width < 1 || height < 1 ||
        width > static_cast<UINT>(kMaxPictureSide) || height > static_cast<UINT>(kMaxPictureSide)) {
        return false;
    }
    const UINT stride = width * 4;
    std::vector<uint8_t> rows(static_cast<size_t>(stride) * height);
    if (FAILED(converter.get()->CopyPixels(nullptr, stride, static_cast<UINT>(rows.size()), rows.data()))) {
        return false;
    }
    return pixelsFromRows(rows.data(), rows.size(), static_cast<int32_t>(width), static_cast<int32_t>(height), stride,
                          kMaxPictureSide, pixels);
}

bool encodePngPicture(const PixelView& pixels, std::string& png)
{
    if (pixels.pixels == nullptr || pixels.width < 1 || pixels.height < 1) {
        return false;
    }
    ComScope com;
    const ComRef<IWICImagingFactory> factory = makeFactory();
    IStream* rawStream = nullptr;
    if (!factory || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &rawStream))) {
        return false;
    }
    const ComRef<IStream> stream(rawStream);
    IWICBitmapEncoder* rawEncoder = nullptr;
    if (FAILED(factory.get()->CreateEncoder(GUID_ContainerFormatPng, nullptr, &rawEncoder))) {
        return false;
    }
    const ComRef<IWICBitmapEncoder> encoder(rawEncoder);
    IWICBitmapFrameEncode* rawFrame = nullptr;
    if (FAILED(encoder.get()->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder.get()->CreateNewFrame(&rawFrame, nullptr))) {
        return false;
    }
    const ComRef<IWICBitmapFrameEncode> frame(rawFrame);
    // Opaque pixels: the unused byte of a capture is made 255.
    std::vector<uint32_t> rows(static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height));
    for (int32_t y = 0; y < pixels.height; ++y) {
        for (int32_t x = 0; x < pixels.width; ++x) {
            rows[static_cast<size_t>(y) * static_cast<size_t>(pixels.width) + static_cast<size_t>(x)] =
                pixels.at(x, y) | 0xFF000000u;
        }
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    const UINT stride = static_cast<UINT>(pixels.width) * 4;
    if (FAILED(frame.get()->Initialize(nullptr)) ||
        FAILED(frame.get()->SetSize(static_cast<UINT>(pixels.width), static_cast<UINT>(pixels.height))) ||
        FAILED(frame.get()->SetPixelFormat(&format)) ||
        FAILED(frame.get()->WritePixels(static_cast<UINT>(pixels.height), stride, static_cast<UINT>(rows.size() * 4),
                                        reinterpret_cast<BYTE*>(rows.data()))) ||
        FAILED(frame.get()->Commit()) || FAILED(encoder.get()->Commit())) {
        return false;
    }
    STATSTG stat{};
    if (FAILED(stream.get()->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > 0x7FFFFFFF) {
        return false;
    }
    std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    LARGE_INTEGER start{};
    ULONG read = 0;
    if (FAILED(stream.get()->Seek(start, STREAM_SEEK_SET, nullptr)) ||
        FAILED(stream.get()->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) || read != bytes.size()) {
        return false;
    }
    png.swap(bytes);
    return true;
}
