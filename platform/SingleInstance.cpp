#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace tembrel {

namespace {

constexpr int kMaxRequestBytes = 32;
constexpr int kMaxNameLength = 64;
constexpr int kAnswerTimeoutMs = 2000;
constexpr char kAcknowledgement[] = "OK\n";

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

}  // namespace

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
    if (server_) server_->close();  // removes the socket file
    if (lockFd_ >= 0) close(lockFd_);  // the lock file stays: unlinking it would race a newcomer
}

SingleInstance::Outcome SingleInstance::claim(int requestCode) {
    if (lockFd_ >= 0) return Outcome::First;
    acceptedCode_ = requestCode;
    const QByteArray lockName = QFile::encodeName(lockPath_);
    const int fd = open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = QStringLiteral("cannot open %1: %2").arg(lockPath_, QString::fromLocal8Bit(strerror(errno)));
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

    // Holding the lock, any socket file is a crashed copy's leftover.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_)) {
        error_ = QStringLiteral("cannot listen on %1: %2").arg(socketPath_, server_->errorString());
        server_.reset();
        return Outcome::Failed;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return Outcome::First;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            for (;;) {
                const QByteArray received = socket->peek(kMaxRequestBytes + 1);
                const qsizetype newline = received.indexOf('\n');
                if (newline < 0) {
                    if (received.size() > kMaxRequestBytes) socket->abort();
                    return;
                }
                socket->read(newline + 1);
                bool ok = false;
                const int code = received.left(newline).trimmed().toInt(&ok);
                if (!ok || code != acceptedCode_) {
                    socket->abort();
                    return;
                }
                socket->write(kAcknowledgement);
                socket->flush();
                emit requestReceived(code);
            }
        });
    }
}

SingleInstance::Outcome SingleInstance::notifyRunningCopy(int requestCode) {
    // The first copy may hold the lock a moment before it listens: retry until the deadline.
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) break;
        socket.abort();
        if (deadline.hasExpired()) return Outcome::AnotherCopyUnreachable;
        QThread::msleep(20);
    }
    socket.write(QByteArray::number(requestCode) + '\n');
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
        return Outcome::AnotherCopyUnreachable;
    }
    QByteArray answer;
    while (answer.size() < static_cast<qsizetype>(sizeof kAcknowledgement - 1) &&
           socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        answer += socket.readAll();
    }
    return answer.startsWith(kAcknowledgement) ? Outcome::AnotherCopyNotified
                                               : Outcome::AnotherCopyUnreachable;
}

}  // namespace tembrel
