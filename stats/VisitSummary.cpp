#include "stats/VisitSummary.h"

#include "stats/VisitStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <limits>
#include <map>
#include <vector>

namespace stats {
namespace {

constexpr int64_t kDayMs = 24 * 60 * 60 * 1000;
constexpr int64_t kHourMs = 60 * 60 * 1000;
constexpr int kHoursPerDay = 24;
constexpr size_t kLongestBar = 40;
constexpr char kBarMark = '#';
const std::string kKeyCause = kCauseNames[static_cast<int>(StartCause::Key)];
constexpr StartCause kButtonCauses[] = {StartCause::Button1, StartCause::Button2, StartCause::Button3,
                                        StartCause::Button4};

constexpr int kReadFailed = 1;
constexpr int kBadDate = 2;

constexpr const char* kSelectSql =
    "SELECT started_utc_ms, scene, cause, while_running, stay_ms FROM visit "
    "WHERE started_utc_ms >= ? AND started_utc_ms < ? ORDER BY started_utc_ms, id";

struct Visit {
    const std::string* booth;
    int64_t utcMs;
    std::string scene;
    std::string cause;
    bool whileRunning;
    bool stayKnown;
    int64_t stayMs;
};

bool IsButton(const std::string& cause) {
    return std::any_of(std::begin(kButtonCauses), std::end(kButtonCauses), [&cause](StartCause button) {
        return cause == kCauseNames[static_cast<int>(button)];
    });
}
bool IsVisitorChoice(const Visit& visit) {
    return IsButton(visit.cause) || visit.cause == kKeyCause;
}

int64_t FloorDiv(int64_t value, int64_t divisor) {
    return value / divisor - (value % divisor != 0 && value < 0 ? 1 : 0);
}

// Midnight UTC of a YYYY-MM-DD day, in milliseconds; false for anything else, 2026-02-30 included.
bool ParseDay(const std::string& text, int64_t* dayStartMs) {
    int year = 0, month = 0, day = 0, used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used) != 3 ||
        static_cast<size_t>(used) != text.size() || text.size() != 10) {
        return false;
    }
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    const std::time_t seconds = timegm(&parts);
    std::tm back{};
    if (gmtime_r(&seconds, &back) == nullptr || back.tm_year != year - 1900 || back.tm_mon != month - 1 ||
        back.tm_mday != day) {
        return false;
    }
    *dayStartMs = static_cast<int64_t>(seconds) * 1000;
    return true;
}

std::tm UtcParts(int64_t utcMs) {
    const std::time_t seconds = static_cast<std::time_t>(FloorDiv(utcMs, 1000));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    return parts;
}

std::string FormatTime(int64_t utcMs, const char* format) {
    const std::tm parts = UtcParts(utcMs);
    char text[64];
    std::strftime(text, sizeof text, format, &parts);
    return text;
}

std::string DayOf(int64_t utcMs) {
    return FormatTime(utcMs, "%Y-%m-%d");
}

std::string CsvTime(int64_t utcMs) {
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03lld",
                  static_cast<long long>(utcMs - FloorDiv(utcMs, 1000) * 1000));
    return FormatTime(utcMs, "%Y-%m-%dT%H:%M:%S") + millis + "Z";
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

bool ReadVisits(sqlite3* db, const std::string& booth, int64_t fromMs, int64_t toMs,
                std::vector<Visit>* visits, std::string* problem) {
    sqlite3_stmt* select = nullptr;
    if (sqlite3_prepare_v2(db, kSelectSql, -1, &select, nullptr) != SQLITE_OK) {
        *problem = sqlite3_errmsg(db);
        return false;
    }
    sqlite3_bind_int64(select, 1, fromMs);
    sqlite3_bind_int64(select, 2, toMs);
    int step;
    while ((step = sqlite3_step(select)) == SQLITE_ROW) {
        const auto* scene = reinterpret_cast<const char*>(sqlite3_column_text(select, 1));
        const auto* cause = reinterpret_cast<const char*>(sqlite3_column_text(select, 2));
        visits->push_back({&booth, sqlite3_column_int64(select, 0), scene ? scene : "", cause ? cause : "",
                           sqlite3_column_int(select, 3) != 0, sqlite3_column_type(select, 4) != SQLITE_NULL,
                           sqlite3_column_int64(select, 4)});
    }
    if (step != SQLITE_DONE) {
        *problem = sqlite3_errmsg(db);
    }
    sqlite3_finalize(select);
    return step == SQLITE_DONE;
}

void PrintCsv(const std::vector<Visit>& visits, bool byBooth, std::ostream& out) {
    out << (byBooth ? "booth," : "") << "started_utc,scene,cause,while_running,stay_ms\n";
    for (const Visit& visit : visits) {
        if (byBooth) {
            out << CsvField(*visit.booth) << ',';
        }
        out << CsvTime(visit.utcMs) << ',' << CsvField(visit.scene) << ',' << CsvField(visit.cause) << ','
            << (visit.whileRunning ? 1 : 0) << ',';
        if (visit.stayKnown) {
            out << visit.stayMs;
        }
        out << '\n';
    }
}

std::string Padded(const std::string& text, size_t width, bool right) {
    const std::string fill(width > text.size() ? width - text.size() : 0, ' ');
    return right ? fill + text : text + fill;
}

void PrintPerDay(const std::vector<Visit>& starts, std::ostream& out) {
    std::map<std::string, std::map<std::string, int>> perDay;
    std::map<std::string, size_t> widths;
    for (const Visit& visit : starts) {
        ++perDay[DayOf(visit.utcMs)][visit.scene];
        widths[visit.scene] = visit.scene.size();
    }
    out << "Scene starts per day\n  day       ";
    for (const auto& [scene, width] : widths) {
        out << "  " << scene;
    }
    out << '\n';
    for (const auto& [day, counts] : perDay) {
        out << "  " << day;
        for (const auto& [scene, width] : widths) {
            const auto found = counts.find(scene);
            out << "  " << Padded(std::to_string(found == counts.end() ? 0 : found->second), width, true);
        }
        out << '\n';
    }
}

void PrintBusiestHours(const std::vector<Visit>& starts, std::ostream& out) {
    int perHour[kHoursPerDay] = {};
    for (const Visit& visit : starts) {
        if (IsVisitorChoice(visit)) {
            ++perHour[FloorDiv(visit.utcMs, kHourMs) - FloorDiv(visit.utcMs, kDayMs) * kHoursPerDay];
        }
    }
    const int most = *std::max_element(std::begin(perHour), std::end(perHour));
    out << "\nBusiest hours (scene starts by the visitors' buttons and the keys, all days together)\n";
    if (most == 0) {
        out << "  none\n";
        return;
    }
    int first = 0, last = kHoursPerDay - 1;
    while (perHour[first] == 0) {
        ++first;
    }
    while (perHour[last] == 0) {
        --last;
    }
    for (int hour = first; hour <= last; ++hour) {
        const size_t length =
            perHour[hour] == 0 ? 0 : std::max<size_t>(1, perHour[hour] * kLongestBar / most);
        char label[16];
        std::snprintf(label, sizeof label, "  %02d:00  ", hour);
        out << label << Padded(std::string(length, kBarMark), kLongestBar, false) << "  " << perHour[hour]
            << '\n';
    }
}

void PrintMedianStays(const std::vector<Visit>& starts, std::ostream& out) {
    std::map<std::string, std::vector<int64_t>> stays;
    for (const Visit& visit : starts) {
        if (IsVisitorChoice(visit) && visit.stayKnown) {
            stays[visit.scene].push_back(visit.stayMs);
        }
    }
    out << "\nMedian stay per exhibit (visitors' starts that have ended)\n";
    if (stays.empty()) {
        out << "  none\n";
    }
    for (auto& [scene, values] : stays) {
        std::sort(values.begin(), values.end());
        const size_t middle = values.size() / 2;
        const double medianMs = values.size() % 2 ? static_cast<double>(values[middle])
                                                  : (values[middle - 1] + values[middle]) / 2.0;
        char line[128];
        std::snprintf(line, sizeof line, "  %-12s %8.1f s  (%zu stays)\n", scene.c_str(), medianMs / 1000.0,
                      values.size());
        out << line;
    }
}

void PrintButtonsAndKeys(const std::vector<Visit>& visits, std::ostream& out) {
    std::map<std::string, int> starts;
    int buttons = 0, keys = 0, buttonsWhileRunning = 0, keysWhileRunning = 0;
    for (const Visit& visit : visits) {
        const bool button = IsButton(visit.cause);
        if (!button && visit.cause != kKeyCause) {
            continue;
        }
        if (visit.whileRunning) {
            ++(button ? buttonsWhileRunning : keysWhileRunning);
            continue;
        }
        ++(button ? buttons : keys);
        if (button) {
            ++starts[visit.cause];
        }
    }
    out << "\nButtons against keys (scene starts)\n";
    for (const auto& [cause, count] : starts) {
        out << "  " << Padded(cause, 10, false) << Padded(std::to_string(count), 6, true) << '\n';
    }
    out << "  " << Padded("buttons", 10, false) << Padded(std::to_string(buttons), 6, true) << '\n';
    out << "  " << Padded("keys", 10, false) << Padded(std::to_string(keys), 6, true) << '\n';
    out << "  presses on a scene already running (the video stage's next movie): " << buttonsWhileRunning
        << " by button, " << keysWhileRunning << " by key\n";
}

void PrintSummary(const SummaryRequest& request, const std::vector<Visit>& visits, std::ostream& out) {
    std::vector<Visit> starts;
    for (const Visit& visit : visits) {
        if (!visit.whileRunning) {
            starts.push_back(visit);
        }
    }
    if (request.files.size() == 1) {
        out << "Visit statistics of " << request.files.front().path << " (times in UTC)\n";
    } else {
        out << "Visit statistics of " << request.files.size() << " booths together (times in UTC)\n";
        for (const BoothFile& file : request.files) {
            out << "  " << file.booth << "  " << file.path << '\n';
        }
    }
    if (starts.empty()) {
        out << "No scene starts recorded in this period.\n";
        return;
    }
    out << starts.size() << " scene starts from " << FormatTime(starts.front().utcMs, "%Y-%m-%d %H:%M")
        << " to " << FormatTime(starts.back().utcMs, "%Y-%m-%d %H:%M") << "\n\n";
    PrintPerDay(starts, out);
    PrintBusiestHours(starts, out);
    PrintMedianStays(starts, out);
    PrintButtonsAndKeys(visits, out);
}

} // namespace

int PrintVisitSummary(const SummaryRequest& request, std::ostream& out, std::ostream& err) {
    int64_t fromMs = std::numeric_limits<int64_t>::min();
    int64_t toMs = std::numeric_limits<int64_t>::max();
    if (!request.since.empty() && !ParseDay(request.since, &fromMs)) {
        err << "standview: --since " << request.since << ": not a date of the form YYYY-MM-DD\n";
        return kBadDate;
    }
    if (!request.until.empty()) {
        if (!ParseDay(request.until, &toMs)) {
            err << "standview: --until " << request.until << ": not a date of the form YYYY-MM-DD\n";
            return kBadDate;
        }
        toMs += kDayMs;
    }
    if (toMs <= fromMs) {
        err << "standview: --until " << request.until << " is before --since " << request.since << '\n';
        return kBadDate;
    }
    std::string problem;
    std::vector<Visit> visits;
    for (const BoothFile& file : request.files) {
        bool read = false;
        {
            VisitReader reader;
            read = reader.Open(file.path, &problem) &&
                   (reader.Version() == 0 ||
                    ReadVisits(reader.Database(), file.booth, fromMs, toMs, &visits, &problem));
        }
        if (!read) {
            err << "standview: cannot read visit statistics from " << file.path << ": " << problem << '\n';
            return kReadFailed;
        }
    }
    if (request.csv) {
        PrintCsv(visits, request.files.size() > 1, out);
    } else {
        // The booths' starts interleaved in time, for the first and last start and the hours.
        std::stable_sort(visits.begin(), visits.end(),
                         [](const Visit& a, const Visit& b) { return a.utcMs < b.utcMs; });
        PrintSummary(request, visits, out);
    }
    return 0;
}

} // namespace stats
