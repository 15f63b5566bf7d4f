// Serves made-up movies by name and records what is asked of it; installs itself while it lives. Its
// pictures tell the movie (red) and the frame (green) apart and are blue in their lower half only, so
// upside-down shows.
#pragma once

#include "platform/VideoDecoder.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

class FakeVideoDecoder final : public platform::VideoDecoder {
public:
    struct Movie {
        platform::VideoStreamInfo info;
        bool readerOpens = true;
        uint8_t red = 0;
    };

    // Files not added open as `otherFiles`, or not at all without it.
    explicit FakeVideoDecoder(std::optional<Movie> otherFiles = std::nullopt);
    ~FakeVideoDecoder() override;
    FakeVideoDecoder(const FakeVideoDecoder&) = delete;
    FakeVideoDecoder& operator=(const FakeVideoDecoder&) = delete;

    void Add(const std::string& path, int32_t frames, int64_t endTimeMs, uint8_t red = 0,
             bool readerOpens = true);
    int DecodesOf(const std::string& path) const;

    std::unique_ptr<platform::VideoStream> OpenStream(const std::string& path) override;

    std::map<std::string, Movie> movies;
    std::optional<Movie> otherFiles;
    std::vector<std::string> opened;
    std::vector<std::pair<std::string, int32_t>> decodes;
};

} // namespace testing_support
