// The control socket against clients that misbehave: none of them may hold the listener,
// and so keep other clients waiting or the simulation from shutting down.
#include "ControlServer.h"
#include "Simulation.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace tembrel::sim {
namespace {

constexpr int kGenerousMs = 60'000;

class Client {
public:
    explicit Client(const std::string& path) : fd_(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
        connected_ = fd_ >= 0 && connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~Client() {
        if (fd_ >= 0) close(fd_);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return connected_; }
    bool send(const std::string& text) const {
        return ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) == ssize_t(text.size());
    }
    // Waits (within a generous bound) until the server has started to answer.
    bool answerBegins() const {
        pollfd p{fd_, POLLIN, 0};
        return poll(&p, 1, kGenerousMs) == 1;
    }
    // The answer line, or what came before the server closed or the bound ran out.
    std::string answer() const {
        std::string text;
        char chunk[4096];
        while (text.find('\n') == std::string::npos) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, kGenerousMs) != 1) break;
            const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            text.append(chunk, size_t(n));
        }
        return text;
    }

private:
    int fd_;
    bool connected_ = false;
};

// A client that sends a command one byte at a time, never finishing it, until told to stop.
class TricklingClient {
public:
    explicit TricklingClient(const std::string& path) : client_(path) {
        client_.send("[\"help\"");
        thread_ = std::thread([this] {
            while (!stop_ && client_.send(" ")) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        });
    }
    ~TricklingClient() {
        stop_ = true;
        thread_.join();
    }
    TricklingClient(const TricklingClient&) = delete;
    TricklingClient& operator=(const TricklingClient&) = delete;

    bool connected() const { return client_.connected(); }

private:
    Client client_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

enum class Misbehaviour { Trickles, NeverReadsItsAnswer, StaysIdle };
enum class Check { NextClientIsServed, ServerStops };

struct Row {
    const char* name;
    Misbehaviour misbehaviour;
    Check check;
    std::chrono::milliseconds clientTimeout{200};
};

class ControlServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The simulation's own listener stays off; each row starts one on its own path.
        setenv("TEMBREL_SIM_SOCKET", "none", 1);
        Simulation& sim = Simulation::instance();
        unsetenv("TEMBREL_SIM_SOCKET");
        // Enough networks that their list is larger than a socket buffer holds.
        for (int i = 0; i < 6000; ++i) {
            char bssid[32];
            std::snprintf(bssid, sizeof bssid, "bssid=02:00:00:00:%02X:%02X", i / 256, i % 256);
            std::string reply;
            ASSERT_TRUE(sim.control({"add", "ssid=Crowd" + std::to_string(i), bssid, "channel=6"}, reply)) << reply;
        }
    }
    static void TearDownTestSuite() { Simulation::instance().reset(); }

    std::string path_ = "/tmp/tembrel-control-test-" + std::to_string(getpid()) + ".sock";
};

TEST_F(ControlServerTest, MisbehavingClientsDoNotHoldTheListener) {
    const Row rows[] = {
        {"trickling client, then another client", Misbehaviour::Trickles, Check::NextClientIsServed},
        {"trickling client, then shutdown", Misbehaviour::Trickles, Check::ServerStops},
        {"client that never reads, then another client", Misbehaviour::NeverReadsItsAnswer, Check::NextClientIsServed},
        {"client that never reads, then shutdown", Misbehaviour::NeverReadsItsAnswer, Check::ServerStops},
        // Served side by side: the next client does not wait for the idle one's time to run out.
        {"idle client, then another client", Misbehaviour::StaysIdle, Check::NextClientIsServed,
         std::chrono::milliseconds(4 * kGenerousMs)},
        {"idle client, then shutdown", Misbehaviour::StaysIdle, Check::ServerStops, std::chrono::milliseconds(4 * kGenerousMs)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<ControlServer> server = ControlServer::start(path_, Simulation::instance(), row.clientTimeout);
        ASSERT_TRUE(server);
        std::unique_ptr<TricklingClient> trickler;
        std::unique_ptr<Client> silent;
        if (row.misbehaviour == Misbehaviour::Trickles) {
            trickler = std::make_unique<TricklingClient>(path_);
            ASSERT_TRUE(trickler->connected());
        } else {
            silent = std::make_unique<Client>(path_);
            ASSERT_TRUE(silent->connected());
        }
        if (row.misbehaviour == Misbehaviour::NeverReadsItsAnswer) {
            ASSERT_TRUE(silent->send("[\"networks\"]\n"));
            ASSERT_TRUE(silent->answerBegins());
        }
        if (row.check == Check::NextClientIsServed) {
            // Accepted after the misbehaving one, and answered while it is still connected.
            Client next(path_);
            ASSERT_TRUE(next.connected());
            ASSERT_TRUE(next.send("[\"help\"]\n"));
            const std::string answer = next.answer();
            EXPECT_NE(answer.find("\"ok\":true"), std::string::npos) << answer.substr(0, 200);
            EXPECT_NE(answer.find("commands:"), std::string::npos) << answer.substr(0, 200);
        }
        // With the misbehaving client still connected, the server must go when told to.
        server.reset();
    }
}

}  // namespace
}  // namespace tembrel::sim
