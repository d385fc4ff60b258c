#include "SupplicantLink.h"

#include <sys/stat.h>

#include <cstdio>
#include <utility>

namespace tembrel::wpa {

namespace {

bool IsSocket(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

}  // namespace

SupplicantLink::SupplicantLink(std::string socketPath, int requestTimeoutMs, std::vector<std::string> greeting)
    : path_(std::move(socketPath)), timeoutMs_(requestTimeoutMs), greeting_(std::move(greeting)) {}

SupplicantLink::~SupplicantLink() { shutdown(); }

void SupplicantLink::shutdown() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    if (control_) control_->shutdown();
    if (monitor_) monitor_->shutdown();
}

std::string SupplicantLink::errorText() {
    std::lock_guard lock(mutex_);
    return error_;
}

std::shared_ptr<ControlClient> SupplicantLink::control() {
    // Held until the greeting is sent: no other thread gets a new connection before its set-up
    // (a supplicant restarted during a call is reconnected by the event thread and a caller at once).
    const std::lock_guard connecting(connectMutex_);
    std::shared_ptr<ControlClient> client;
    {
        std::lock_guard lock(mutex_);
        if (control_ || stopped_) return control_;
        client = std::make_shared<ControlClient>();
        if (!client->open(path_)) {
            error_ = client->errorText();
            return nullptr;
        }
        control_ = client;
    }
    for (const auto& command : greeting_) {
        if (client->request(command, timeoutMs_).value_or("") != "OK\n")
            std::fprintf(stderr, "libTembrelWpa: wpa_supplicant at %s refused %s\n", path_.c_str(), command.c_str());
    }
    return client;
}

void SupplicantLink::drop(const std::shared_ptr<ControlClient>& client) {
    std::lock_guard lock(mutex_);
    if (control_ == client) control_.reset();
}

void SupplicantLink::lose(const std::shared_ptr<ControlClient>& client) {
    std::lock_guard lock(mutex_);
    if (client != control_ && client != monitor_) return;  // already replaced
    closeAllLocked();
    error_ = "wpa_supplicant at " + path_ + " stopped answering";
    lost_ = true;
}

void SupplicantLink::closeAllLocked() {
    for (auto* connection : {&control_, &monitor_}) {
        if (*connection) (*connection)->shutdown();
        connection->reset();
    }
}

bool SupplicantLink::lost() {
    std::lock_guard lock(mutex_);
    return std::exchange(lost_, false);
}

bool SupplicantLink::reachable() { return control() != nullptr; }

std::optional<std::string> SupplicantLink::request(const std::string& command) {
    const auto client = control();
    if (!client) return std::nullopt;
    auto reply = client->request(command, timeoutMs_);
    if (reply) return reply;
    if (client->broken()) {
        lose(client);
        return reply;
    }
    {
        std::lock_guard lock(mutex_);
        error_ = "wpa_supplicant at " + path_ + " does not answer";
    }
    drop(client);
    return reply;
}

std::shared_ptr<ControlClient> SupplicantLink::monitor() {
    {
        std::lock_guard lock(mutex_);
        if (monitor_ || stopped_) return monitor_;
    }
    auto client = std::make_shared<ControlClient>();
    if (!client->open(path_) || client->request("ATTACH", timeoutMs_).value_or("") != "OK\n") return nullptr;
    std::lock_guard lock(mutex_);
    if (stopped_) return nullptr;
    monitor_ = client;
    pingSent_.reset();
    return client;
}

bool SupplicantLink::attach() { return monitor() != nullptr; }

std::optional<std::string> SupplicantLink::receiveEvent(int timeoutMs) {
    const auto client = monitor();
    if (!client) return std::nullopt;
    auto message = client->receive(timeoutMs);
    if (message) {
        pingSent_.reset();
        // Events start with their level ("<3>"); anything else answers the PING.
        if (message->empty() || (*message)[0] != '<') return std::nullopt;
        return message;
    }
    if (client->broken()) {
        lose(client);
    } else if (!pingSent_) {
        if (client->send("PING")) pingSent_ = std::chrono::steady_clock::now();
        else lose(client);
    } else if (std::chrono::steady_clock::now() - *pingSent_ >= std::chrono::milliseconds(timeoutMs_)) {
        lose(client);
    }
    return std::nullopt;
}

bool SupplicantLink::socketPresent() {
    const bool present = IsSocket(path_);
    std::lock_guard lock(mutex_);
    if (!present) {
        closeAllLocked();
    }
    return present;
}

}  // namespace tembrel::wpa
