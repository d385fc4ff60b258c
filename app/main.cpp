#include "app/CZarn9100App.h"
#include "app/logic/CommandLine.h"

#include <QApplication>

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
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string programName = std::filesystem::path(argv[0]).filename().string();
    int status = 0;

    // Help and bad options need no display: look at the program's own "--" options first,
    // leaving Qt's single-dash options (and their values) to QApplication.
    std::vector<std::string> own;
    const auto all = Arguments(argc, argv);
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].rfind("--", 0) != 0 && all[i] != "-h") continue;
        own.push_back(all[i]);
        if ((all[i] == "--driver" || all[i] == "--config-dir" || all[i] == "--os-family") && i + 1 < all.size())
            own.push_back(all[++i]);
    }
    if (Reject(tembrel::ParseCommandLine(own), programName, status)) return status;

    QApplication application(argc, argv);  // takes Qt's own options out of argv
    // The window is hidden, not closed; the program ends through Exit.
    application.setQuitOnLastWindowClosed(false);
    const auto parsed = tembrel::ParseCommandLine(Arguments(argc, argv));
    if (Reject(parsed, programName, status)) return status;

    tembrel::CZarn9100App app(parsed.options);
    switch (app.Start()) {
    case tembrel::CZarn9100App::StartResult::EndSuccess:
        return 0;
    case tembrel::CZarn9100App::StartResult::Run:
        break;
    }
    return application.exec();
}
