// The operator's view of the visit database: scene starts per day, the busiest hours, each exhibit's
// median stay and buttons against keys, or the raw records as CSV. Reads the file without changing
// it, so it works on the live file of a running booth or on a copy of it; several booths' files are
// summed. Times are UTC.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace stats {

// One booth's database.
struct BoothFile {
    std::string booth; // names the booth's records in a CSV of several files
    std::string path;
};

struct SummaryRequest {
    // At least one; with more than one, the CSV's first column names each record's booth.
    std::vector<BoothFile> files;
    // Whole days, YYYY-MM-DD, both included; empty for no bound.
    std::string since;
    std::string until;
    bool csv = false;
};

// 0 when printed (an empty period included); 1 when a file cannot be read (nothing is printed then);
// 2 for a date that is not a real YYYY-MM-DD or a period that ends before it starts. Problems go to
// err as one line.
int PrintVisitSummary(const SummaryRequest& request, std::ostream& out, std::ostream& err);

} // namespace stats
