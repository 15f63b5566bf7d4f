#include "monitor/BackgroundWriter.h"

#include "platform/AtomicFile.h"

#include <cstdio>
#include <utility>

namespace monitor {

BackgroundWriter::BackgroundWriter(std::string path, std::string what)
    : path(std::move(path)), what(std::move(what)), thread([this] { Run(); }) {}

BackgroundWriter::~BackgroundWriter() {
    Finish();
}

void BackgroundWriter::Post(Job job) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (closing) {
            return;
        }
        waiting = std::move(job);
    }
    wake.notify_one();
}

void BackgroundWriter::Flush() {
    std::unique_lock<std::mutex> lock(mutex);
    idle.wait(lock, [this] { return !waiting && !busy; });
}

void BackgroundWriter::Finish() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        closing = true;
    }
    wake.notify_one();
    if (thread.joinable()) {
        thread.join();
    }
}

void BackgroundWriter::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            busy = false;
            idle.notify_all();
            wake.wait(lock, [this] { return waiting || closing; });
            if (!waiting) {
                return;
            }
            job = std::move(waiting);
            waiting = nullptr;
            busy = true;
        }
        Write(job);
    }
}

void BackgroundWriter::Write(const Job& job) {
    std::string bytes;
    std::string problem;
    const bool written = job(&bytes, &problem) && platform::WriteFileAtomically(path, bytes, &problem);
    if (!written && !failing) {
        std::fprintf(stderr, "standview: %s: cannot write %s: %s\n", what.c_str(), path.c_str(),
                     problem.c_str());
    } else if (written && failing) {
        std::fprintf(stderr, "standview: %s: %s is written again\n", what.c_str(), path.c_str());
    }
    failing = !written;
}

} // namespace monitor
