// x11_window: top-level windows of the X display in $DISPLAY, by exact title, for the
// user-interface measurements.
//   x11_window find TITLE      ids of the viewable windows with that title; status 1: none
//   x11_window close TITLE     asks each to close (WM_DELETE_WINDOW, as a window manager's
//                              close button does); status 1: none found
//   x11_window launch TITLE TIMEOUT_MS CMD [ARG...]
//                              starts CMD (its output goes to standard error) and prints
//                              "PID MS": the time from start until a window with that title was
//                              viewable. The program keeps running. Status 1: time-out or the
//                              program ended.
//   x11_window tray            a bare notification area; prints "ready" once it owns the
//                              screen's tray selection, then docks icons until killed
//   x11_window keys TITLE KEY...
//                              types the keys ("alt+c", "ctrl+Tab", "Return") into the window
//                              with that title; status 1: no such window or a key not sent
//   x11_window focus TITLE     gives the window with that title the input focus, as a window
//                              manager does when a dialog above it closes; status 1: none
//   x11_window iconify TITLE   minimises the window with that title as a window manager does
//                              and prints its id; status 1: not exactly one such window
//   x11_window deiconify ID    brings that window back as a window manager's task bar does

#include "KeyPress.h"
#include "TrayHost.h"
#include "XDisplay.h"

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using x11tools::XDisplay;

double NowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

int Usage() {
    std::fputs("usage: x11_window find TITLE | close TITLE | launch TITLE TIMEOUT_MS CMD [ARG...] | tray |\n"
               "                  keys TITLE KEY... | focus TITLE | iconify TITLE | deiconify ID\n",
               stderr);
    return 2;
}

int Close(const XDisplay& display, const std::string& title) {
    const auto windows = display.find(title);
    const xcb_atom_t protocols = display.atom("WM_PROTOCOLS");
    const uint32_t request[5] = {display.atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME, 0, 0, 0};
    for (xcb_window_t w : windows)
        if (!display.sendClientMessage(w, w, protocols, request))
            std::fprintf(stderr, "x11_window: close request to 0x%x refused\n", w);
    return windows.empty() ? 1 : 0;
}

int Launch(const XDisplay& display, const std::string& title, const char* timeoutText, char** command) {
    char* end = nullptr;
    const long timeoutMs = std::strtol(timeoutText, &end, 10);
    if (*end != '\0' || timeoutMs <= 0 || timeoutMs > 600000) return Usage();
    const double start = NowMs();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("x11_window: fork");
        return 1;
    }
    if (pid == 0) {
        // The program outlives this helper: keep it off the pipe its caller reads.
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(command[0], command);
        std::fprintf(stderr, "x11_window: cannot start %s: %s\n", command[0], std::strerror(errno));
        _exit(127);
    }
    const timespec pause{0, 2'000'000};
    while (NowMs() - start < static_cast<double>(timeoutMs)) {
        if (!display.find(title).empty()) {
            std::printf("%d %.1f\n", static_cast<int>(pid), NowMs() - start);
            return 0;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "x11_window: %s ended before showing \"%s\"\n", command[0], title.c_str());
            return 1;
        }
        nanosleep(&pause, nullptr);
    }
    std::fprintf(stderr, "x11_window: no window \"%s\" after %ld ms (program %d left running)\n", title.c_str(),
                 timeoutMs, static_cast<int>(pid));
    std::printf("%d -1\n", static_cast<int>(pid));
    return 1;
}

int Keys(const XDisplay& display, const std::string& title, char** keys) {
    const auto windows = display.find(title);
    if (windows.size() != 1) {
        std::fprintf(stderr, "x11_window: %zu windows \"%s\"\n", windows.size(), title.c_str());
        return 1;
    }
    for (; *keys; ++keys) {
        const auto chord = x11tools::ParseKeyChord(*keys);
        if (!chord) {
            std::fprintf(stderr, "x11_window: unknown key \"%s\"\n", *keys);
            return 2;
        }
        if (!x11tools::SendKey(display, windows.front(), *chord)) {
            std::fprintf(stderr, "x11_window: cannot send \"%s\"\n", *keys);
            return 1;
        }
    }
    return 0;
}

int Focus(const XDisplay& display, const std::string& title) {
    const auto windows = display.find(title);
    if (windows.size() != 1) {
        std::fprintf(stderr, "x11_window: %zu windows \"%s\"\n", windows.size(), title.c_str());
        return 1;
    }
    xcb_generic_error_t* error = xcb_request_check(
        display.get(), xcb_set_input_focus_checked(display.get(), XCB_INPUT_FOCUS_POINTER_ROOT, windows.front(), XCB_CURRENT_TIME));
    const bool failed = error != nullptr;
    std::free(error);
    return failed ? 1 : 0;
}

int Iconify(const XDisplay& display, const std::string& title) {
    const auto windows = display.find(title);
    if (windows.size() != 1) {
        std::fprintf(stderr, "x11_window: %zu windows \"%s\"\n", windows.size(), title.c_str());
        return 1;
    }
    if (!display.setIconic(windows.front(), true)) return 1;
    std::printf("0x%x\n", windows.front());
    return 0;
}

int Deiconify(const XDisplay& display, const std::string& id) {
    char* end = nullptr;
    const unsigned long window = std::strtoul(id.c_str(), &end, 0);
    if (id.empty() || *end != '\0' || window == 0 || window > 0xFFFFFFFFul) return Usage();
    return display.setIconic(static_cast<xcb_window_t>(window), false) ? 0 : 1;
}

int Tray(const XDisplay& display) {
    x11tools::TrayHost tray(display);
    if (!tray.start()) {
        std::fputs("x11_window: another notification area owns the tray selection\n", stderr);
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    tray.run();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string verb = argv[1];
    const XDisplay display;
    if (!display.ok()) {
        std::fputs("x11_window: cannot open the display\n", stderr);
        return 2;
    }
    if (verb == "tray" && argc == 2) return Tray(display);
    if (argc < 3) return Usage();
    const std::string title = argv[2];
    if (verb == "find" && argc == 3) {
        const auto windows = display.find(title);
        for (xcb_window_t w : windows) std::printf("0x%x\n", w);
        return windows.empty() ? 1 : 0;
    }
    if (verb == "close" && argc == 3) return Close(display, title);
    if (verb == "launch" && argc >= 5) return Launch(display, title, argv[3], argv + 4);
    if (verb == "keys" && argc >= 4) return Keys(display, title, argv + 3);
    if (verb == "focus" && argc == 3) return Focus(display, title);
    if (verb == "iconify" && argc == 3) return Iconify(display, title);
    if (verb == "deiconify" && argc == 3) return Deiconify(display, title);
    return Usage();
}
