#pragma once
// Listens on a Unix-domain socket for control commands: one JSON array of words per
// connection, answered with one line {"ok": bool, "reply": text}.

#include <memory>
#include <string>
#include <thread>

namespace tembrel::sim {

class Simulation;

class ControlServer {
public:
    // Nothing (and a line on standard error) when the socket cannot be set up, for example
    // because another simulation already listens there.
    static std::unique_ptr<ControlServer> start(const std::string& path, Simulation& sim);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

private:
    ControlServer(std::string path, int listenFd, int wakeRead, int wakeWrite, Simulation& sim);
    void run();
    void serve(int fd);

    std::string path_;
    int listenFd_;
    int wakeRead_;
    int wakeWrite_;
    Simulation& sim_;
    std::thread thread_;
};

}  // namespace tembrel::sim
