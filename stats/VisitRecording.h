// Recording of the visitors' choices for the operator's statistics: every real scene start with its
// time and cause, and each press on the video stage's button while it runs. The frame thread only
// queues; a writer thread owns the database (stats/VisitStore.h). Without a started recording every
// call does nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace stats {

// What started a scene. Stored by name (kCauseNames in stats/VisitStore.h), in this order.
enum class StartCause { Button1, Button2, Button3, Button4, Key, TimeOut, StartUp };

// A visitor's button, 1 to 4.
StartCause ButtonCause(int button);

// Told of every scene start as it is recorded, whether a database is open or not: the show's figures
// count the starts.
class SceneStartWatcher {
public:
    virtual ~SceneStartWatcher() = default;
    virtual void SceneStarted(const char* scene, StartCause cause) = 0;
};

class VisitWriter;

// One show's recording: its writer, its watcher and the start whose stay the next record ends.
class VisitRecording {
public:
    VisitRecording();
    VisitRecording(const VisitRecording&) = delete;
    VisitRecording& operator=(const VisitRecording&) = delete;
    // Stop().
    ~VisitRecording();

    // nullptr: nobody watches.
    void Watch(SceneStartWatcher* watcher);

    // Opens the database at path (created with its schema on first use) on a writer thread of its own,
    // so the caller never waits for the disk. A database that cannot be opened or written gives one line
    // on standard error; the show goes on unrecorded. A file deleted or replaced while the show runs is
    // noticed at the next commit, said once on standard error, and made anew at the same path.
    void Start(const std::string& path);
    // Ends the last scene's stay now, commits everything queued and closes the database.
    void Stop();

    // After StartScene has really started the scene.
    void RecordSceneStart(const char* scene, StartCause cause);
    // A new press on the button or key of a scene that runs already and takes the press itself.
    void RecordPressWhileRunning(const char* scene, StartCause cause);

    // True once the writer has given up; its line is written.
    bool Failed() const;
    // Waits until everything queued so far is committed (or dropped after a failure).
    void Flush();

private:
    void Record(const char* scene, StartCause cause, bool whileRunning);

    std::unique_ptr<VisitWriter> writer;
    SceneStartWatcher* sceneStartWatcher = nullptr;
    // The performance counter at the last scene start, which the next start's record ends.
    uint64_t lastStartCounter = 0;
    bool startRecorded = false;
};

} // namespace stats
