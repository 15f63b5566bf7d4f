// The visit database on systems built without SQLite: Debian packages no SQLite for the Windows cross
// compiler, so the Windows build records no visits. A recording asked for gives its one line and the
// show goes on unrecorded; a summary asked for says why it cannot be made.
#include "stats/VisitStore.h"
#include "stats/VisitSummary.h"

#include <ostream>

namespace stats {
namespace {

constexpr const char* kUnavailable = "visit statistics are not available on this system";
constexpr int kReadFailed = 1;

} // namespace

VisitStore::~VisitStore() = default;

bool VisitStore::Open(const std::string&, std::string* problem) {
    *problem = kUnavailable;
    return false;
}

bool VisitStore::Append(const std::vector<VisitEvent>&, std::string* problem) {
    *problem = kUnavailable;
    return false;
}

bool VisitStore::FileGone() const {
    return false;
}

int PrintVisitSummary(const SummaryRequest& request, std::ostream&, std::ostream& err) {
    err << "standview: cannot read visit statistics from " << request.files.front().path << ": "
        << kUnavailable << '\n';
    return kReadFailed;
}

} // namespace stats
