#include "shell/ContentCheck.h"

#include "platform/DataFile.h"
#include "platform/Paths.h"
#include "platform/TrackCheck.h"
#include "platform/VideoDecoder.h"
#include "render/ShadeRamp.h"
#include "render/Tga.h"
#include "scenes/ContentPaths.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr const char* kCannotOpen = "cannot open: ";
constexpr const char* kCannotRead = "cannot read: ";
constexpr const char* kNoValues = "holds no values";
constexpr const char* kNotPicture = "not a TGA picture the show can read (cut short, or another format)";
constexpr const char* kNotMovie = "not a movie the show can open";
constexpr const char* kNoVideoDecoder = "its video cannot be decoded";
constexpr const char* kNoFrames = "has no frames";
constexpr const char* kFirstFrameFails = "its first frame cannot be decoded";
constexpr const char* kLastFrameFails = "its last frame cannot be decoded";
constexpr const char* kUsable = "OK";
constexpr int kAllUsableExitCode = 0;
constexpr int kSomeUnusableExitCode = 1;

std::string CheckPicture(const char* path) {
    return LoadTga(path) ? std::string() : kNotPicture;
}

std::string CheckMovie(const char* path) {
    std::unique_ptr<platform::VideoStream> stream = platform::CurrentVideoDecoder().OpenStream(path);
    if (!stream) {
        return kNotMovie;
    }
    if (!stream->OpenFrameReader()) {
        return kNoVideoDecoder;
    }
    const int32_t frames = stream->Info().frameCount;
    if (frames <= 0) {
        return kNoFrames;
    }
    std::vector<uint8_t> picture(platform::kVideoPictureBytes);
    if (!stream->DecodeFrame(0, picture.data())) {
        return kFirstFrameFails;
    }
    if (!stream->DecodeFrame(frames - 1, picture.data())) {
        return kLastFrameFails;
    }
    return {};
}

std::string CheckTrack(const char* path) {
    return platform::CheckTrackDecodes(path);
}

using Checker = std::string (*)(const char* path);
struct KindChecker {
    ContentKind kind;
    Checker check;
};
constexpr KindChecker kCheckers[] = {
    {ContentKind::Picture, CheckPicture},
    {ContentKind::Movie, CheckMovie},
    {ContentKind::Track, CheckTrack},
};

ContentReport CheckFile(const ContentFile& content) {
    ContentReport report;
    report.path = platform::ResolvePath(content.path);
    // The loaders only say that they failed; opening the file first says why when it is not there or
    // is no file to read (a FIFO would otherwise keep the check waiting for a writer).
    platform::DataFile file;
    if (!file.Open(content.path)) {
        report.problem = kCannotOpen + file.Problem();
        report.unreadable = true;
        return report;
    }
    for (const KindChecker& checker : kCheckers) {
        if (checker.kind == content.kind) {
            report.problem = checker.check(content.path);
        }
    }
    return report;
}

} // namespace

ContentReport CheckShadeRamp(float ramp[kShadeRampSize][3]) {
    ContentReport report;
    report.path = platform::ResolvePath(kShadeRampFile);
    const ShadeRampLoad load = LoadShadeRamp(ramp);
    if (!load.problem.empty()) {
        report.problem = (load.opened ? kCannotRead : kCannotOpen) + load.problem;
        report.unreadable = true;
    } else if (load.values == 0) {
        report.problem = kNoValues;
    }
    return report;
}

int PrintContentCheck(std::ostream& out) {
    int exitCode = kAllUsableExitCode;
    // Each line as soon as its file is checked: a check that is stopped, or that a slow file holds up,
    // still shows how far it got.
    const auto print = [&out, &exitCode](const ContentReport& report) {
        out << report.path << ": " << (report.problem.empty() ? kUsable : report.problem) << std::endl;
        if (!report.problem.empty()) {
            exitCode = kSomeUnusableExitCode;
        }
    };
    float ramp[kShadeRampSize][3];
    print(CheckShadeRamp(ramp));
    for (const ContentFile& content : kContentFiles) {
        print(CheckFile(content));
    }
    return exitCode;
}
