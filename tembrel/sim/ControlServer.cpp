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

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace tembrel::sim {

namespace {

constexpr size_t kMaxRequest = 64 * 1024;
// Clients served at once; more wait in the listen backlog.
constexpr size_t kMaxClients = 16;

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

// One connection: its command as it arrives, then its answer as the socket takes it.
struct ControlServer::Client {
    int fd = -1;
    std::chrono::steady_clock::time_point deadline;
    std::string in;
    std::string out;
    size_t sent = 0;
    bool answering = false;
};

void ControlServer::run() {
    std::vector<Client> clients;
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({wakeRead_, POLLIN, 0});
        // At the client limit new connections wait in the backlog until one ends.
        fds.push_back({listenFd_, short(clients.size() < kMaxClients ? POLLIN : 0), 0});
        auto next = std::chrono::steady_clock::time_point::max();
        for (const Client& c : clients) {
            fds.push_back({c.fd, short(c.answering ? POLLOUT : POLLIN), 0});
            next = std::min(next, c.deadline);
        }
        int timeout = -1;
        if (!clients.empty()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - std::chrono::steady_clock::now());
            timeout = int(std::max<long long>(0, left.count()));
        }
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;
        if (fds[0].revents != 0) break;

        const auto now = std::chrono::steady_clock::now();
        std::vector<Client> kept;
        for (size_t i = 0; i < clients.size(); ++i) {
            Client& c = clients[i];
            const short ready = fds[i + 2].revents;
            bool keep = true;
            if (ready != 0) keep = c.answering ? sendSome(c) : receive(c);
            if (keep && now >= c.deadline) keep = false;  // trickling, idle, or not reading its answer
            if (keep)
                kept.push_back(std::move(c));
            else
                close(c.fd);
        }
        clients = std::move(kept);

        if ((fds[1].revents & POLLIN) != 0) {
            const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0) clients.push_back(Client{fd, std::chrono::steady_clock::now() + clientTimeout_, {}, {}, 0, false});
        }
    }
    for (const Client& c : clients) close(c.fd);
}

bool ControlServer::receive(Client& client) {
    char chunk[4096];
    const ssize_t n = recv(client.fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (n > 0) client.in.append(chunk, size_t(n));
    // The command ends with its line, or with the client's end of writing.
    if (n > 0 && client.in.find('\n') == std::string::npos && client.in.size() <= kMaxRequest) return true;
    if (n < 0) return false;
    client.out = answer(client.in);
    client.answering = true;
    client.deadline = std::chrono::steady_clock::now() + clientTimeout_;
    return sendSome(client);
}

bool ControlServer::sendSome(Client& client) const {
    while (client.sent < client.out.size()) {
        const ssize_t n = send(client.fd, client.out.data() + client.sent, client.out.size() - client.sent,
                               MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (n <= 0) return false;
        client.sent += size_t(n);
    }
    return false;
}

std::string ControlServer::answer(const std::string& request) {
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
    return answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace tembrel::sim
