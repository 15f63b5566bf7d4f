#include "platform/VideoDecoder.h"

#include "platform/DataFile.h"
#include "platform/Paths.h"
#include "platform/SystemBackend.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// Without a keyframe index to consult, decoding forward this many frames is taken to be cheaper
// than a seek back to a keyframe followed by decoding forward from there.
constexpr int32_t kForwardDecodeLimit = 48;
constexpr size_t kPictureRowBytes = static_cast<size_t>(kVideoPictureSide) * 3;
// Movies are AVI files on the local disk: no other container is probed, and no protocol but plain
// file access is allowed, so a name cannot reach the network, a playlist or several files at once.
constexpr const char* kMovieContainer = "avi";
constexpr const char* kAllowedProtocols = "file";

uint64_t seekCount = 0;

struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

// The deprecated full-range YUV formats (what JPEG-based codecs report) expressed as the plain
// formats plus the range, which is how the scaler wants them.
AVPixelFormat PlainFormat(AVPixelFormat format, bool& fullRange) {
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        fullRange = true;
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        fullRange = true;
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        fullRange = true;
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        fullRange = true;
        return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
        fullRange = true;
        return AV_PIX_FMT_YUV411P;
    default:
        return format;
    }
}

bool IsYuv(AVPixelFormat format) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    return descriptor && !(descriptor->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) &&
           descriptor->nb_components >= 3;
}

class FfmpegVideoStream final : public VideoStream {
public:
    static std::unique_ptr<VideoStream> Open(const std::string& path);
    ~FfmpegVideoStream() override;

    VideoStreamInfo Info() const override { return info; }
    bool OpenFrameReader() override;
    bool DecodeFrame(int32_t index, uint8_t* picture) override;

private:
    FfmpegVideoStream() = default;
    bool FindStream();
    int32_t CountPackets();
    int32_t IndexOf(int64_t timestamp) const;
    int64_t TimestampOf(int32_t index) const;
    int32_t KeyframeAtOrBefore(int32_t index) const;
    bool NeedsSeek(int32_t index) const;
    bool SeekBefore(int32_t index);
    bool ReceiveNext();
    bool Convert(const AVFrame* frame, uint8_t* picture);

    AVFormatContext* format = nullptr;
    AVStream* stream = nullptr;
    AVCodecContext* codec = nullptr;
    SwsContext* scaler = nullptr;
    AVPacket* packet = nullptr;
    VideoStreamInfo info;
    AVRational frameDuration{1, 25};
    int64_t startTimestamp = 0;

    // `held` is the latest frame taken from the decoder that was not later than the last request;
    // `pending` one taken beyond it (a gap in the file), kept for the next request.
    FramePtr held;
    FramePtr pending;
    int32_t heldIndex = -1;
    int32_t pendingIndex = -1;
    bool positionValid = true; // the demuxer and decoder continue where `held` left off
    bool demuxerEnded = false;
    bool drained = false;
    std::vector<uint8_t> scaled = std::vector<uint8_t>(kVideoPictureBytes);
};

std::unique_ptr<VideoStream> FfmpegVideoStream::Open(const std::string& path) {
    const AVInputFormat* container = av_find_input_format(kMovieContainer);
    if (!container || !IsRegularFile(path)) {
        return nullptr;
    }
    std::unique_ptr<FfmpegVideoStream> self(new FfmpegVideoStream());
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", kAllowedProtocols, 0);
    // The file protocol's own prefix keeps a name such as "concat:a|b" from naming a protocol.
    const std::string url = std::string(kAllowedProtocols) + ":" + path;
    const int opened = avformat_open_input(&self->format, url.c_str(), container, &options);
    av_dict_free(&options);
    if (opened < 0) {
        return nullptr;
    }
    if (avformat_find_stream_info(self->format, nullptr) < 0 || !self->FindStream()) {
        return nullptr;
    }
    return self;
}

FfmpegVideoStream::~FfmpegVideoStream() {
    sws_freeContext(scaler);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
}

bool FfmpegVideoStream::FindStream() {
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        AVStream* candidate = format->streams[i];
        if (!stream && candidate->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            stream = candidate;
        } else {
            candidate->discard = AVDISCARD_ALL;
        }
    }
    if (!stream) {
        return false;
    }
    AVRational rate = stream->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) {
        rate = stream->r_frame_rate;
    }
    if (rate.num <= 0 || rate.den <= 0) {
        rate = av_inv_q(stream->time_base);
    }
    if (rate.num > 0 && rate.den > 0) {
        frameDuration = av_inv_q(rate);
    }
    startTimestamp = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    packet = av_packet_alloc();
    if (!packet) {
        return false;
    }
    // The frame count comes from the container's header, as the movie's length in frames; only a
    // container that does not say is read through once to count.
    int64_t frames = stream->nb_frames;
    if (frames <= 0) {
        frames = CountPackets();
    }
    info.frameCount = static_cast<int32_t>(std::min<int64_t>(frames, INT32_MAX));
    info.width = stream->codecpar->width;
    info.height = stream->codecpar->height;
    info.endTimeMs = av_rescale_q(info.frameCount, frameDuration, AVRational{1, 1000});
    return true;
}

int32_t FfmpegVideoStream::CountPackets() {
    int64_t count = 0;
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == stream->index) {
            ++count;
        }
        av_packet_unref(packet);
    }
    positionValid = false;
    return static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX));
}

int32_t FfmpegVideoStream::IndexOf(int64_t timestamp) const {
    const int64_t index = av_rescale_q_rnd(timestamp - startTimestamp, stream->time_base, frameDuration,
                                           static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    return static_cast<int32_t>(std::clamp<int64_t>(index, INT32_MIN, INT32_MAX));
}

int64_t FfmpegVideoStream::TimestampOf(int32_t index) const {
    return startTimestamp + av_rescale_q(index, frameDuration, stream->time_base);
}

// -1 when the file keeps no index of its keyframes.
int32_t FfmpegVideoStream::KeyframeAtOrBefore(int32_t index) const {
    const AVIndexEntry* entry =
        avformat_index_get_entry_from_timestamp(stream, TimestampOf(index), AVSEEK_FLAG_BACKWARD);
    return entry ? IndexOf(entry->timestamp) : -1;
}

bool FfmpegVideoStream::NeedsSeek(int32_t index) const {
    if (!positionValid) {
        return true;
    }
    if (heldIndex >= 0 && index < heldIndex) {
        return true;
    }
    const int32_t cursor = pendingIndex >= 0 ? pendingIndex : heldIndex;
    if (index <= cursor + 1 || drained) {
        return false;
    }
    const int32_t keyframe = KeyframeAtOrBefore(index);
    if (keyframe >= 0) {
        return keyframe > cursor + 1;
    }
    return index - cursor > kForwardDecodeLimit;
}

bool FfmpegVideoStream::SeekBefore(int32_t index) {
    // A file whose index cannot take us near the frame is decoded forward from its start instead.
    if (av_seek_frame(format, stream->index, TimestampOf(index), AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(format, stream->index, startTimestamp, AVSEEK_FLAG_BACKWARD) < 0) {
        return false;
    }
    ++seekCount;
    avcodec_flush_buffers(codec);
    av_frame_unref(held.get());
    av_frame_unref(pending.get());
    heldIndex = -1;
    pendingIndex = -1;
    positionValid = true;
    demuxerEnded = false;
    drained = false;
    return true;
}

// Takes the next decoded frame into `pending`; false once the decoder has given its last frame.
bool FfmpegVideoStream::ReceiveNext() {
    for (;;) {
        const int received = avcodec_receive_frame(codec, pending.get());
        if (received == 0) {
            int64_t timestamp = pending->best_effort_timestamp;
            if (timestamp == AV_NOPTS_VALUE) {
                timestamp = pending->pts;
            }
            pendingIndex = timestamp != AV_NOPTS_VALUE ? IndexOf(timestamp) : heldIndex + 1;
            return true;
        }
        if (received != AVERROR(EAGAIN) || demuxerEnded) {
            drained = true;
            return false;
        }
        if (av_read_frame(format, packet) < 0) {
            demuxerEnded = true;
            avcodec_send_packet(codec, nullptr);
            continue;
        }
        // An empty packet (a dropped frame in the file) would read as the end of the input.
        if (packet->stream_index == stream->index && packet->size > 0) {
            // A damaged packet is skipped; the frames around it still decode.
            avcodec_send_packet(codec, packet);
        }
        av_packet_unref(packet);
    }
}

bool FfmpegVideoStream::OpenFrameReader() {
    if (codec) {
        return true;
    }
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder) {
        return false;
    }
    codec = avcodec_alloc_context3(decoder);
    if (!codec || avcodec_parameters_to_context(codec, stream->codecpar) < 0) {
        avcodec_free_context(&codec);
        return false;
    }
    // One frame in, one frame out: frame threads would hold frames back and cost the other cores.
    codec->thread_count = 1;
    codec->pkt_timebase = stream->time_base;
    if (avcodec_open2(codec, decoder, nullptr) < 0) {
        avcodec_free_context(&codec);
        return false;
    }
    held.reset(av_frame_alloc());
    pending.reset(av_frame_alloc());
    return held && pending;
}

bool FfmpegVideoStream::DecodeFrame(int32_t index, uint8_t* picture) {
    if (!codec || index < 0) {
        return false;
    }
    if (heldIndex >= 0 && heldIndex == index) {
        return Convert(held.get(), picture);
    }
    if (NeedsSeek(index) && !SeekBefore(index)) {
        return false;
    }
    for (;;) {
        if (pendingIndex >= 0) {
            if (pendingIndex > index) {
                break;
            }
            std::swap(held, pending);
            heldIndex = pendingIndex;
            av_frame_unref(pending.get());
            pendingIndex = -1;
            if (heldIndex == index) {
                break;
            }
            continue;
        }
        if (drained || !ReceiveNext()) {
            break;
        }
    }
    // Past the end of the file the last frame stays; before the first decodable frame, that frame.
    if (heldIndex >= 0) {
        return Convert(held.get(), picture);
    }
    if (pendingIndex >= 0) {
        return Convert(pending.get(), picture);
    }
    return false;
}

bool FfmpegVideoStream::Convert(const AVFrame* frame, uint8_t* picture) {
    bool fullRange = frame->color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat source = PlainFormat(static_cast<AVPixelFormat>(frame->format), fullRange);
    scaler =
        sws_getCachedContext(scaler, frame->width, frame->height, source, kVideoPictureSide,
                             kVideoPictureSide, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!scaler) {
        return false;
    }
    if (IsYuv(source)) {
        const int* coefficients = sws_getCoefficients(SWS_CS_DEFAULT);
        sws_setColorspaceDetails(scaler, coefficients, fullRange ? 1 : 0, coefficients, 1, 0, 1 << 16,
                                 1 << 16);
    }
    uint8_t* destination[4] = {scaled.data(), nullptr, nullptr, nullptr};
    const int destinationStride[4] = {static_cast<int>(kPictureRowBytes), 0, 0, 0};
    if (sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, destination, destinationStride) <=
        0) {
        return false;
    }
    // The texture wants the bottom row first, as a bottom-up bitmap holds it.
    for (int row = 0; row < kVideoPictureSide; ++row) {
        std::memcpy(picture + static_cast<size_t>(kVideoPictureSide - 1 - row) * kPictureRowBytes,
                    scaled.data() + static_cast<size_t>(row) * kPictureRowBytes, kPictureRowBytes);
    }
    return true;
}

class FfmpegVideoDecoder final : public VideoDecoder {
public:
    std::unique_ptr<VideoStream> OpenStream(const std::string& path) override {
        static const bool quieted = [] {
            // Decoders report recoverable damage on standard error at the default level.
            av_log_set_level(AV_LOG_ERROR);
            return true;
        }();
        (void)quieted;
        return FfmpegVideoStream::Open(ResolvePath(path));
    }
};

FfmpegVideoDecoder ffmpegDecoder;

} // namespace

uint64_t VideoSeekCountForTests() {
    return seekCount;
}

VideoDecoder& internal::SystemVideoDecoder() {
    return ffmpegDecoder;
}

} // namespace platform
