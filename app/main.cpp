#include "app/CZarn9100App.h"
#include "app/logic/CommandLine.h"
#include "history/HistoryLocation.h"
#include "history/ReportCommand.h"
#include "platform/Autostart.h"
#include "platform/CoreDumps.h"
#include "platform/Paths.h"
#include "ui/Accessibility.h"

#include <QApplication>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

// Reports a bad command line; true when the program should end with `status`.
bool Reject(const tembrel::CommandLineResult& parsed, const std::string& programName, int& status) {
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), parsed.error.c_str());
        status = 2;
        return true;
    }
    if (parsed.options.help) {
        std::fputs(tembrel::CommandLineHelp(programName).c_str(), stdout);
        status = 0;
        return true;
    }
    if (parsed.options.version) {
        std::printf("%s %s\n", programName.c_str(), TEMBREL_VERSION);
        status = 0;
        return true;
    }
    return false;
}

// --autostart on|off: the entry starts this program with the data options given beside it.
int SetAutostart(const tembrel::CommandLine& options, const std::string& programName) {
    namespace fs = std::filesystem;
    const tembrel::PathInputs inputs = tembrel::CurrentPathInputs(std::nullopt);
    const fs::path entry = tembrel::AutostartEntryPath(inputs.xdgConfigHome, inputs.home);
    tembrel::AutostartResult result;
    if (!*options.autostart) {
        result = tembrel::DisableAutostart(entry);
    } else if (inputs.executable.empty()) {
        result.message = "cannot find this program's own path";
    } else {
        std::vector<std::string> command{inputs.executable.string()};
        bool absolute = true;
        const auto add = [&](const char* option, const fs::path& path) {
            std::error_code error;
            const fs::path full = fs::absolute(path, error);
            absolute = absolute && !error;
            command.insert(command.end(), {option, full.string()});
        };
        // A bare library name is left to the library search, as the program itself does.
        if (!options.driverPath.empty() && fs::path(options.driverPath).has_parent_path())
            add("--driver", options.driverPath);
        else if (!options.driverPath.empty())
            command.insert(command.end(), {"--driver", options.driverPath});
        if (!options.configDir.empty()) add("--config-dir", options.configDir);
        result = absolute ? tembrel::EnableAutostart(entry, command)
                          : tembrel::AutostartResult{false, "cannot make the given paths absolute"};
    }
    std::fprintf(result.ok ? stdout : stderr, "%s: %s\n", programName.c_str(), result.message.c_str());
    return result.ok ? 0 : 1;
}

// --report [FILE] [--since P] [--open]: no window, no card; the journal of this user (or of
// --config-dir) as one page.
int WriteReportFile(const tembrel::CommandLine& options, const std::string& programName) {
    const tembrel::DataPathsResult located = tembrel::LocateDataPaths(
        options.configDir.empty() ? std::nullopt : std::optional<std::filesystem::path>(options.configDir));
    tembrel::ReportRequest request;
    request.historyFolder = tembrel::HistoryFolder(located.paths);
    request.file = *options.report;
    request.period = *tembrel::ParseReportPeriod(options.since);
    request.nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch()).count();
    const tembrel::ReportOutcome outcome = tembrel::WriteReport(request);
    if (!outcome.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), outcome.error.c_str());
        return 1;
    }
    std::error_code error;
    const std::string path = std::filesystem::absolute(outcome.file, error).string();
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    if (!options.openReport) return 0;
    // The desktop's browser, through its own opener; it returns once the browser has it.
    const char* argv[] = {"xdg-open", path.c_str(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        std::fprintf(stderr, "%s: cannot run xdg-open to open the report\n", programName.c_str());
        return 1;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s: xdg-open could not open the report\n", programName.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string programName = std::filesystem::path(argv[0]).filename().string();
    int status = 0;
    // Before any secret is read: a core file would hold every profile's keys in clear.
    if (std::string error; !tembrel::KeepSecretsOutOfCoreDumps(error))
        std::fprintf(stderr, "%s: core files may hold the profiles' secrets: %s\n", programName.c_str(), error.c_str());

    // Help, version, autostart and bad options need no display: look at the program's own "--"
    // options first, leaving Qt's single-dash options (and their values) to QApplication.
    std::vector<std::string> own;
    const auto all = Arguments(argc, argv);
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].rfind("--", 0) != 0 && all[i] != "-h") continue;
        own.push_back(all[i]);
        if (tembrel::OptionTakesValue(all[i]) && i + 1 < all.size()) own.push_back(all[++i]);
        else if (all[i] == "--report" && i + 1 < all.size() && all[i + 1].rfind("-", 0) != 0) own.push_back(all[++i]);
    }
    const auto early = tembrel::ParseCommandLine(own);
    if (Reject(early, programName, status)) return status;
    if (early.options.autostart) return SetAutostart(early.options, programName);
    if (early.options.report) return WriteReportFile(early.options, programName);

    QApplication application(argc, argv);  // takes Qt's own options out of argv
    // The window is hidden, not closed; the program ends through Exit.
    application.setQuitOnLastWindowClosed(false);
    tembrel::ui::installAccessibility();
    const auto parsed = tembrel::ParseCommandLine(Arguments(argc, argv));
    if (Reject(parsed, programName, status)) return status;

    tembrel::CZarn9100App app(parsed.options);
    switch (app.Start()) {
    case tembrel::CZarn9100App::StartResult::EndSuccess:
        return 0;
    case tembrel::CZarn9100App::StartResult::EndFailure:
        return 1;
    case tembrel::CZarn9100App::StartResult::Run:
        break;
    }
    return application.exec();
}
