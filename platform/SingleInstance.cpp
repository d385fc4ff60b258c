#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace tembrel {

namespace {

constexpr int kMaxRequestBytes = 32;
constexpr int kMaxNameLength = 64;
constexpr int kAnswerTimeoutMs = 2000;
constexpr int kListenBacklog = 8;
constexpr size_t kMaxConnections = 16;
constexpr char kAcknowledgement[] = "OK\n";
constexpr size_t kAcknowledgementLength = sizeof kAcknowledgement - 1;

// Closes the descriptor it owns.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

QString UserName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_name && *found->pw_name) {
        return QString::fromLocal8Bit(found->pw_name);
    }
    return QString::number(getuid());
}

QString DefaultDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return runtime;
    return QDir::tempPath();
}

// The socket address of a path; none when the path does not fit.
std::optional<sockaddr_un> SocketAddress(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || static_cast<size_t>(name.size()) >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    return address;
}

QString ErrnoText() { return QString::fromLocal8Bit(strerror(errno)); }

// Waits for `events` on fd until the deadline; false on time-out or error.
bool WaitFor(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ready = poll(&p, 1, static_cast<int>(deadline.remainingTime()));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

}  // namespace

struct SingleInstance::Connection {
    explicit Connection(int descriptor) : fd(descriptor) {}
    ~Connection() {
        notifier.reset();  // before the descriptor it watches goes
        close(fd);
    }
    int fd;
    std::unique_ptr<QSocketNotifier> notifier;
    QByteArray received;
    bool dropping = false;
};

QString SingleInstance::SocketName(const QString& title, const QString& user) {
    QString name = title + QLatin1Char('-') + user;
    for (QChar& c : name) {
        const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                             (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
        if (!allowed) c = u'_';
    }
    return name.left(kMaxNameLength);
}

SingleInstance::SingleInstance(const QString& title, const QString& directory, QObject* parent)
    : QObject(parent) {
    const QString folder = directory.isEmpty() ? DefaultDirectory() : directory;
    socketPath_ = QDir(folder).filePath(SocketName(title, UserName()));
    lockPath_ = socketPath_ + QStringLiteral(".lock");
}

SingleInstance::~SingleInstance() {
    connections_.clear();
    listener_.reset();
    if (listenFd_ >= 0) {
        close(listenFd_);
        unlink(QFile::encodeName(socketPath_).constData());
    }
    if (lockFd_ >= 0) close(lockFd_);  // the lock file stays: unlinking it would race a newcomer
}

SingleInstance::Outcome SingleInstance::claim(int requestCode) {
    if (lockFd_ >= 0) return Outcome::First;
    acceptedCode_ = requestCode;
    const QByteArray lockName = QFile::encodeName(lockPath_);
    const int fd = open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = QStringLiteral("cannot open %1: %2").arg(lockPath_, ErrnoText());
        return Outcome::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        close(fd);
        if (lockError == EWOULDBLOCK) return notifyRunningCopy(requestCode);
        error_ = QStringLiteral("cannot lock %1: %2").arg(lockPath_, QString::fromLocal8Bit(strerror(lockError)));
        return Outcome::Failed;
    }
    lockFd_ = fd;
    return listen() ? Outcome::First : Outcome::Failed;
}

bool SingleInstance::listen() {
    const auto address = SocketAddress(socketPath_);
    if (!address) {
        error_ = QStringLiteral("cannot listen on %1: the path is too long").arg(socketPath_);
        return false;
    }
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.get() < 0) {
        error_ = QStringLiteral("cannot make a socket: %1").arg(ErrnoText());
        return false;
    }
    // Holding the lock, any socket file is a crashed copy's leftover.
    unlink(address->sun_path);
    // Only the user may connect: Linux gives the socket file the mode of the socket (less the
    // umask), so it is made 0600 from the start, without a moment of wider access.
    fchmod(fd.get(), 0600);
    const int bound = bind(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
    if (bound != 0 || ::listen(fd.get(), kListenBacklog) != 0) {
        error_ = QStringLiteral("cannot listen on %1: %2").arg(socketPath_, ErrnoText());
        if (bound == 0) unlink(address->sun_path);
        return false;
    }
    listenFd_ = fd.release();
    listener_ = std::make_unique<QSocketNotifier>(listenFd_, QSocketNotifier::Read);
    connect(listener_.get(), &QSocketNotifier::activated, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections() {
    for (;;) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;  // EAGAIN: no more waiting; anything else: try again at the next notice
        }
        if (connections_.size() >= kMaxConnections) {  // nobody but a runaway needs more
            close(fd);
            continue;
        }
        auto connection = std::make_unique<Connection>(fd);
        connection->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(connection->notifier.get(), &QSocketNotifier::activated, this, [this, fd] { readRequest(fd); });
        connections_[fd] = std::move(connection);
    }
}

void SingleInstance::readRequest(int fd) {
    const auto found = connections_.find(fd);
    if (found == connections_.end() || found->second->dropping) return;
    Connection& c = *found->second;
    char buffer[kMaxRequestBytes + 1];
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    if (n <= 0) {  // the other copy closed its end, or the connection failed
        dropConnection(fd);
        return;
    }
    c.received.append(buffer, n);
    for (;;) {
        const qsizetype newline = c.received.indexOf('\n');
        if (newline < 0) {
            if (c.received.size() > kMaxRequestBytes) dropConnection(fd);
            return;
        }
        if (newline > kMaxRequestBytes) {
            dropConnection(fd);
            return;
        }
        bool ok = false;
        const int code = c.received.left(newline).trimmed().toInt(&ok);
        c.received.remove(0, newline + 1);
        if (!ok || code != acceptedCode_) {
            dropConnection(fd);
            return;
        }
        // A few bytes into an empty socket buffer: a non-blocking send does not fall short.
        send(fd, kAcknowledgement, kAcknowledgementLength, MSG_NOSIGNAL);
        emit requestReceived(code);
        if (connections_.find(fd) == connections_.end() || c.dropping) return;
    }
}

void SingleInstance::dropConnection(int fd) {
    const auto found = connections_.find(fd);
    if (found == connections_.end() || found->second->dropping) return;
    found->second->dropping = true;
    found->second->notifier->setEnabled(false);
    // Shut down at once, so that the other copy sees the end now; freed later, since the
    // notifier may be the one whose signal is running.
    shutdown(fd, SHUT_RDWR);
    QMetaObject::invokeMethod(this, [this, fd] { connections_.erase(fd); }, Qt::QueuedConnection);
}

SingleInstance::Outcome SingleInstance::notifyRunningCopy(int requestCode) {
    const auto address = SocketAddress(socketPath_);
    if (!address) return Outcome::AnotherCopyUnreachable;
    // The first copy may hold the lock a moment before it listens: retry until the deadline.
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    int connected = -1;
    for (;;) {
        UniqueFd attempt(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (attempt.get() < 0) return Outcome::AnotherCopyUnreachable;
        if (::connect(attempt.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) {
            connected = attempt.release();
            break;
        }
        if (deadline.hasExpired()) return Outcome::AnotherCopyUnreachable;
        QThread::msleep(20);
    }
    const UniqueFd fd(connected);
    const QByteArray request = QByteArray::number(requestCode) + '\n';
    if (!WaitFor(fd.get(), POLLOUT, deadline) ||
        send(fd.get(), request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL) != request.size())
        return Outcome::AnotherCopyUnreachable;
    QByteArray answer;
    while (answer.size() < static_cast<qsizetype>(kAcknowledgementLength) && WaitFor(fd.get(), POLLIN, deadline)) {
        char buffer[16];
        const ssize_t n = recv(fd.get(), buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        answer.append(buffer, n);
    }
    return answer.startsWith(kAcknowledgement) ? Outcome::AnotherCopyNotified : Outcome::AnotherCopyUnreachable;
}

}  // namespace tembrel
