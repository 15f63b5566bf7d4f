// The operator's view of the visit database: scene starts per day, the busiest hours, each exhibit's
// median stay and buttons against keys, or the raw records as CSV. Reads the file without changing
// it, so it works on the live file of a running booth or on a copy of it. Times are UTC.
#pragma once

#include <ostream>
#include <string>

namespace stats {

struct SummaryRequest {
    std::string path;
    // Whole days, YYYY-MM-DD, both included; empty for no bound.
    std::string since;
    std::string until;
    bool csv = false;
};

// 0 when printed (an empty period included); 1 when the file cannot be read; 2 for a date that is not
// a real YYYY-MM-DD or a period that ends before it starts. Problems go to err as one line.
int PrintVisitSummary(const SummaryRequest& request, std::ostream& out, std::ostream& err);

} // namespace stats
