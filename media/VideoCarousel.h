// The ring of movie cubes of the video stage: one plays in front while two turn behind it, and they slide one
// place along when it ends.
#pragma once

#include "media/VideoClip.h"

#include <cstdint>
#include <string>
#include <vector>

class VideoCarousel {
public:
    enum State : int32_t { kResting = 0, kSliding = 1 };

    void AddClip(const char* path);
    // Opens every added file, stopping at the first that fails; the last path added is opened but
    // kept out of the ring. True when every file opened.
    bool Open();
    void Rewind();
    void Next();
    void Draw();

    std::vector<std::string> fileNames;
    std::vector<VideoClip> clips;
    ClipsShared shared;
    int32_t count = 0;
    int32_t left = 0;
    int32_t centre = 0;
    int32_t right = 0;
    bool transitionDone = false;
    uint32_t transitionStart = 0;
    uint32_t nowTick = 0;
    int32_t state = kResting;

private:
    // False before Open and when fewer than two paths were added.
    bool HasRing() const;
    void PlaceRing();
    void StartPlaces();
    void DrawClipAt(int32_t index, float x, float y, float z);
    void DrawSlide();
};
