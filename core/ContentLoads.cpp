#include "core/ContentLoads.h"

namespace {

ContentLoadWatcher* watcher = nullptr;

} // namespace

void WatchContentLoads(ContentLoadWatcher* newWatcher) {
    watcher = newWatcher;
}

void ReportContentLoad(const std::string& path, bool ok) {
    if (watcher != nullptr) {
        watcher->ContentLoaded(path, ok);
    }
}
