// Whether the show's content files loaded: the shading ramp, each picture, each movie and each music
// track report every load as it ends, for whoever watches the show from afar. The loaders sit deep
// under start-up and the scenes, which hand no context object down to them, so the one watcher is
// installed for the process, as the clocks are; without one a report does nothing.
#pragma once

#include <string>

class ContentLoadWatcher {
public:
    virtual ~ContentLoadWatcher() = default;
    // path: the file's name as the loader was given it.
    virtual void ContentLoaded(const std::string& path, bool ok) = 0;
};

// nullptr: nobody watches.
void WatchContentLoads(ContentLoadWatcher* watcher);
void ReportContentLoad(const std::string& path, bool ok);
