#include "ControlServer.h"

#include "ControlCommands.h"
#include "Simulation.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace tembrel::sim {

namespace {

constexpr size_t kMaxRequest = 64 * 1024;

bool FillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool SomeoneListens(const sockaddr_un& addr) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool listening = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return listening;
}

}  // namespace

std::unique_ptr<ControlServer> ControlServer::start(const std::string& path, Simulation& sim,
                                                    std::chrono::milliseconds clientTimeout) {
    sockaddr_un addr{};
    if (!FillAddress(path, addr)) {
        std::fprintf(stderr, "tembrel-sim: control socket path is empty or too long: %s\n", path.c_str());
        return nullptr;
    }
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode) || SomeoneListens(addr)) {
            std::fprintf(stderr, "tembrel-sim: %s is in use; this simulation has no control socket\n", path.c_str());
            return nullptr;
        }
        unlink(path.c_str());
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0) {
        std::fprintf(stderr, "tembrel-sim: cannot listen on %s: %s\n", path.c_str(), std::strerror(errno));
        close(fd);
        return nullptr;
    }
    chmod(path.c_str(), 0600);
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) {
        close(fd);
        unlink(path.c_str());
        return nullptr;
    }
    return std::unique_ptr<ControlServer>(new ControlServer(path, fd, wake[0], wake[1], sim, clientTimeout));
}

ControlServer::ControlServer(std::string path, int listenFd, int wakeRead, int wakeWrite, Simulation& sim,
                             std::chrono::milliseconds clientTimeout)
    : path_(std::move(path)),
      listenFd_(listenFd),
      wakeRead_(wakeRead),
      wakeWrite_(wakeWrite),
      sim_(sim),
      clientTimeout_(clientTimeout) {
    thread_ = std::thread([this] { run(); });
}

ControlServer::~ControlServer() {
    const char stop = 's';
    while (write(wakeWrite_, &stop, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    close(listenFd_);
    close(wakeRead_);
    close(wakeWrite_);
    unlink(path_.c_str());
}

void ControlServer::run() {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if ((fds[0].revents & POLLIN) == 0) continue;
        const int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        serve(client);
        close(client);
    }
}

bool ControlServer::waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) const {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd fds[2] = {{fd, events, 0}, {wakeRead_, POLLIN, 0}};
        const int ready = poll(fds, 2, int(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0 && fds[1].revents == 0 && fds[0].revents != 0;
    }
}

bool ControlServer::writeAll(int fd, const std::string& text, std::chrono::steady_clock::time_point deadline) const {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLOUT, deadline)) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

void ControlServer::serve(int fd) {
    const auto deadline = std::chrono::steady_clock::now() + clientTimeout_;
    std::string request;
    char chunk[4096];
    while (request.find('\n') == std::string::npos && request.size() <= kMaxRequest) {
        if (!waitFor(fd, POLLIN, deadline)) return;
        const ssize_t n = recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        if (n <= 0) break;
        request.append(chunk, size_t(n));
    }
    nlohmann::json answer;
    std::vector<std::string> words;
    std::string reply;
    bool ok = false;
    if (request.size() > kMaxRequest) {
        reply = "command too long";
    } else {
        const size_t end = request.find('\n');
        if (ParseCommandWords(request.substr(0, end), words, reply)) ok = sim_.control(words, reply);
    }
    answer["ok"] = ok;
    answer["reply"] = reply;
    writeAll(fd, answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n",
             std::chrono::steady_clock::now() + clientTimeout_);
}

}  // namespace tembrel::sim
