#include "core/PerfTimer.h"

#include "platform/Clock.h"

double PerfTimer::Now() {
    const double counter = static_cast<double>(platform::QueryPerformanceCounter());
    const double frequency = static_cast<double>(platform::QueryPerformanceFrequency());
    return counter / frequency;
}

void PerfTimer::Pause() {
    if (!paused) {
        pauseStart = Now();
        paused = true;
    }
}

void PerfTimer::Resume() {
    if (paused) {
        paused = false;
        lastTime = lastTime + (Now() - pauseStart);
    }
}

void PerfTimer::Reset() {
    if (paused) {
        Resume();
    }
    lastTime = Now();
    if (firstReset == 1) {
        startTime = lastTime;
        firstReset = 0;
    }
}

double PerfTimer::Elapsed() {
    if (firstReset == 1) {
        firstReset = 0;
        return 0.0;
    }
    const double now = Now();
    if (paused) {
        // Resuming moves lastTime past the pause so far; pausing again keeps the caller's state.
        Resume();
        const double elapsed = now - lastTime;
        Pause();
        return elapsed;
    }
    return now - lastTime;
}
