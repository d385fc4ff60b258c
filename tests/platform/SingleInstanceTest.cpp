#include "platform/SingleInstance.h"

#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace tembrel {
namespace {

using testing_support::EnsureApplication;
using testing_support::WaitUntil;

// One copy of the program as a child process; collects what it prints.
class Copy {
public:
    explicit Copy(const QString& folder) {
        process_.setProgram(QStringLiteral(SINGLE_INSTANCE_HELPER));
        process_.setArguments({folder});
        process_.start();
    }
    ~Copy() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    bool waitForLine(const QByteArray& line) {
        return WaitUntil([&] {
            process_.waitForReadyRead(10);
            output_ += process_.readAllStandardOutput();
            return output_.split('\n').contains(line);
        });
    }
    int waitForExit() {
        process_.waitForFinished(20000);
        output_ += process_.readAllStandardOutput();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    void crash() {
        process_.kill();
        process_.waitForFinished();
    }
    QByteArray output() const { return output_; }

private:
    QProcess process_;
    QByteArray output_;
};

TEST(SingleInstanceTest, SecondCopyRestoresTheFirstAndEnds) {
    EnsureApplication();
    QTemporaryDir folder;
    Copy first(folder.path());
    ASSERT_TRUE(first.waitForLine("first")) << first.output().constData();

    Copy second(folder.path());
    EXPECT_EQ(second.waitForExit(), 0);
    EXPECT_EQ(second.output(), "notified\n");

    EXPECT_TRUE(first.waitForLine("request 1002")) << first.output().constData();
    EXPECT_EQ(first.waitForExit(), 0);
}

TEST(SingleInstanceTest, CrashedCopysSocketIsTakenOver) {
    EnsureApplication();
    QTemporaryDir folder;
    {
        Copy crashed(folder.path());
        ASSERT_TRUE(crashed.waitForLine("first"));
        crashed.crash();
    }
    SingleInstance instance(QString::fromLatin1(kInstanceTitle), folder.path());
    ASSERT_TRUE(QFileInfo::exists(instance.socketPath())) << "the crash should leave the socket file";

    std::vector<int> requests;
    QObject::connect(&instance, &SingleInstance::requestReceived, [&](int code) { requests.push_back(code); });
    ASSERT_EQ(instance.claim(), SingleInstance::Outcome::First) << instance.errorString().toStdString();

    Copy later(folder.path());
    // The later copy blocks until we answer, so run our event loop while it waits.
    EXPECT_TRUE(WaitUntil([&] { return !requests.empty(); }));
    EXPECT_EQ(later.waitForExit(), 0);
    EXPECT_EQ(later.output(), "notified\n");
    EXPECT_EQ(requests, std::vector<int>{kRestoreRequestCode});
}

TEST(SingleInstanceTest, BoundButDeadSocketFileIsReplaced) {
    EnsureApplication();
    QTemporaryDir folder;
    SingleInstance instance(QString::fromLatin1(kInstanceTitle), folder.path());
    // A socket file that nobody listens on, as a killed process leaves it.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = instance.socketPath().toLocal8Bit();
    ASSERT_LT(static_cast<size_t>(path.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);

    EXPECT_EQ(instance.claim(), SingleInstance::Outcome::First) << instance.errorString().toStdString();
}

TEST(SingleInstanceTest, UnreadableFolderFailsWithoutCrashing) {
    EnsureApplication();
    SingleInstance instance(QString::fromLatin1(kInstanceTitle), QStringLiteral("/nonexistent/folder"));
    EXPECT_EQ(instance.claim(), SingleInstance::Outcome::Failed);
    EXPECT_FALSE(instance.errorString().isEmpty());
}

TEST(SingleInstanceTest, MalformedRequestsAreDroppedAndTheServerKeepsWorking) {
    EnsureApplication();
    QTemporaryDir folder;
    SingleInstance instance(QString::fromLatin1(kInstanceTitle), folder.path());
    std::vector<int> requests;
    QObject::connect(&instance, &SingleInstance::requestReceived, [&](int code) { requests.push_back(code); });
    ASSERT_EQ(instance.claim(), SingleInstance::Outcome::First);

    for (const QByteArray& junk : {QByteArray("restore\n"), QByteArray(100, 'x')}) {
        QLocalSocket socket;
        socket.connectToServer(instance.socketPath());
        ASSERT_TRUE(socket.waitForConnected(5000));
        socket.write(junk);
        socket.flush();
        EXPECT_TRUE(WaitUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; }));
    }
    QLocalSocket good;
    good.connectToServer(instance.socketPath());
    ASSERT_TRUE(good.waitForConnected(5000));
    good.write("1002\n");
    EXPECT_TRUE(WaitUntil([&] { return !requests.empty() && good.bytesAvailable() >= 3; }));
    EXPECT_EQ(good.readAll(), "OK\n");
    EXPECT_EQ(requests, std::vector<int>{1002});
}

TEST(SingleInstanceTest, SocketNameIsSanitisedAndBounded) {
    EXPECT_EQ(SingleInstance::SocketName(QStringLiteral("Orvix LX-7700 Utility"), QStringLiteral("ann")),
              QStringLiteral("Orvix_LX-7700_Utility-ann"));
    EXPECT_EQ(SingleInstance::SocketName(QStringLiteral("T"), QStringLiteral("a b/c\u00e9..")),
              QStringLiteral("T-a_b_c_.."));
    EXPECT_EQ(SingleInstance::SocketName(QStringLiteral("T"), QString(200, u'u')).size(), 64);
}

}  // namespace
}  // namespace tembrel
