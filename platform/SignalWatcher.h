#pragma once
// Turns the process signals that end a session (SIGTERM, SIGINT, SIGHUP) into a Qt signal on
// the thread that owns the watcher, so that the program can save its data and quit cleanly.
// The handler only writes the signal number into a pipe (async-signal-safe); a socket notifier
// on the pipe's read end emits signalReceived. One watcher may be active at a time.

#include <QObject>

#include <csignal>
#include <initializer_list>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace tembrel {

class SignalWatcher final : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;  // restores the previous handlers

    // Catches the given signals from now on. False when another watcher is active, the pipe
    // cannot be made or a handler cannot be installed (nothing stays installed then).
    bool watch(std::initializer_list<int> signalNumbers = {SIGTERM, SIGINT, SIGHUP});

signals:
    void signalReceived(int signalNumber);

private:
    void drain();
    void restore();

    struct Previous {
        int signalNumber;
        struct sigaction action;
    };
    int readFd_ = -1;
    int writeFd_ = -1;
    std::vector<Previous> previous_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tembrel
