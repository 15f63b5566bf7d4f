// Stopwatch in seconds that can be paused; the scenes, the camera and the input devices embed one.
#pragma once

#include <cstdint>

class PerfTimer {
public:
    // Starts measuring from now; a paused timer is resumed first.
    void Reset();
    // Seconds since the last Reset, paused intervals excluded. The first call after construction
    // (with no Reset before it) returns 0.0.
    double Elapsed();
    void Pause();
    void Resume();

    bool IsPaused() const { return paused; }

private:
    // Seconds since the counter's origin; the frequency is read afresh every time, never cached.
    static double Now();

    int32_t firstReset = 1;
    // Times start at 0.0 so that an Elapsed before any Reset measures from the counter's origin
    // instead of reading an undefined value.
    double lastTime = 0.0;
    double startTime = 0.0;
    double pauseStart = 0.0;
    bool paused = false;
};
