// One movie file played into a 256 x 256 OpenGL texture and drawn as a turning cube.
#pragma once

#include "platform/OpenGl.h"
#include "platform/VideoDecoder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr GLuint kNoIdleTexture = static_cast<GLuint>(-1);

// What the clips of one carousel share as they are drawn.
struct ClipsShared {
    // The texture that clips which are not playing show: the front clip's, set by the carousel before
    // each draw; kNoIdleTexture until then.
    GLuint idleTexture = kNoIdleTexture;
    // So that all rocking cubes swing together.
    static constexpr uint8_t kRockingUp = 1; // the angle grows
    static constexpr uint8_t kRockingDown = 0;
    uint8_t rockDirection = kRockingUp;
    // Each new picture a clip has put on its cube: how a stalled movie shows from afar.
    uint64_t framesShown = 0;
};

class VideoClip {
public:
    VideoClip();
    ~VideoClip();
    VideoClip(VideoClip&&) noexcept;
    VideoClip& operator=(VideoClip&&) noexcept;

    // Opens fileName and makes the texture; needs a current OpenGL context. A file that cannot be
    // opened or decoded is reported in a message box and leaves a black texture.
    bool Open();
    void Close();
    void Reset();
    void Start(bool play);
    // Decodes `frame` into the texture unless the texture already shows it; true when it put a new
    // picture there.
    bool GrabFrame();
    // Advances by the ticks since the previous draw and draws the cube.
    void Draw(ClipsShared& shared);
    // Makes the texture again when the OpenGL context it was made in has gone.
    void EnsureTexture();

    float angle = 0.0f;
    int32_t elapsedMs = 0;
    int32_t frame = 0;
    GLuint texture = 0;
    uint32_t lastTick = 0;
    uint32_t nowTick = 0;
    std::unique_ptr<platform::VideoStream> stream;
    int32_t lastFrame = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t msPerFrame = 0;
    std::vector<uint8_t> pixels; // the current picture, bottom row first
    std::string fileName;
    bool opened = false;
    bool playing = false;
    bool sphereMap = false;
    bool spinning = false;
    bool finished = false;

private:
    void CreateTexture();
    // Spins for t ms, or rocks the way `rockDirection` points and turns it about at the limit.
    void Turn(uint32_t t, float rockDegreesPerMs, float rockLimit, bool stopAtLimit, uint8_t& rockDirection);

    bool decodable = false;         // the stream and its frame reader opened
    int32_t uploadedFrame = -1;     // the frame the texture shows; -1 for none
    uint32_t textureGeneration = 0; // the OpenGL context the texture was made in
};
