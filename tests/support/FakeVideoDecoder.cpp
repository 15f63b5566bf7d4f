#include "support/FakeVideoDecoder.h"

#include <algorithm>

namespace testing_support {

namespace {

class Stream final : public platform::VideoStream {
public:
    Stream(FakeVideoDecoder& owner, std::string path, FakeVideoDecoder::Movie movie)
        : owner(owner), path(std::move(path)), movie(movie) {}

    platform::VideoStreamInfo Info() const override { return movie.info; }
    bool OpenFrameReader() override { return movie.readerOpens; }
    bool DecodeFrame(int32_t index, uint8_t* picture) override {
        owner.decodes.emplace_back(path, index);
        for (size_t i = 0; i < platform::kVideoPictureBytes; i += 3) { // bottom rows first
            picture[i] = movie.red;
            picture[i + 1] = static_cast<uint8_t>(index);
            picture[i + 2] = i < platform::kVideoPictureBytes / 2 ? 255 : 0;
        }
        return true;
    }

private:
    FakeVideoDecoder& owner;
    std::string path;
    FakeVideoDecoder::Movie movie;
};

} // namespace

FakeVideoDecoder::FakeVideoDecoder(std::optional<Movie> otherFiles) : otherFiles(std::move(otherFiles)) {
    platform::InstallVideoDecoder(this);
}

FakeVideoDecoder::~FakeVideoDecoder() {
    platform::InstallVideoDecoder(nullptr);
}

void FakeVideoDecoder::Add(const std::string& path, int32_t frames, int64_t endTimeMs, uint8_t red,
                           bool readerOpens) {
    movies[path] = {{frames, 320, 240, endTimeMs}, readerOpens, red};
}

int FakeVideoDecoder::DecodesOf(const std::string& path) const {
    return static_cast<int>(std::count_if(decodes.begin(), decodes.end(),
                                          [&path](const auto& decode) { return decode.first == path; }));
}

std::unique_ptr<platform::VideoStream> FakeVideoDecoder::OpenStream(const std::string& path) {
    opened.push_back(path);
    const auto found = movies.find(path);
    if (found != movies.end()) {
        return std::make_unique<Stream>(*this, path, found->second);
    }
    return otherFiles ? std::make_unique<Stream>(*this, path, *otherFiles) : nullptr;
}

} // namespace testing_support
