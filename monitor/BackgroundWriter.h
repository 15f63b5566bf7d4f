// One file written over and over by a thread of its own, so that the frame loop never waits for the
// disk, nor for what the file's bytes take to make (a PNG's encoding). The frame thread posts a job that
// makes the bytes from what it copied; only the newest job waiting is done, so a disk slower than the
// posts skips contents rather than queueing them. Each file is written whole and then renamed over its
// place (platform/AtomicFile.h). A failure gives one line on standard error, and the first success after
// it another; the show goes on either way.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace monitor {

class BackgroundWriter {
public:
    // Makes the file's bytes; false, with the reason, when it cannot.
    using Job = std::function<bool(std::string* bytes, std::string* problem)>;

    // what: names the file in the log ("metrics", "snapshot").
    BackgroundWriter(std::string path, std::string what);
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;
    // Finish().
    ~BackgroundWriter();

    // Replaces the job waiting, if any.
    void Post(Job job);
    // Waits until every job posted so far is done.
    void Flush();
    // Does the job waiting, then ends the thread; later posts are dropped.
    void Finish();

private:
    void Run();
    void Write(const Job& job);

    const std::string path;
    const std::string what;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    Job waiting;
    bool busy = false;
    bool closing = false;
    bool failing = false; // the last write failed, and said so
    std::thread thread;   // last: it starts once everything above exists
};

} // namespace monitor
