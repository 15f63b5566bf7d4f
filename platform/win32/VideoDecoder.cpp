// The Windows movie decoder: Video for Windows reads the AVI file and runs the installed video codecs;
// Motion JPEG frames go to the system's JPEG decoder (WIC), since Windows installs no Video for Windows
// codec for them; uncompressed frames are read as they are stored.
#include "platform/VideoDecoder.h"

#include "platform/Paths.h"
#include "platform/SystemBackend.h"
#include "platform/win32/ComPtr.h"

#include <windows.h>
#include <vfw.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {
namespace {

constexpr size_t kPictureRowBytes = static_cast<size_t>(kVideoPictureSide) * 3;
// Frames larger than this are taken for damage, not for a movie to be shown on a 256 x 256 texture.
constexpr LONG kLargestFrameSide = 8192;
constexpr DWORD kRiffAviHeaderBytes = 12;

uint64_t seekCount = 0;

// Motion JPEG codes under the names AVI writers give it.
constexpr DWORD kJpegCodes[] = {mmioFOURCC('M', 'J', 'P', 'G'), mmioFOURCC('A', 'V', 'R', 'N'),
                                mmioFOURCC('D', 'M', 'B', '1'), mmioFOURCC('J', 'P', 'G', 'L')};

DWORD UpperCode(DWORD code) {
    DWORD upper = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const auto letter = static_cast<char>((code >> shift) & 0xFF);
        const DWORD raised =
            static_cast<unsigned char>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
        upper |= raised << shift;
    }
    return upper;
}

bool IsJpegCode(DWORD code) {
    return std::find(std::begin(kJpegCodes), std::end(kJpegCodes), UpperCode(code)) != std::end(kJpegCodes);
}

// A local disk file that starts as a RIFF AVI file. AVIFile would otherwise hand other RIFF files, and
// names of pipes or devices, to whatever handler claims them.
bool IsLocalAviFile(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION about{};
    char header[kRiffAviHeaderBytes] = {};
    DWORD got = 0;
    const bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &about) &&
                    (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                    ReadFile(file, header, sizeof header, &got, nullptr) && got == sizeof header &&
                    std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 8, "AVI ", 4) == 0;
    CloseHandle(file);
    return ok;
}

// One axis of the stretch to 256: for each target position the source positions and their weights, a
// triangle filter as wide as the step between source samples (as the Linux decoder's bilinear scaler).
struct AxisTaps {
    std::vector<int> first;     // first source position of each target position
    std::vector<int> count;     // how many taps it has
    std::vector<float> weights; // `count` weights per target position, each row summing to 1
    int widest = 0;
};

AxisTaps MakeTaps(int sourceSize) {
    AxisTaps taps;
    const double step = static_cast<double>(sourceSize) / kVideoPictureSide;
    const double radius = std::max(1.0, step);
    const int widest = static_cast<int>(std::ceil(radius)) * 2 + 1;
    taps.widest = widest;
    taps.first.resize(kVideoPictureSide);
    taps.count.resize(kVideoPictureSide);
    taps.weights.assign(static_cast<size_t>(kVideoPictureSide) * widest, 0.0f);
    for (int target = 0; target < kVideoPictureSide; ++target) {
        const double centre = (target + 0.5) * step - 0.5;
        const int low = static_cast<int>(std::ceil(centre - radius + 1e-9));
        const int high = static_cast<int>(std::floor(centre + radius - 1e-9));
        float* weights = &taps.weights[static_cast<size_t>(target) * widest];
        const int first = std::clamp(low, 0, sourceSize - 1);
        int last = first;
        double sum = 0.0;
        // Positions beyond the edges lend their weight to the edge sample.
        for (int position = low; position <= high; ++position) {
            const double weight = 1.0 - std::fabs(position - centre) / radius;
            if (weight <= 0.0) {
                continue;
            }
            const int clamped = std::clamp(position, 0, sourceSize - 1);
            weights[clamped - first] += static_cast<float>(weight);
            last = std::max(last, clamped);
            sum += weight;
        }
        taps.first[target] = first;
        taps.count[target] = last - first + 1;
        for (int i = 0; i < taps.count[target]; ++i) {
            weights[i] = static_cast<float>(weights[i] / sum);
        }
    }
    return taps;
}

// A decoded frame in a common shape: RGB bytes, top row first, no padding.
struct RgbFrame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// Stretches the frame to 256 x 256 with the bottom row first, as the texture wants it.
void Stretch(const RgbFrame& frame, uint8_t* picture) {
    const AxisTaps across = MakeTaps(frame.width);
    const AxisTaps down = MakeTaps(frame.height);
    std::vector<float> rows(static_cast<size_t>(frame.height) * kVideoPictureSide * 3);
    for (int y = 0; y < frame.height; ++y) {
        const uint8_t* source = &frame.pixels[static_cast<size_t>(y) * frame.width * 3];
        float* target = &rows[static_cast<size_t>(y) * kVideoPictureSide * 3];
        for (int x = 0; x < kVideoPictureSide; ++x) {
            const float* weights = &across.weights[static_cast<size_t>(x) * across.widest];
            const uint8_t* pixel = source + static_cast<size_t>(across.first[x]) * 3;
            float sum[3] = {};
            for (int tap = 0; tap < across.count[x]; ++tap) {
                for (int channel = 0; channel < 3; ++channel) {
                    sum[channel] += weights[tap] * pixel[tap * 3 + channel];
                }
            }
            std::copy(sum, sum + 3, target + x * 3);
        }
    }
    for (int y = 0; y < kVideoPictureSide; ++y) {
        const float* weights = &down.weights[static_cast<size_t>(y) * down.widest];
        uint8_t* target = picture + static_cast<size_t>(kVideoPictureSide - 1 - y) * kPictureRowBytes;
        for (size_t i = 0; i < kPictureRowBytes; ++i) {
            float sum = 0.0f;
            for (int tap = 0; tap < down.count[y]; ++tap) {
                sum += weights[tap] * rows[static_cast<size_t>(down.first[y] + tap) * kPictureRowBytes + i];
            }
            target[i] = static_cast<uint8_t>(std::clamp(std::lround(sum), 0L, 255L));
        }
    }
}

// Unpacks a device-independent bitmap of 8 (palette), 16 (5-5-5), 24 or 32 bits a pixel. `bits` holds
// `available` bytes; false when they cannot hold the picture the header describes.
bool UnpackDib(const BITMAPINFOHEADER& header, const RGBQUAD* palette, DWORD paletteSize, const uint8_t* bits,
               size_t available, RgbFrame& frame) {
    const LONG width = header.biWidth;
    const LONG height = std::labs(header.biHeight);
    const int bitCount = header.biBitCount;
    if (header.biCompression != BI_RGB || width <= 0 || height <= 0 || width > kLargestFrameSide ||
        height > kLargestFrameSide || (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)) {
        return false;
    }
    const size_t stride = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    if (available < stride * height) {
        return false;
    }
    frame.width = width;
    frame.height = height;
    frame.pixels.resize(static_cast<size_t>(width) * height * 3);
    const bool bottomUp = header.biHeight > 0;
    for (LONG y = 0; y < height; ++y) {
        const uint8_t* row = bits + stride * (bottomUp ? height - 1 - y : y);
        uint8_t* out = &frame.pixels[static_cast<size_t>(y) * width * 3];
        for (LONG x = 0; x < width; ++x, out += 3) {
            switch (bitCount) {
            case 8: {
                const uint8_t index = row[x];
                const RGBQUAD colour = index < paletteSize ? palette[index] : RGBQUAD{};
                out[0] = colour.rgbRed;
                out[1] = colour.rgbGreen;
                out[2] = colour.rgbBlue;
                break;
            }
            case 16: {
                // Five bits shifted up without filling the low bits, as FFmpeg widens them on Linux.
                const unsigned value = row[x * 2] | (row[x * 2 + 1] << 8);
                out[0] = static_cast<uint8_t>(((value >> 10) & 31) << 3);
                out[1] = static_cast<uint8_t>(((value >> 5) & 31) << 3);
                out[2] = static_cast<uint8_t>((value & 31) << 3);
                break;
            }
            default: {
                const uint8_t* pixel = row + static_cast<size_t>(x) * (bitCount / 8);
                out[0] = pixel[2];
                out[1] = pixel[1];
                out[2] = pixel[0];
                break;
            }
            }
        }
    }
    return true;
}

// The palette colours a header says follow it.
DWORD PaletteSize(const BITMAPINFOHEADER& header) {
    if (header.biBitCount > 8) {
        return 0;
    }
    return header.biClrUsed != 0 ? std::min<DWORD>(header.biClrUsed, 256) : 1u << header.biBitCount;
}

enum class Route {
    Codec,        // the installed Video for Windows codec, through AVIStreamGetFrame
    Jpeg,         // each stored frame through WIC's JPEG decoder
    Uncompressed, // each stored frame as it is
};

class WindowsVideoStream final : public VideoStream {
public:
    static std::unique_ptr<VideoStream> Open(const std::string& path);
    ~WindowsVideoStream() override;

    VideoStreamInfo Info() const override { return info; }
    bool OpenFrameReader() override;
    bool DecodeFrame(int32_t index, uint8_t* picture) override;

private:
    WindowsVideoStream() = default;
    bool ReadInfo();
    bool DecodeWithCodec(LONG sample);
    bool ReadStored(LONG sample);
    bool DecodeJpeg(const uint8_t* data, size_t size);
    bool Continues(int32_t index) const;

    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    PGETFRAME getFrame = nullptr;
    ComPtr<IWICImagingFactory> imaging;
    bool comStarted = false;
    VideoStreamInfo info;
    LONG firstSample = 0;
    std::vector<uint8_t> format; // the stream's BITMAPINFOHEADER and palette
    Route route = Route::Codec;
    bool readerOpen = false;
    std::vector<uint8_t> stored;
    RgbFrame frame;
    int32_t frameIndex = -1; // the frame `frame` holds
};

const BITMAPINFOHEADER& HeaderOf(const std::vector<uint8_t>& format) {
    return *reinterpret_cast<const BITMAPINFOHEADER*>(format.data());
}

std::unique_ptr<VideoStream> WindowsVideoStream::Open(const std::string& path) {
    if (!IsLocalAviFile(path)) {
        return nullptr;
    }
    std::unique_ptr<WindowsVideoStream> self(new WindowsVideoStream());
    if (AVIFileOpenA(&self->file, path.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr) != AVIERR_OK) {
        self->file = nullptr;
        return nullptr;
    }
    if (AVIFileGetStream(self->file, &self->stream, streamtypeVIDEO, 0) != AVIERR_OK) {
        self->stream = nullptr;
        return nullptr;
    }
    return self->ReadInfo() ? std::move(self) : nullptr;
}

WindowsVideoStream::~WindowsVideoStream() {
    if (getFrame) {
        AVIStreamGetFrameClose(getFrame);
    }
    if (stream) {
        AVIStreamRelease(stream);
    }
    if (file) {
        AVIFileRelease(file);
    }
    imaging.reset();
    if (comStarted) {
        CoUninitialize();
    }
}

bool WindowsVideoStream::ReadInfo() {
    AVISTREAMINFOA about{};
    if (AVIStreamInfoA(stream, &about, sizeof about) != AVIERR_OK) {
        return false;
    }
    firstSample = AVIStreamStart(stream);
    LONG size = 0;
    if (AVIStreamReadFormat(stream, firstSample, nullptr, &size) != AVIERR_OK ||
        size < static_cast<LONG>(sizeof(BITMAPINFOHEADER))) {
        return false;
    }
    format.resize(static_cast<size_t>(size));
    if (AVIStreamReadFormat(stream, firstSample, format.data(), &size) != AVIERR_OK) {
        return false;
    }
    const BITMAPINFOHEADER& header = HeaderOf(format);
    // A palette that the format's size cannot hold is not read.
    const size_t paletteBytes = PaletteSize(header) * sizeof(RGBQUAD);
    if (header.biCompression == BI_RGB && header.biSize + paletteBytes > format.size()) {
        return false;
    }
    // The length is the stream header's, or the index's count when a writer left the header's at 0.
    const LONG length = about.dwLength != 0 ? static_cast<LONG>(about.dwLength) : AVIStreamLength(stream);
    info.frameCount = std::max<LONG>(length, 0);
    info.width = header.biWidth;
    info.height = std::labs(header.biHeight);
    if (about.dwRate != 0 && about.dwScale != 0) {
        const double ms = static_cast<double>(info.frameCount) * about.dwScale * 1000.0 / about.dwRate;
        info.endTimeMs = static_cast<int64_t>(std::llround(ms));
    }
    if (IsJpegCode(header.biCompression) || IsJpegCode(about.fccHandler)) {
        route = Route::Jpeg;
    } else if (header.biCompression == BI_RGB) {
        // Wine's AVIStreamGetFrame returns the first frame for every position of such a stream.
        route = Route::Uncompressed;
    }
    return true;
}

bool WindowsVideoStream::OpenFrameReader() {
    if (readerOpen) {
        return true;
    }
    switch (route) {
    case Route::Codec: {
        // Codecs with no more than 16 bits of colour are asked for 16-bit pictures: Wine's MS Video-1
        // decoder gives garbage when asked for 24 bits. Failing both, the codec's own choice.
        const BITMAPINFOHEADER& source = HeaderOf(format);
        const WORD preferred = source.biBitCount != 0 && source.biBitCount <= 16 ? 16 : 24;
        for (const WORD bits : {preferred, static_cast<WORD>(preferred == 16 ? 24 : 16), WORD{0}}) {
            BITMAPINFOHEADER wanted{};
            wanted.biSize = sizeof wanted;
            wanted.biWidth = info.width;
            wanted.biHeight = info.height;
            wanted.biPlanes = 1;
            wanted.biBitCount = bits;
            wanted.biCompression = BI_RGB;
            getFrame = AVIStreamGetFrameOpen(stream, bits != 0 ? &wanted : nullptr);
            if (getFrame) {
                break;
            }
        }
        readerOpen = getFrame != nullptr;
        break;
    }
    case Route::Jpeg: {
        const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comStarted = SUCCEEDED(started);
        IWICImagingFactory* factory = nullptr;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)))) {
            return false;
        }
        imaging.reset(factory);
        readerOpen = true;
        break;
    }
    case Route::Uncompressed:
        readerOpen = true;
        break;
    }
    return readerOpen;
}

// Whether frame `index` follows on from the one held without going back to a key frame.
bool WindowsVideoStream::Continues(int32_t index) const {
    if (index < frameIndex) {
        return false;
    }
    if (route != Route::Codec) {
        return index == frameIndex + 1;
    }
    const LONG key = AVIStreamFindSample(stream, firstSample + index, FIND_PREV | FIND_KEY);
    return key < 0 || key - firstSample <= frameIndex + 1;
}

bool WindowsVideoStream::DecodeFrame(int32_t index, uint8_t* picture) {
    if (!readerOpen || index < 0 || info.frameCount <= 0) {
        return false;
    }
    // Past the end of the movie its last frame stays.
    index = std::min(index, info.frameCount - 1);
    if (index != frameIndex) {
        if (!Continues(index)) {
            ++seekCount;
        }
        const LONG sample = firstSample + index;
        const bool decoded = route == Route::Codec ? DecodeWithCodec(sample) : ReadStored(sample);
        if (!decoded) {
            return false;
        }
        frameIndex = index;
    }
    Stretch(frame, picture);
    return true;
}

bool WindowsVideoStream::DecodeWithCodec(LONG sample) {
    const auto* packed = static_cast<const uint8_t*>(AVIStreamGetFrame(getFrame, sample));
    if (!packed) {
        return false;
    }
    const auto& header = *reinterpret_cast<const BITMAPINFOHEADER*>(packed);
    const DWORD paletteSize = PaletteSize(header);
    const auto* palette = reinterpret_cast<const RGBQUAD*>(packed + header.biSize);
    const uint8_t* bits = packed + header.biSize + paletteSize * sizeof(RGBQUAD);
    const size_t stride =
        ((static_cast<size_t>(std::max<LONG>(header.biWidth, 0)) * header.biBitCount + 31) / 32) * 4;
    return UnpackDib(header, palette, paletteSize, bits, stride * std::labs(header.biHeight), frame);
}

bool WindowsVideoStream::ReadStored(LONG sample) {
    // A frame the writer left empty (a dropped frame) shows the last one stored before it.
    LONG size = 0;
    if (AVIStreamSampleSize(stream, sample, &size) != AVIERR_OK || size <= 0) {
        sample = AVIStreamFindSample(stream, sample, FIND_PREV | FIND_ANY);
        if (sample < 0 || AVIStreamSampleSize(stream, sample, &size) != AVIERR_OK || size <= 0) {
            return false;
        }
    }
    stored.resize(static_cast<size_t>(size));
    LONG bytes = 0;
    if (AVIStreamRead(stream, sample, 1, stored.data(), size, &bytes, nullptr) != AVIERR_OK || bytes <= 0) {
        return false;
    }
    if (route == Route::Jpeg) {
        return DecodeJpeg(stored.data(), static_cast<size_t>(bytes));
    }
    const BITMAPINFOHEADER& header = HeaderOf(format);
    const auto* palette = reinterpret_cast<const RGBQUAD*>(format.data() + header.biSize);
    return UnpackDib(header, palette, PaletteSize(header), stored.data(), static_cast<size_t>(bytes), frame);
}

bool WindowsVideoStream::DecodeJpeg(const uint8_t* data, size_t size) {
    IWICStream* rawStream = nullptr;
    if (FAILED(imaging->CreateStream(&rawStream))) {
        return false;
    }
    ComPtr<IWICStream> memory(rawStream);
    if (FAILED(memory->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size)))) {
        return false;
    }
    IWICBitmapDecoder* rawDecoder = nullptr;
    if (FAILED(imaging->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, &rawDecoder))) {
        return false;
    }
    ComPtr<IWICBitmapDecoder> decoder(rawDecoder);
    if (FAILED(decoder->Initialize(memory.get(), WICDecodeMetadataCacheOnDemand))) {
        return false;
    }
    IWICBitmapFrameDecode* rawFrame = nullptr;
    if (FAILED(decoder->GetFrame(0, &rawFrame))) {
        return false;
    }
    ComPtr<IWICBitmapFrameDecode> decoded(rawFrame);
    IWICBitmapSource* rawConverted = nullptr;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, decoded.get(), &rawConverted))) {
        return false;
    }
    ComPtr<IWICBitmapSource> converted(rawConverted);
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converted->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > static_cast<UINT>(kLargestFrameSide) || height > static_cast<UINT>(kLargestFrameSide)) {
        return false;
    }
    const UINT stride = width * 3;
    std::vector<uint8_t> bgr(static_cast<size_t>(stride) * height);
    if (FAILED(converted->CopyPixels(nullptr, stride, static_cast<UINT>(bgr.size()), bgr.data()))) {
        return false;
    }
    frame.width = static_cast<int>(width);
    frame.height = static_cast<int>(height);
    frame.pixels.resize(bgr.size());
    for (size_t i = 0; i < bgr.size(); i += 3) {
        frame.pixels[i] = bgr[i + 2];
        frame.pixels[i + 1] = bgr[i + 1];
        frame.pixels[i + 2] = bgr[i];
    }
    return true;
}

class WindowsVideoDecoder final : public VideoDecoder {
public:
    std::unique_ptr<VideoStream> OpenStream(const std::string& path) override {
        static const bool started = [] {
            AVIFileInit();
            return true;
        }();
        (void)started;
        return WindowsVideoStream::Open(ResolvePath(path));
    }
};

WindowsVideoDecoder windowsDecoder;

} // namespace

uint64_t VideoSeekCountForTests() {
    return seekCount;
}

VideoDecoder& internal::SystemVideoDecoder() {
    return windowsDecoder;
}

} // namespace platform
