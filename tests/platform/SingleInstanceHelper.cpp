// A copy of "the program" for the single-instance tests: claims the instance in the folder
// given as the first argument and reports on standard output what happened.
//   first          this copy runs; it then waits for one request and prints "request <code>"
//   notified       another copy runs and acknowledged
//   unreachable    another copy holds the lock and did not answer
//   failed <why>

#include "platform/SingleInstance.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    tembrel::SingleInstance instance(QString::fromLatin1(tembrel::kInstanceTitle),
                                     QString::fromLocal8Bit(argv[1]));
    switch (instance.claim()) {
    case tembrel::SingleInstance::Outcome::AnotherCopyNotified:
        std::puts("notified");
        return 0;
    case tembrel::SingleInstance::Outcome::AnotherCopyUnreachable:
        std::puts("unreachable");
        return 0;
    case tembrel::SingleInstance::Outcome::Failed:
        std::printf("failed %s\n", qPrintable(instance.errorString()));
        return 1;
    case tembrel::SingleInstance::Outcome::First:
        break;
    }
    QObject::connect(&instance, &tembrel::SingleInstance::requestReceived, &app, [&](int code) {
        std::printf("request %d\n", code);
        std::fflush(stdout);
        app.quit();
    });
    std::puts("first");
    std::fflush(stdout);
    return app.exec();
}
