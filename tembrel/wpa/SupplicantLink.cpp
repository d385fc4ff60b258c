#include "SupplicantLink.h"

#include <sys/stat.h>

#include <cstdio>

namespace tembrel::wpa {

namespace {

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) ? st.st_ino : 0;
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
        // A socket made anew belongs to a restarted supplicant: the old connection leads nowhere.
        if (control_ && InodeOf(path_) != socketInode_) control_.reset();
        if (control_ || stopped_) return control_;
        client = std::make_shared<ControlClient>();
        if (!client->open(path_)) {
            error_ = client->errorText();
            return nullptr;
        }
        control_ = client;
        socketInode_ = InodeOf(path_);
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

bool SupplicantLink::reachable() { return control() != nullptr; }

std::optional<std::string> SupplicantLink::request(const std::string& command) {
    const auto client = control();
    if (!client) return std::nullopt;
    auto reply = client->request(command, timeoutMs_);
    if (!reply) {
        std::lock_guard lock(mutex_);
        error_ = "wpa_supplicant at " + path_ + " does not answer";
    }
    if (!reply) drop(client);
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
    socketInode_ = InodeOf(path_);
    return client;
}

bool SupplicantLink::attach() { return monitor() != nullptr; }

std::optional<std::string> SupplicantLink::receiveEvent(int timeoutMs) {
    const auto client = monitor();
    if (!client) return std::nullopt;
    return client->receive(timeoutMs);
}

bool SupplicantLink::socketPresent() {
    const ino_t inode = InodeOf(path_);
    std::lock_guard lock(mutex_);
    if (inode != socketInode_ && (control_ || monitor_)) {
        if (control_) control_->shutdown();
        if (monitor_) monitor_->shutdown();
        control_.reset();
        monitor_.reset();
    }
    if (inode == 0) socketInode_ = 0;
    return inode != 0;
}

}  // namespace tembrel::wpa
