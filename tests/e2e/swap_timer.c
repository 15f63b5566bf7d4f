/* Preloaded into the program by frame_time.sh: times the buffer swaps, which end every frame, and
 * writes the median and spread of the frame times to the file named by SWAP_TIMER_OUT once
 * SWAP_TIMER_FRAMES frames (after SWAP_TIMER_SKIP) have been timed. Depends on SDL's swap call only. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

enum { kMaxFrames = 10000 };

static double stamps[kMaxFrames + 1];
static int timed;
static int skipped;

static int EnvInt(const char* name, int fallback) {
    const char* text = getenv(name);
    return text ? atoi(text) : fallback;
}

static int Compare(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

static void Report(int frames) {
    static double gaps[kMaxFrames];
    for (int i = 0; i < frames; ++i) {
        gaps[i] = stamps[i + 1] - stamps[i];
    }
    qsort(gaps, (size_t)frames, sizeof gaps[0], Compare);
    const double median = frames % 2 ? gaps[frames / 2] : (gaps[frames / 2 - 1] + gaps[frames / 2]) / 2;
    FILE* out = fopen(getenv("SWAP_TIMER_OUT"), "w");
    if (out) {
        fprintf(out, "frames %d median %.1f ms, 10th percentile %.1f, 90th %.1f, fastest %.1f, slowest %.1f\n",
                frames, median, gaps[frames / 10], gaps[frames * 9 / 10], gaps[0], gaps[frames - 1]);
        fclose(out);
    }
}

void SDL_GL_SwapWindow(void* window) {
    static void (*real)(void*);
    if (!real) {
        real = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    }
    real(window);
    int frames = EnvInt("SWAP_TIMER_FRAMES", 300);
    if (frames < 2 || frames > kMaxFrames) {
        frames = 300;
    }
    if (skipped < EnvInt("SWAP_TIMER_SKIP", 0)) {
        ++skipped;
        return;
    }
    if (timed > frames) {
        return;
    }
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    stamps[timed++] = (double)now.tv_sec * 1000.0 + (double)now.tv_nsec / 1e6;
    if (timed == frames + 1) {
        Report(frames);
    }
}
