#include "history/ReportCommand.h"

#include "history/JournalReader.h"
#include "history/ReportHtml.h"
#include "history/ReportModel.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace tembrel {

std::optional<ReportPeriod> ParseReportPeriod(const std::string& text) {
    if (text.size() < 2) return std::nullopt;
    int n = 0;
    const char* end = text.data() + text.size() - 1;
    const auto [ptr, ec] = std::from_chars(text.data(), end, n);
    if (ec != std::errc() || ptr != end || n < 1) return std::nullopt;
    using std::chrono::hours;
    using std::chrono::minutes;
    struct Unit {
        char letter;
        std::chrono::milliseconds length;
        const char* one;
        const char* many;
    };
    for (const Unit& u : {Unit{'m', minutes(1), "minute", "minutes"}, Unit{'h', hours(1), "hour", "hours"},
                          Unit{'d', hours(24), "day", "days"}, Unit{'w', hours(24 * 7), "week", "weeks"}}) {
        if (text.back() != u.letter) continue;
        if (u.length.count() * static_cast<long long>(n) > std::chrono::milliseconds(hours(24 * 366)).count())
            return std::nullopt;
        ReportPeriod p;
        p.length = u.length * n;
        p.text = n == 1 ? std::string("the last ") + u.one : "the last " + std::to_string(n) + " " + u.many;
        return p;
    }
    return std::nullopt;
}

ReportOutcome WriteReport(const ReportRequest& request) {
    ReportOutcome outcome;
    outcome.file = request.file.empty() ? request.historyFolder / kReportFileName : request.file;
    const std::int64_t from = request.nowMs - request.period.length.count();
    const JournalRead read = ReadJournal(request.historyFolder, from);
    const std::string page = RenderReport(BuildReportModel(read.entries, from, request.nowMs), request.period.text);

    std::error_code error;
    if (outcome.file.has_parent_path()) std::filesystem::create_directories(outcome.file.parent_path(), error);
    std::string temp = outcome.file.string() + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);  // 0600
    if (fd < 0) {
        outcome.error = "cannot write " + outcome.file.string() + ": " + std::strerror(errno);
        return outcome;
    }
    std::size_t done = 0;
    while (done < page.size()) {
        const ssize_t n = ::write(fd, page.data() + done, page.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const int savedErrno = errno;
    const bool written = done == page.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), outcome.file.c_str()) != 0) {
        outcome.error = "cannot write " + outcome.file.string() + ": " + std::strerror(written ? errno : savedErrno);
        ::unlink(temp.c_str());
    }
    return outcome;
}

}  // namespace tembrel
