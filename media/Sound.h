// The music player that the exhibit scenes share: one looping track at a time. The scene registry
// holds it as `soundInstance`.
#pragma once

#include "platform/AudioDevice.h"

#include <memory>
#include <string>

class Sound {
public:
    virtual ~Sound() = default;
};

class FMODSound : public Sound {
public:
    FMODSound();
    ~FMODSound() override;
    FMODSound(const FMODSound&) = delete;
    FMODSound& operator=(const FMODSound&) = delete;

    // Plays the track from startSeconds, looping. The track that is playing already goes on
    // undisturbed; one that was stopped, or that could not be opened, starts again.
    void PlayTrack(const char* path, float startSeconds);
    void StopTrack();

    std::unique_ptr<platform::MusicStream> stream;
    std::string currentTrack;

private:
    bool deviceHeld = false;
};
