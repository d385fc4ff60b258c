#pragma once
// A client of wpa_supplicant's control interface: AF_UNIX datagram sockets, one request and
// its reply at a time. Our own small client rather than libwpa-client: that library blocks in
// recv without a way to wake it, and a close must end a wait for an event at once.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace tembrel::wpa {

class ControlClient {
public:
    ControlClient() = default;
    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

    // Connects to the supplicant's socket. On failure errorText() says why (for example that
    // access was refused: the socket needs the group of ctrl_interface_group).
    bool open(const std::string& serverPath);
    // Wakes every wait now under way and makes further ones fail at once.
    void shutdown();
    bool isOpen() const { return fd_ >= 0; }
    const std::string& errorText() const { return error_; }

    // Sends a command and waits up to timeoutMs for its reply; unsolicited event messages
    // (they start with '<') are skipped. Empty when there is no reply in time.
    std::optional<std::string> request(const std::string& command, int timeoutMs);
    // The next datagram, for a client that has sent ATTACH; empty on time-out or shutdown.
    std::optional<std::string> receive(int timeoutMs);
    // Sends a command whose reply receive() gets; false when it cannot be sent.
    bool send(const std::string& command);
    // A send or receive failed: the supplicant behind this connection is gone (its socket
    // closed), whatever now sits at its path.
    bool broken() const { return broken_; }

private:
    std::optional<std::string> receiveLocked(int timeoutMs, bool skipEvents);
    bool sendLocked(const std::string& command);

    std::mutex mutex_;  // one exchange at a time
    int fd_ = -1;
    int wake_[2] = {-1, -1};
    std::string localPath_;
    std::string error_;
    std::atomic<bool> broken_{false};
};

}  // namespace tembrel::wpa
