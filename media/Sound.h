// The music player that the exhibit scenes share: one looping track at a time, reached through
// `soundInstance`. Depends on the audio device of platform/AudioDevice.h.
#pragma once

#include "platform/AudioDevice.h"

#include <memory>
#include <string>

class Sound {
public:
    virtual ~Sound();
};

class FMODSound : public Sound {
public:
    FMODSound();
    ~FMODSound() override;
    FMODSound(const FMODSound&) = delete;
    FMODSound& operator=(const FMODSound&) = delete;

    // Plays the track from startSeconds, looping. A track asked for twice in a row is not started
    // again, even if it was stopped in between.
    void PlayTrack(const char* path, float startSeconds);
    void StopTrack();

    std::unique_ptr<platform::MusicStream> stream;
    std::string currentTrack;

private:
    bool deviceHeld = false;
};

// The live player; the newest one when several were made. Typed as the one player class there is,
// so that scenes call PlayTrack and StopTrack through it directly.
extern FMODSound* soundInstance;
