#pragma once
// A stand-in for wpa_supplicant's control socket: a thread answering each datagram with the
// scripted reply, then sending the scripted events to every attached client. It records the
// commands it was sent, so tests can check what the library asked for.

#include <sys/socket.h>
#include <sys/un.h>
#include <poll.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tembrel::wpa::testing {

struct ScriptedReply {
    std::string reply;
    std::vector<std::string> events;  // sent to attached clients after the reply
};

class FakeSupplicant {
public:
    using Script = std::function<ScriptedReply(const std::string& command)>;

    FakeSupplicant(const std::string& path, Script script) : path_(path), script_(std::move(script)) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
        ::unlink(path.c_str());
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::pipe(stop_) == 0;
        if (bound_) thread_ = std::thread([this] { run(); });
    }
    ~FakeSupplicant() {
        if (bound_) {
            const char b = 1;
            [[maybe_unused]] const ssize_t n = ::write(stop_[1], &b, 1);
            thread_.join();
            ::close(stop_[0]);
            ::close(stop_[1]);
        }
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    bool bound() const { return bound_; }

    std::vector<std::string> commands() {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    // Sends an event to every attached client now.
    void sendEvent(const std::string& text) {
        std::lock_guard lock(mutex_);
        for (const auto& [address, length] : attached_)
            ::sendto(fd_, text.data(), text.size(), 0, reinterpret_cast<const sockaddr*>(&address), length);
    }
    // Waits until a command starting with prefix has arrived.
    bool waitForCommand(const std::string& prefix) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [&] {
            for (const auto& c : commands_) {
                if (c.rfind(prefix, 0) == 0) return true;
            }
            return false;
        });
    }

private:
    void run() {
        char buffer[4096];
        for (;;) {
            pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) <= 0 || (fds[1].revents & POLLIN) != 0) return;
            sockaddr_un from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (n < 0) continue;
            const std::string command(buffer, size_t(n));
            ScriptedReply r = command == "ATTACH" ? ScriptedReply{"OK\n", {}} : script_(command);
            // Recorded before the reply: a caller that has its reply may check what was sent.
            {
                std::lock_guard lock(mutex_);
                commands_.push_back(command);
                if (command == "ATTACH") attached_.emplace_back(from, length);
            }
            changed_.notify_all();
            ::sendto(fd_, r.reply.data(), r.reply.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
            for (const auto& e : r.events) sendEvent(e);
        }
    }

    std::string path_;
    Script script_;
    int fd_ = -1;
    int stop_[2] = {-1, -1};
    bool bound_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> commands_;
    std::vector<std::pair<sockaddr_un, socklen_t>> attached_;
    std::thread thread_;
};

}  // namespace tembrel::wpa::testing
