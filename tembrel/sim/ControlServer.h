#pragma once
// Listens on a Unix-domain socket for control commands: one JSON array of words per
// connection, answered with one line {"ok": bool, "reply": text}.

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace tembrel::sim {

class Simulation;

class ControlServer {
public:
    // Nothing (and a line on standard error) when the socket cannot be set up, for example
    // because another simulation already listens there.
    // clientTimeout bounds reading one command, and again writing its answer, so that a client
    // that trickles its command or never reads the answer cannot hold the listener (and the
    // simulation's shutdown) for longer.
    static std::unique_ptr<ControlServer> start(const std::string& path, Simulation& sim,
                                                std::chrono::milliseconds clientTimeout = std::chrono::seconds(2));
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

private:
    ControlServer(std::string path, int listenFd, int wakeRead, int wakeWrite, Simulation& sim,
                  std::chrono::milliseconds clientTimeout);
    void run();
    void serve(int fd);
    // False when the deadline passes or the server is told to stop before fd is ready.
    bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) const;
    bool writeAll(int fd, const std::string& text, std::chrono::steady_clock::time_point deadline) const;

    std::string path_;
    int listenFd_;
    int wakeRead_;
    int wakeWrite_;
    Simulation& sim_;
    const std::chrono::milliseconds clientTimeout_;
    std::thread thread_;
};

}  // namespace tembrel::sim
