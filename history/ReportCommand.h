#pragma once
// `Tembrel --report [FILE] [--since 7d] [--open]`: the report of the journal's last days as one
// HTML file, its path printed; --open hands it to the desktop's browser (xdg-open).

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tembrel {

struct ReportPeriod {
    std::chrono::milliseconds length{0};
    std::string text;  // "the last 7 days"
};

// "7d", "12h", "30m", "2w" (a whole number from 1 and its unit; at most 366 days); nothing otherwise.
std::optional<ReportPeriod> ParseReportPeriod(const std::string& text);

inline constexpr char kReportFileName[] = "wifi-report.html";

struct ReportRequest {
    std::filesystem::path historyFolder;
    std::filesystem::path file;  // "" = kReportFileName in the history folder
    ReportPeriod period;
    std::int64_t nowMs = 0;
};

struct ReportOutcome {
    std::filesystem::path file;  // what was written
    std::string error;           // non-empty: nothing written
};

// Reads the journal, builds the page and writes it (mode 0600: it names the networks and access
// points that locate the user) through a temporary file that replaces FILE once complete.
ReportOutcome WriteReport(const ReportRequest& request);

}  // namespace tembrel
