#pragma once
// The connections to one wpa_supplicant control socket: one for requests and one attached for
// events. Either is made again when needed, so a supplicant started after the library, or
// restarted, is reached at the next call. A request that gets no answer in time drops its
// connection: its late reply then goes to a closed socket instead of answering the next request.

#include "ControlClient.h"

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tembrel::wpa {

class SupplicantLink {
public:
    // greeting: requests sent on every new request connection (e.g. "AP_SCAN 0").
    SupplicantLink(std::string socketPath, int requestTimeoutMs, std::vector<std::string> greeting);
    ~SupplicantLink();
    SupplicantLink(const SupplicantLink&) = delete;
    SupplicantLink& operator=(const SupplicantLink&) = delete;

    // Empty when the supplicant cannot be reached or does not answer within the time limit.
    std::optional<std::string> request(const std::string& command);
    // Connects now if not connected; false (with errorText) when the supplicant cannot be reached.
    bool reachable();
    // Attaches the connection for events now; false when the supplicant does not take it.
    bool attach();
    // The next event message, attaching first when needed; empty on time-out or when there is
    // no supplicant (then after no wait at all).
    std::optional<std::string> receiveEvent(int timeoutMs);
    // Whether the control socket exists. A socket made anew (the supplicant restarted) drops
    // the connections to the old one.
    bool socketPresent();
    // Wakes every wait and refuses further connections.
    void shutdown();

    const std::string& path() const { return path_; }
    std::string errorText();

private:
    std::shared_ptr<ControlClient> control();
    std::shared_ptr<ControlClient> monitor();
    void drop(const std::shared_ptr<ControlClient>& client);

    const std::string path_;
    const int timeoutMs_;
    const std::vector<std::string> greeting_;
    std::mutex connectMutex_;  // one connection made and greeted at a time; taken before mutex_
    std::mutex mutex_;  // the members below
    std::shared_ptr<ControlClient> control_;
    std::shared_ptr<ControlClient> monitor_;
    ino_t socketInode_ = 0;  // of the socket the connections were made to
    std::string error_;
    bool stopped_ = false;
};

}  // namespace tembrel::wpa
