// Movie files decoded frame by frame into 256 x 256 RGB pictures for the video textures.
// Backed by FFmpeg (libavformat, libavcodec, libswscale); tests install a fake decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

constexpr int kVideoPictureSide = 256;
constexpr size_t kVideoPictureBytes = static_cast<size_t>(kVideoPictureSide) * kVideoPictureSide * 3;

struct VideoStreamInfo {
    int32_t frameCount = 0;
    int32_t width = 0; // the coded frame rectangle
    int32_t height = 0;
    // Stream time at which frame `frameCount` would begin: the length of the movie in ms.
    int64_t endTimeMs = 0;
};

class VideoStream {
public:
    virtual ~VideoStream() = default;
    virtual VideoStreamInfo Info() const = 0;
    // Prepares decoding; false when the stream's codec cannot be decoded.
    virtual bool OpenFrameReader() = 0;
    // Writes frame `index` (or the latest frame before it when the file has a gap there), stretched
    // to 256 x 256, as RGB bytes with the bottom row first. Reading frames in order never seeks.
    // False when nothing could be decoded; the buffer is then left as it was.
    virtual bool DecodeFrame(int32_t index, uint8_t* picture) = 0;
};

class VideoDecoder {
public:
    virtual ~VideoDecoder() = default;
    // The first video stream of the file (found with platform::ResolvePath), or null. Only a regular
    // file in the AVI container is opened.
    virtual std::unique_ptr<VideoStream> OpenStream(const std::string& path) = 0;
};

// How many times FFmpeg streams have repositioned their file, over the process; lets tests see
// that reading frames in order never seeks.
uint64_t VideoSeekCountForTests();

// nullptr puts the FFmpeg decoder back.
void InstallVideoDecoder(VideoDecoder* decoder);
VideoDecoder& CurrentVideoDecoder();

} // namespace platform
