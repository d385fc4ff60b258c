#pragma once
// Makes sure only one copy of the program runs for a user. The first copy holds a lock file
// and listens on a local socket named after the window title and the user; a later copy
// finds the lock taken, sends the first its request code (1002: restore your window) and
// learns that it should end. A lock left by a crashed copy is released by the kernel, and
// the socket file it left is replaced.
//
// Protocol: the request is the code as decimal text and a newline; the first copy answers
// "OK\n". Anything else (another number included: the socket is no channel for the program's
// event codes), or more than 32 bytes, closes the connection unanswered.
//
// Plain AF_UNIX sockets watched by QSocketNotifier: Qt Network (and the libraries it pulls
// in) would cost the program about 1.5 MiB of resident memory for this one socket.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QSocketNotifier;

namespace tembrel {

inline constexpr int kRestoreRequestCode = 1002;
inline constexpr char kInstanceTitle[] = "Orvix LX-7700 Utility";

class SingleInstance final : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,                   // this copy runs; requests arrive as requestReceived
        AnotherCopyNotified,     // another copy runs and acknowledged the request: end with status 0
        AnotherCopyUnreachable,  // another copy holds the lock but did not answer: end with status 0
        Failed,                  // no lock or no socket could be made: run without the guard
    };

    // directory: where the socket and its lock file live; empty means $XDG_RUNTIME_DIR when
    // set, else the system's temporary folder.
    explicit SingleInstance(const QString& title = QString::fromLatin1(kInstanceTitle),
                            const QString& directory = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Call once, early, with an event loop to follow when First is returned. A later copy
    // sends requestCode and waits at most about two seconds for the first copy's answer; the
    // first copy accepts that code and no other.
    Outcome claim(int requestCode = kRestoreRequestCode);

    QString socketPath() const { return socketPath_; }
    QString errorString() const { return error_; }

    // The socket's file name for a title and a user: every character other than ASCII
    // letters, digits, '-' and '.' becomes '_', and the result is at most 64 characters.
    static QString SocketName(const QString& title, const QString& user);

signals:
    // A later copy's request: always the code given to claim().
    void requestReceived(int code);

private:
    // A later copy's connection: its socket, the notifier that watches it, what it sent so far.
    struct Connection;
    bool listen();
    void acceptConnections();
    void readRequest(int fd);
    // Closes the connection once control is back in the event loop (it may be the caller's).
    void dropConnection(int fd);
    Outcome notifyRunningCopy(int requestCode);

    QString socketPath_;
    QString lockPath_;
    QString error_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    int acceptedCode_ = kRestoreRequestCode;
    std::unique_ptr<QSocketNotifier> listener_;
    std::map<int, std::unique_ptr<Connection>> connections_;
};

}  // namespace tembrel
