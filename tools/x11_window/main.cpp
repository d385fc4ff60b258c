// x11_window: top-level windows of the X display in $DISPLAY, by exact title.
//   x11_window find TITLE                    ids of the viewable windows with that title; status 1: none
//   x11_window close TITLE                   asks each to close (WM_DELETE_WINDOW, as a window
//                                            manager's close button does); status 1: none found
//   x11_window launch TITLE TIMEOUT_MS CMD [ARG...]
//                                            starts CMD (its output goes to standard error) and
//                                            prints "PID MS": the time from start until a window
//                                            with that title was viewable. The program keeps
//                                            running. Status 1: time-out or the program ended.

#include <xcb/xcb.h>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Own(T* reply) {
    return Reply<T>(reply, &std::free);
}

class Display {
public:
    Display() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~Display() { xcb_disconnect(connection_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool ok() const { return xcb_connection_has_error(connection_) == 0; }
    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root; }

    xcb_atom_t atom(const char* name) const {
        auto reply = Own(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    std::string textProperty(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) const {
        auto reply = Own(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, property, type, 0, 256), nullptr));
        if (!reply || reply->format != 8) return {};
        const int length = xcb_get_property_value_length(reply.get());
        return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())), static_cast<size_t>(length));
    }

    // Viewable children of the root whose _NET_WM_NAME (or WM_NAME) is title.
    std::vector<xcb_window_t> find(const std::string& title) const {
        std::vector<xcb_window_t> found;
        auto tree = Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root()), nullptr));
        if (!tree) return found;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        const xcb_atom_t netName = atom("_NET_WM_NAME");
        const xcb_atom_t utf8 = atom("UTF8_STRING");
        for (int i = 0; i < count; ++i) {
            auto attributes = Own(xcb_get_window_attributes_reply(
                connection_, xcb_get_window_attributes(connection_, children[i]), nullptr));
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
            std::string name = textProperty(children[i], netName, utf8);
            if (name.empty()) name = textProperty(children[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
            if (name == title) found.push_back(children[i]);
        }
        return found;
    }

    void requestClose(xcb_window_t window) const {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = atom("WM_PROTOCOLS");
        event.data.data32[0] = atom("WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        auto error = Own(xcb_request_check(
            connection_, xcb_send_event_checked(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                                                reinterpret_cast<const char*>(&event))));
        if (error) std::fprintf(stderr, "x11_window: close request refused (X error %d)\n", error->error_code);
    }

private:
    xcb_connection_t* connection_;
};

double NowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

int Usage() {
    std::fputs("usage: x11_window find TITLE | close TITLE | launch TITLE TIMEOUT_MS CMD [ARG...]\n", stderr);
    return 2;
}

int Launch(const Display& display, const std::string& title, const char* timeoutText, char** command) {
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string verb = argv[1];
    const std::string title = argv[2];
    const Display display;
    if (!display.ok()) {
        std::fputs("x11_window: cannot open the display\n", stderr);
        return 2;
    }
    if (verb == "find" && argc == 3) {
        const auto windows = display.find(title);
        for (xcb_window_t w : windows) std::printf("0x%x\n", w);
        return windows.empty() ? 1 : 0;
    }
    if (verb == "close" && argc == 3) {
        const auto windows = display.find(title);
        for (xcb_window_t w : windows) display.requestClose(w);
        return windows.empty() ? 1 : 0;
    }
    if (verb == "launch" && argc >= 5) return Launch(display, title, argv[3], argv + 4);
    return Usage();
}
