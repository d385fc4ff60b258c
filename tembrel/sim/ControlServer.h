#pragma once
// Listens on a Unix-domain socket for control commands: one JSON array of words per
// connection, answered with one line {"ok": bool, "reply": text}.

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tembrel::sim {

class Simulation;

class ControlServer {
public:
    // Nothing (and a line on standard error) when the socket cannot be set up, for example
    // because another simulation already listens there.
    // Clients are served side by side, so an idle one delays nobody. clientTimeout bounds
    // reading one command, and again writing its answer: a client that trickles its command or
    // never reads the answer is dropped then, and never holds the simulation's shutdown.
    static std::unique_ptr<ControlServer> start(const std::string& path, Simulation& sim,
                                                std::chrono::milliseconds clientTimeout = std::chrono::seconds(2));
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

private:
    struct Client;

    ControlServer(std::string path, int listenFd, int wakeRead, int wakeWrite, Simulation& sim,
                  std::chrono::milliseconds clientTimeout);
    void run();
    // Reads what the client sent; once its command is complete, runs it and queues the answer.
    // False when the client is done with (closed, or its answer could not be made).
    bool receive(Client& client);
    // Sends what the socket takes of the answer; false once all is sent or sending failed.
    bool sendSome(Client& client) const;
    std::string answer(const std::string& request);

    std::string path_;
    int listenFd_;
    int wakeRead_;
    int wakeWrite_;
    Simulation& sim_;
    const std::chrono::milliseconds clientTimeout_;
    std::thread thread_;
};

}  // namespace tembrel::sim
