// tembrelctl: drives a running simulated card over its control socket.
//   tembrelctl [--socket PATH] COMMAND [ARGS...]
// Exit status: 0 done, 1 the simulation refused the command, 2 usage or no simulation.

#include "tembrel/sim/SocketPath.h"

#include <nlohmann/json.hpp>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxReply = 1 << 20;

void Usage() {
    std::fputs("usage: tembrelctl [--socket PATH] COMMAND [ARGS...]\n"
               "Drives the simulated card of a running program. \"tembrelctl help\" lists the commands.\n"
               "The socket is $TEMBREL_SIM_SOCKET, else $XDG_RUNTIME_DIR/tembrel-sim.sock,\n"
               "else /tmp/tembrel-sim-<uid>.sock.\n",
               stderr);
}

bool Exchange(const std::string& path, const std::string& request, std::string& response, std::string& error) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
        error = "socket path is empty or too long: " + path;
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    timeval timeout{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        error = "no simulation listens on " + path + " (" + std::strerror(errno) + ")";
        close(fd);
        return false;
    }
    const std::string line = request + "\n";
    size_t sent = 0;
    while (sent < line.size()) {
        const ssize_t n = send(fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = std::string("sending failed: ") + std::strerror(errno);
            close(fd);
            return false;
        }
        sent += size_t(n);
    }
    char chunk[4096];
    for (;;) {
        const ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        response.append(chunk, size_t(n));
        if (response.size() > kMaxReply) break;
    }
    close(fd);
    if (response.empty()) {
        error = "the simulation did not answer";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = tembrel::sim::ControlSocketPath();
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (words.empty() && arg == "--socket" && i + 1 < argc) {
            path = argv[++i];
        } else if (words.empty() && (arg == "-h" || arg == "--help")) {
            Usage();
            return 0;
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) {
        Usage();
        return 2;
    }
    std::string request;
    try {
        request = nlohmann::json(words).dump();
    } catch (const nlohmann::json::type_error&) {
        std::fprintf(stderr, "tembrelctl: every word of a command must be UTF-8 text\n");
        return 2;
    }
    std::string response, error;
    if (!Exchange(path, request, response, error)) {
        std::fprintf(stderr, "tembrelctl: %s\n", error.c_str());
        return 2;
    }
    const nlohmann::json answer = nlohmann::json::parse(response, nullptr, false);
    if (answer.is_discarded() || !answer.is_object() || !answer.contains("ok") || !answer["ok"].is_boolean() ||
        !answer.contains("reply") || !answer["reply"].is_string()) {
        std::fprintf(stderr, "tembrelctl: the simulation gave an answer that cannot be read\n");
        return 2;
    }
    const std::string reply = answer["reply"].get<std::string>();
    if (!answer["ok"].get<bool>()) {
        std::fprintf(stderr, "tembrelctl: %s\n", reply.c_str());
        return 1;
    }
    std::printf("%s\n", reply.c_str());
    return 0;
}
