#include "media/VideoClip.h"

#include "core/ContentLoads.h"
#include "platform/Clock.h"
#include "platform/GlGeneration.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

#include <algorithm>
#include <climits>

namespace {

constexpr const char* kStreamFailedText = "Failed To Open The AVI Stream";
constexpr const char* kFrameFailedText = "Failed To Open The AVI Frame";
constexpr const char* kErrorCaption = "Error";

// Its rows of 768 bytes suit any unpack alignment, so the caller's setting is left as it is.
constexpr GLsizei kTextureSide = platform::kVideoPictureSide;

// A playing cube swings at this rate between hard stops; an idle one swings faster and further,
// turning back only once it has passed its limit.
constexpr float kPlayingRockDegreesPerMs = 0.004f;
constexpr float kPlayingRockLimit = 14.0f;
constexpr float kIdleRockDegreesPerMs = 1.0f / 60.0f;
constexpr float kIdleRockLimit = 20.0f;
constexpr float kSpinMsPerDegree = 60.0f;
constexpr float kSpinFactorX = 1.3f;
constexpr float kSpinFactorY = 1.1f;
constexpr float kSpinFactorZ = 1.2f;
constexpr float kRockTiltX = 20.0f;
constexpr float kCubeDistance = -4.0f;
constexpr int32_t kShortestFrameMs = 1;

struct CubeCorner {
    GLfloat s, t, x, y, z;
};
struct CubeFace {
    GLfloat nx, ny, nz;
    CubeCorner corners[4];
};

// Corners at +-1; each face's normal is half a unit long and its texture covers the whole face.
constexpr CubeFace kCubeFaces[] = {
    // front
    {0.0f, 0.0f, 0.5f, {{0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, -1, 1, 1}}},
    // back
    {0.0f, 0.0f, -0.5f, {{1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, 1, 1, -1}, {0, 0, 1, -1, -1}}},
    // top
    {0.0f, 0.5f, 0.0f, {{0, 1, -1, 1, -1}, {0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, 1, -1}}},
    // bottom
    {0.0f, -0.5f, 0.0f, {{1, 1, -1, -1, -1}, {0, 1, 1, -1, -1}, {0, 0, 1, -1, 1}, {1, 0, -1, -1, 1}}},
    // right
    {0.5f, 0.0f, 0.0f, {{1, 0, 1, -1, -1}, {1, 1, 1, 1, -1}, {0, 1, 1, 1, 1}, {0, 0, 1, -1, 1}}},
    // left
    {-0.5f, 0.0f, 0.0f, {{0, 0, -1, -1, -1}, {1, 0, -1, -1, 1}, {1, 1, -1, 1, 1}, {0, 1, -1, 1, -1}}},
};

void DrawCube() {
    glBegin(GL_QUADS);
    for (const CubeFace& face : kCubeFaces) {
        glNormal3f(face.nx, face.ny, face.nz);
        for (const CubeCorner& corner : face.corners) {
            glTexCoord2f(corner.s, corner.t);
            glVertex3f(corner.x, corner.y, corner.z);
        }
    }
    glEnd();
}

void UseSphereMapping() {
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

} // namespace

VideoClip::VideoClip() = default;
VideoClip::VideoClip(VideoClip&&) noexcept = default;
VideoClip& VideoClip::operator=(VideoClip&&) noexcept = default;

VideoClip::~VideoClip() {
    Close();
}

bool VideoClip::Open() {
    opened = true;
    decodable = false;
    uploadedFrame = -1;
    glEnable(GL_TEXTURE_2D);
    UseSphereMapping();

    bool ok = true;
    // The file looked for, named in the log beside the box's fixed text.
    const std::string path = platform::ResolvePath(fileName);
    stream = platform::CurrentVideoDecoder().OpenStream(fileName);
    if (!stream) {
        platform::ShowMessageBox(kStreamFailedText, kErrorCaption, platform::MessageBoxStyle::ErrorOk,
                                 path.c_str());
        ok = false;
    } else {
        const platform::VideoStreamInfo info = stream->Info();
        width = info.width;
        height = info.height;
        lastFrame = info.frameCount > 0 ? info.frameCount : 0;
        msPerFrame = lastFrame > 0 ? static_cast<int32_t>(info.endTimeMs / lastFrame) : 0;
        if (!stream->OpenFrameReader()) {
            platform::ShowMessageBox(kFrameFailedText, kErrorCaption, platform::MessageBoxStyle::ErrorOk,
                                     path.c_str());
            ok = false;
        }
    }
    decodable = ok && lastFrame > 0;
    ReportContentLoad(fileName, decodable);
    if (!ok) {
        lastFrame = 0;
        msPerFrame = 0;
    }
    // A movie that cannot be shown keeps this black picture.
    pixels.assign(platform::kVideoPictureBytes, 0);
    if (texture != 0 && textureGeneration == platform::GlContextGeneration()) {
        glDeleteTextures(1, &texture);
    }
    CreateTexture();
    glDisable(GL_TEXTURE_2D);

    angle = 0.0f;
    elapsedMs = 0;
    frame = 0;
    lastTick = platform::GetTickCount();
    return ok;
}

void VideoClip::Close() {
    if (!opened) {
        return;
    }
    stream.reset();
    decodable = false;
    opened = false;
}

void VideoClip::Reset() {
    elapsedMs = 0;
    frame = 0;
    angle = 0.0f;
    playing = false;
    finished = false;
    spinning = false;
    sphereMap = false;
}

void VideoClip::Start(bool play) {
    lastTick = platform::GetTickCount();
    elapsedMs = 0;
    frame = 0;
    playing = play;
    finished = false;
}

void VideoClip::CreateTexture() {
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kTextureSide, kTextureSide, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 pixels.empty() ? nullptr : pixels.data());
    textureGeneration = platform::GlContextGeneration();
}

void VideoClip::EnsureTexture() {
    if (texture != 0 && textureGeneration == platform::GlContextGeneration()) {
        return;
    }
    // Either the clip was never opened (it shows black) or the old name belonged to a context that
    // is gone; the picture itself is still in `pixels`.
    if (pixels.empty()) {
        pixels.assign(platform::kVideoPictureBytes, 0);
    }
    UseSphereMapping();
    CreateTexture();
}

bool VideoClip::GrabFrame() {
    if (!decodable) {
        return false;
    }
    EnsureTexture();
    if (frame == uploadedFrame) {
        return false;
    }
    if (!stream->DecodeFrame(frame, pixels.data())) {
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kTextureSide, kTextureSide, GL_RGB, GL_UNSIGNED_BYTE,
                    pixels.data());
    uploadedFrame = frame;
    return true;
}

void VideoClip::Turn(uint32_t t, float rockDegreesPerMs, float rockLimit, bool stopAtLimit,
                     uint8_t& rockDirection) {
    const float ms = static_cast<float>(t);
    if (spinning) {
        angle += ms / kSpinMsPerDegree;
        return;
    }
    const float sign = rockDirection == ClipsShared::kRockingUp ? 1.0f : -1.0f;
    angle += sign * rockDegreesPerMs * ms;
    if (sign * angle >= rockLimit) {
        if (stopAtLimit) {
            angle = sign * rockLimit;
        }
        rockDirection =
            rockDirection == ClipsShared::kRockingUp ? ClipsShared::kRockingDown : ClipsShared::kRockingUp;
    }
}

void VideoClip::Draw(ClipsShared& shared) {
    glPushMatrix();
    glEnable(GL_TEXTURE_2D);
    EnsureTexture();
    glBindTexture(GL_TEXTURE_2D, texture);

    const uint32_t now = platform::GetTickCount();
    const uint32_t t = now - lastTick;
    if (playing) {
        nowTick = now;
        elapsedMs = static_cast<int32_t>(std::min<int64_t>(int64_t{elapsedMs} + t, INT32_MAX));
        // Frames shorter than a millisecond are shown a millisecond each; a clip without frames
        // ends at once.
        frame = elapsedMs / std::max(msPerFrame, kShortestFrameMs);
        if (frame >= lastFrame) {
            frame = 0;
            elapsedMs = 0;
            finished = true;
            playing = false;
        }
        Turn(t, kPlayingRockDegreesPerMs, kPlayingRockLimit, true, shared.rockDirection);
        lastTick = nowTick;
        if (GrabFrame()) {
            ++shared.framesShown;
        }
    } else {
        if (shared.idleTexture != kNoIdleTexture) {
            glBindTexture(GL_TEXTURE_2D, shared.idleTexture);
        }
        nowTick = now;
        Turn(t, kIdleRockDegreesPerMs, kIdleRockLimit, false, shared.rockDirection);
        lastTick = nowTick;
    }

    glTranslatef(0.0f, 0.0f, kCubeDistance);
    if (sphereMap) {
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    }
    if (spinning) {
        glRotatef(angle * kSpinFactorX, 1.0f, 0.0f, 0.0f);
        glRotatef(angle * kSpinFactorY, 0.0f, 1.0f, 0.0f);
        glRotatef(angle * kSpinFactorZ, 0.0f, 0.0f, 1.0f);
    } else {
        glRotatef(kRockTiltX, 1.0f, 0.0f, 0.0f);
        glRotatef(angle, 0.0f, 1.0f, 0.0f);
    }
    DrawCube();
    if (sphereMap) {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
    glFlush();
}
