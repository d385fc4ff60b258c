#pragma once
// The connections to one wpa_supplicant control socket: one for requests and one attached for
// events. Either is made again when needed, so a supplicant started after the library, or
// restarted, is reached at the next call. A request that gets no answer in time drops its
// connection: its late reply then goes to a closed socket instead of answering the next request.
// A connection is known dead by its own failure (a send refused, a receive failing, a PING left
// unanswered), never by the socket file: a restarted supplicant's socket may carry the old one's
// inode number.

#include "ControlClient.h"

#include <chrono>
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
    // no supplicant (then after no wait at all). A quiet supplicant is sent PING: without an
    // answer within the request limit both connections are dropped and lost() says so. Called
    // from one thread only.
    std::optional<std::string> receiveEvent(int timeoutMs);
    // Whether the connections were dropped for a dead supplicant since the last call.
    bool lost();
    // Whether the control socket exists. A supplicant that removed its socket has ended: the
    // connections to it are dropped.
    bool socketPresent();
    // Wakes every wait and refuses further connections.
    void shutdown();

    const std::string& path() const { return path_; }
    std::string errorText();

private:
    std::shared_ptr<ControlClient> control();
    std::shared_ptr<ControlClient> monitor();
    void drop(const std::shared_ptr<ControlClient>& client);
    // `client` failed: the supplicant behind both connections is gone.
    void lose(const std::shared_ptr<ControlClient>& client);
    void closeAllLocked();  // with mutex_ held

    const std::string path_;
    const int timeoutMs_;
    const std::vector<std::string> greeting_;
    std::mutex connectMutex_;  // one connection made and greeted at a time; taken before mutex_
    std::mutex mutex_;  // the members below
    std::shared_ptr<ControlClient> control_;
    std::shared_ptr<ControlClient> monitor_;
    std::string error_;
    bool stopped_ = false;
    bool lost_ = false;
    // When the monitor's PING went out; only receiveEvent's thread uses it.
    std::optional<std::chrono::steady_clock::time_point> pingSent_;
};

}  // namespace tembrel::wpa
