#include "stats/VisitRecording.h"

#include "platform/Clock.h"
#include "stats/VisitStore.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace stats {
namespace {

constexpr const char* kFileGoneLine =
    "standview: visit statistics: %s was deleted or replaced; recording into a new file there\n";

int64_t MillisecondsSince(uint64_t counter) {
    const uint64_t elapsed = platform::QueryPerformanceCounter() - counter;
    const uint64_t frequency = platform::QueryPerformanceFrequency();
    return static_cast<int64_t>(elapsed / frequency * 1000 + elapsed % frequency * 1000 / frequency);
}

} // namespace

// Owns the database on a thread of its own. Records arrive a few per minute, so each is committed as
// soon as it comes; records queued during a slow commit go into the next one together.
class VisitWriter {
public:
    explicit VisitWriter(std::string path) : thread([this, path] { Run(path); }) {}

    void Push(VisitEvent event) {
        if (failed) {
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex);
            queue.push_back(std::move(event));
        }
        wake.notify_one();
    }

    void Flush() {
        std::unique_lock<std::mutex> lock(mutex);
        idle.wait(lock, [this] { return queue.empty() && !writing; });
    }

    void Finish() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            closing = true;
        }
        wake.notify_one();
        thread.join();
    }

    std::atomic<bool> failed{false};

private:
    void Run(const std::string& path) {
        auto store = std::make_unique<VisitStore>();
        std::string problem;
        if (!store->Open(path, &problem)) {
            GiveUp(path, problem);
        }
        std::vector<VisitEvent> batch;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                writing = false;
                idle.notify_all();
                wake.wait(lock, [this] { return !queue.empty() || closing; });
                if (queue.empty()) {
                    return;
                }
                batch.swap(queue);
                writing = true;
            }
            if (!failed && store->FileGone()) {
                std::fprintf(stderr, kFileGoneLine, path.c_str());
                // The old connection goes first: closing it removes its own log by name.
                store.reset();
                store = std::make_unique<VisitStore>();
                if (!store->Open(path, &problem)) {
                    GiveUp(path, problem);
                }
            }
            if (!failed && !store->Append(batch, &problem)) {
                GiveUp(path, problem);
            }
            batch.clear();
        }
    }

    // The one line a failure gets: nothing is written after it.
    void GiveUp(const std::string& path, const std::string& problem) {
        failed = true;
        std::fprintf(stderr, "standview: visit statistics are off: %s: %s\n", path.c_str(), problem.c_str());
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::vector<VisitEvent> queue;
    bool closing = false;
    bool writing = true; // until the database is open
    std::thread thread;  // last: it starts once everything above exists
};

StartCause ButtonCause(int button) {
    constexpr StartCause kButtons[] = {StartCause::Button1, StartCause::Button2, StartCause::Button3,
                                       StartCause::Button4};
    return kButtons[(button - 1) & 3];
}

VisitRecording::VisitRecording() = default;

VisitRecording::~VisitRecording() {
    Stop();
}

void VisitRecording::Start(const std::string& path) {
    Stop();
    if (!path.empty()) {
        writer = std::make_unique<VisitWriter>(path);
    }
}

void VisitRecording::Stop() {
    if (!writer) {
        return;
    }
    if (startRecorded) {
        VisitEvent last;
        last.utcMs = platform::CurrentClock().UtcMilliseconds();
        last.previousStayMs = MillisecondsSince(lastStartCounter);
        writer->Push(std::move(last));
    }
    writer->Finish();
    writer.reset();
    startRecorded = false;
}

void VisitRecording::Watch(SceneStartWatcher* watcher) {
    sceneStartWatcher = watcher;
}

void VisitRecording::RecordSceneStart(const char* scene, StartCause cause) {
    if (sceneStartWatcher != nullptr) {
        sceneStartWatcher->SceneStarted(scene, cause);
    }
    Record(scene, cause, false);
}

void VisitRecording::RecordPressWhileRunning(const char* scene, StartCause cause) {
    Record(scene, cause, true);
}

bool VisitRecording::Failed() const {
    return writer && writer->failed;
}

void VisitRecording::Flush() {
    if (writer) {
        writer->Flush();
    }
}

void VisitRecording::Record(const char* scene, StartCause cause, bool whileRunning) {
    if (!writer || writer->failed) {
        return;
    }
    VisitEvent event;
    event.utcMs = platform::CurrentClock().UtcMilliseconds();
    event.scene = scene;
    event.cause = cause;
    event.whileRunning = whileRunning;
    if (!whileRunning) {
        if (startRecorded) {
            event.previousStayMs = MillisecondsSince(lastStartCounter);
        }
        lastStartCounter = platform::QueryPerformanceCounter();
        startRecorded = true;
    }
    writer->Push(std::move(event));
}

} // namespace stats
