#include "SignalWatcher.h"

#include <QPointer>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace tembrel {

namespace {

// The write end of the active watcher's pipe, -1 when none is active.
std::atomic<int> g_writeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs a lock-free atomic");

extern "C" void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = g_writeFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // A full pipe drops the byte: the signals already queued carry the same request.
        [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent) {}

SignalWatcher::~SignalWatcher() { restore(); }

bool SignalWatcher::watch(std::initializer_list<int> signalNumbers) {
    if (writeFd_ >= 0) return false;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    int expected = -1;
    if (!g_writeFd.compare_exchange_strong(expected, fds[1])) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];

    for (int signalNumber : signalNumbers) {
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        Previous previous{signalNumber, {}};
        if (sigaction(signalNumber, &action, &previous.action) != 0) {
            restore();
            return false;
        }
        previous_.push_back(previous);
    }

    notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalWatcher::drain);
    return true;
}

void SignalWatcher::drain() {
    // A receiver may delete the watcher (quitting); stop touching it then.
    const QPointer<SignalWatcher> self(this);
    unsigned char bytes[64];
    ssize_t count;
    while ((count = read(readFd_, bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            emit signalReceived(bytes[i]);
            if (!self) return;
        }
    }
}

void SignalWatcher::restore() {
    notifier_.reset();
    for (auto it = previous_.rbegin(); it != previous_.rend(); ++it) {
        sigaction(it->signalNumber, &it->action, nullptr);
    }
    previous_.clear();
    if (writeFd_ >= 0) {
        g_writeFd.store(-1);
        close(writeFd_);
        close(readFd_);
        writeFd_ = readFd_ = -1;
    }
}

}  // namespace tembrel
