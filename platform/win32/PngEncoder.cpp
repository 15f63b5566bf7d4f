#include "platform/PngEncoder.h"

#include "platform/win32/ComPtr.h"

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>

namespace platform {
namespace {

constexpr int kBytesPerPixel = 3;
constexpr const char* kNoImaging = "the Windows Imaging Component is not available";
constexpr const char* kEncodeFailed = "the Windows Imaging Component's PNG encoder failed";

// COM for the calling thread (the snapshot's writer), for as long as the encoding takes.
class ComForThisThread {
public:
    ComForThisThread() : started(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComForThisThread() {
        if (started) {
            CoUninitialize();
        }
    }
    ComForThisThread(const ComForThisThread&) = delete;
    ComForThisThread& operator=(const ComForThisThread&) = delete;

private:
    bool started;
};

// WIC's PNG encoder takes its three-byte pixels in blue, green, red order.
std::vector<uint8_t> SwappedToBgr(const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> bgr(rgb.size());
    for (size_t i = 0; i + 2 < rgb.size(); i += kBytesPerPixel) {
        bgr[i] = rgb[i + 2];
        bgr[i + 1] = rgb[i + 1];
        bgr[i + 2] = rgb[i];
    }
    return bgr;
}

bool EncodeInto(IWICImagingFactory* factory, IStream* stream, std::vector<uint8_t>& bgr, int width,
                int height) {
    IWICBitmapEncoder* rawEncoder = nullptr;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &rawEncoder))) {
        return false;
    }
    ComPtr<IWICBitmapEncoder> encoder(rawEncoder);
    if (FAILED(encoder->Initialize(stream, WICBitmapEncoderNoCache))) {
        return false;
    }
    IWICBitmapFrameEncode* rawFrame = nullptr;
    IPropertyBag2* rawOptions = nullptr;
    if (FAILED(encoder->CreateNewFrame(&rawFrame, &rawOptions))) {
        return false;
    }
    ComPtr<IWICBitmapFrameEncode> frame(rawFrame);
    ComPtr<IPropertyBag2> options(rawOptions);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    const UINT stride = static_cast<UINT>(width * kBytesPerPixel);
    return SUCCEEDED(frame->Initialize(options.get())) &&
           SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
           SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
           SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), stride, static_cast<UINT>(bgr.size()),
                                        bgr.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

bool ReadBack(IStream* stream, std::string* bytes) {
    ULARGE_INTEGER end{};
    LARGE_INTEGER none{};
    if (FAILED(stream->Seek(none, STREAM_SEEK_END, &end)) ||
        FAILED(stream->Seek(none, STREAM_SEEK_SET, nullptr))) {
        return false;
    }
    bytes->resize(static_cast<size_t>(end.QuadPart));
    ULONG read = 0;
    return SUCCEEDED(stream->Read(bytes->data(), static_cast<ULONG>(bytes->size()), &read)) &&
           read == bytes->size();
}

} // namespace

bool EncodePng(const std::vector<uint8_t>& rgb, int width, int height, std::string* png,
               std::string* problem) {
    if (width <= 0 || height <= 0 ||
        rgb.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * kBytesPerPixel) {
        *problem = kPngWrongPixelCount;
        return false;
    }
    const ComForThisThread com;
    IWICImagingFactory* rawFactory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&rawFactory)))) {
        *problem = kNoImaging;
        return false;
    }
    ComPtr<IWICImagingFactory> factory(rawFactory);
    IStream* rawStream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &rawStream))) {
        *problem = kEncodeFailed;
        return false;
    }
    ComPtr<IStream> stream(rawStream);
    std::vector<uint8_t> bgr = SwappedToBgr(rgb);
    if (!EncodeInto(factory.get(), stream.get(), bgr, width, height) || !ReadBack(stream.get(), png)) {
        *problem = kEncodeFailed;
        return false;
    }
    return true;
}

} // namespace platform
