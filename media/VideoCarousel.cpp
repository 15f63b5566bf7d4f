#include "media/VideoCarousel.h"

#include "platform/Clock.h"
#include "platform/OpenGl.h"

#include <algorithm>

namespace {

constexpr float kSlideMs = 850.0f;

struct Place {
    float x, y, z;
};
constexpr Place kFrontPlace{0.0f, 0.0f, -1.0f};
constexpr Place kLeftPlace{-9.0f, 2.0f, -18.0f};
constexpr Place kRightPlace{9.0f, 2.0f, -18.0f};
// Where the cube leaving on the right goes, and where it comes back in from on the left.
constexpr Place kFarRightPlace{27.0f, 4.0f, -36.0f};
constexpr Place kFarLeftPlace{-27.0f, 4.0f, -36.0f};

Place Between(const Place& from, const Place& to, float u) {
    const float v = 1.0f - u;
    return Place{from.x * v + to.x * u, from.y * v + to.y * u, from.z * v + to.z * u};
}

} // namespace

void VideoCarousel::AddClip(const char* path) {
    fileNames.emplace_back(path ? path : "");
    // Once the clips are made, `count` is the ring's size; a later path joins at the next Open.
    if (clips.empty()) {
        count = static_cast<int32_t>(fileNames.size());
    }
}

bool VideoCarousel::HasRing() const {
    return count > 0 && static_cast<size_t>(count) < clips.size();
}

bool VideoCarousel::Open() {
    clips.clear();
    clips.resize(fileNames.size());
    bool allOpened = true;
    for (size_t i = 0; i < fileNames.size(); ++i) {
        clips[i].fileName = fileNames[i];
        if (allOpened) {
            allOpened = clips[i].Open();
        } else {
            clips[i].EnsureTexture();
        }
    }
    count = std::max<int32_t>(static_cast<int32_t>(fileNames.size()) - 1, 0);
    transitionDone = false;
    PlaceRing();
    if (count > 0) {
        clips[left].Reset();
        clips[centre].Reset();
        clips[right].Reset();
    }
    return allOpened;
}

void VideoCarousel::PlaceRing() {
    left = std::max(count - 1, 0);
    centre = 0;
    right = count > 1 ? 1 : 0;
}

void VideoCarousel::StartPlaces() {
    for (const int32_t side : {left, right}) {
        clips[side].sphereMap = true;
        clips[side].spinning = true;
        clips[side].Start(false);
    }
    // Last, so that a ring of one clip plays it.
    clips[centre].sphereMap = false;
    clips[centre].spinning = false;
    clips[centre].Start(true);
}

void VideoCarousel::Rewind() {
    if (!HasRing()) {
        return;
    }
    transitionDone = false;
    // A slide left unfinished when the stage was last shown must not carry the first clip away.
    state = kResting;
    PlaceRing();
    for (int32_t i = 0; i < count; ++i) {
        clips[i].Reset();
    }
    StartPlaces();
}

void VideoCarousel::Next() {
    if (!HasRing()) {
        return;
    }
    if (!transitionDone) {
        state = kSliding;
        transitionStart = platform::GetTickCount();
        return;
    }
    clips[right].Reset();
    clips[centre].Reset();
    clips[left].Reset();
    right = (right + 1) % count;
    centre = (centre + 1) % count;
    left = (left + 1) % count;
    StartPlaces();
    transitionDone = false;
}

void VideoCarousel::DrawClipAt(int32_t index, float x, float y, float z) {
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x, y, z);
    clips[index].Draw(shared);
    glPopMatrix();
}

void VideoCarousel::DrawSlide() {
    const int32_t formerLeft = left;
    const int32_t formerCentre = centre;
    const int32_t formerRight = right;
    const float u = static_cast<float>(nowTick - transitionStart) / kSlideMs;
    if (u >= 1.0f) {
        state = kResting;
        transitionDone = true;
        Next();
    }
    // In a ring of one the clip that leaves the front is also the one that has just come back to it:
    // once the slide is over it must go on playing.
    if (state == kSliding || formerCentre != centre) {
        VideoClip& leaving = clips[formerCentre];
        leaving.spinning = true;
        leaving.sphereMap = true;
        leaving.Start(false);
    }

    const Place centreTo = Between(kFrontPlace, kRightPlace, u);
    const Place leftTo = Between(kLeftPlace, kFrontPlace, u);
    const Place rightOut = Between(kRightPlace, kFarRightPlace, u);
    const Place rightIn = Between(kFarLeftPlace, kLeftPlace, u);
    DrawClipAt(formerCentre, centreTo.x, centreTo.y, centreTo.z);
    DrawClipAt(formerLeft, leftTo.x, leftTo.y, leftTo.z);
    DrawClipAt(formerRight, rightOut.x, rightOut.y, rightOut.z);
    DrawClipAt(formerRight, rightIn.x, rightIn.y, rightIn.z);
}

void VideoCarousel::Draw() {
    if (!HasRing()) {
        return;
    }
    nowTick = platform::GetTickCount();
    clips[centre].EnsureTexture();
    shared.idleTexture = clips[centre].texture;
    if (state == kSliding) {
        DrawSlide();
        return;
    }
    if (clips[centre].finished) {
        state = kSliding;
        transitionStart = nowTick;
        DrawSlide();
    }
    DrawClipAt(centre, kFrontPlace.x, kFrontPlace.y, kFrontPlace.z);
    DrawClipAt(left, kLeftPlace.x, kLeftPlace.y, kLeftPlace.z);
    DrawClipAt(right, kRightPlace.x, kRightPlace.y, kRightPlace.z);
}
