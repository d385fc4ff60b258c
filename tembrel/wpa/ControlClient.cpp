#include "ControlClient.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tembrel::wpa {

namespace {

std::atomic<unsigned> nextSocketNumber{0};

bool FillAddress(sockaddr_un& address, const std::string& path) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

ControlClient::~ControlClient() {
    shutdown();
    std::lock_guard lock(mutex_);
    if (fd_ >= 0) ::close(fd_);
    if (!localPath_.empty()) ::unlink(localPath_.c_str());
    for (int& fd : wake_) {
        if (fd >= 0) ::close(fd);
    }
}

bool ControlClient::open(const std::string& serverPath) {
    std::lock_guard lock(mutex_);
    sockaddr_un server{};
    if (!FillAddress(server, serverPath)) {
        error_ = "The control socket path is too long: " + serverPath;
        return false;
    }
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    // The supplicant answers to the sender's address, so the client binds a name of its own.
    const char* tmp = std::getenv("TMPDIR");
    localPath_ = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tembrel_wpa_" +
                 std::to_string(::getpid()) + "_" + std::to_string(nextSocketNumber++);
    ::unlink(localPath_.c_str());
    sockaddr_un local{};
    if (!FillAddress(local, localPath_) ||
        ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        error_ = "Cannot create the local socket " + localPath_ + ": " + std::strerror(errno);
        localPath_.clear();
        return false;
    }
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
        const int e = errno;
        error_ = e == EACCES || e == EPERM
                     ? "Access to " + serverPath +
                           " was refused: run as a member of the group named by ctrl_interface_group"
                     : "Cannot reach wpa_supplicant at " + serverPath + ": " + std::strerror(e);
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

void ControlClient::shutdown() {
    if (wake_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_[1], &byte, 1);
    }
}

std::optional<std::string> ControlClient::request(const std::string& command, int timeoutMs) {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return std::nullopt;
    // A reply that came after its request gave up must not answer this one.
    char stale[64];
    while (::recv(fd_, stale, sizeof stale, MSG_DONTWAIT) >= 0) {
    }
    if (!sendLocked(command)) return std::nullopt;
    return receiveLocked(timeoutMs, true);
}

bool ControlClient::send(const std::string& command) {
    std::lock_guard lock(mutex_);
    return fd_ >= 0 && sendLocked(command);
}

bool ControlClient::sendLocked(const std::string& command) {
    if (::send(fd_, command.data(), command.size(), MSG_NOSIGNAL) == ssize_t(command.size())) return true;
    // A datagram socket whose peer closed refuses at once (ECONNREFUSED); a full queue is no failure.
    if (errno != EAGAIN && errno != EINTR) broken_ = true;
    return false;
}

std::optional<std::string> ControlClient::receive(int timeoutMs) {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return std::nullopt;
    return receiveLocked(timeoutMs, false);
}

std::optional<std::string> ControlClient::receiveLocked(int timeoutMs, bool skipEvents) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // The supplicant's replies fit in 4 KB except BSS and SCAN_RESULTS, which stay under 64 KB.
    static thread_local char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return std::nullopt;
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, int(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || (fds[1].revents & POLLIN) != 0) return std::nullopt;
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) continue;
            broken_ = true;
            return std::nullopt;
        }
        std::string reply(buffer, size_t(n));
        if (skipEvents && !reply.empty() && reply[0] == '<') continue;
        return reply;
    }
}

}  // namespace tembrel::wpa
