#pragma once
// One QApplication for every widget test of the executable (offscreen platform from the test environment).

#include <QApplication>

#include <memory>

namespace tembrel::testing {

inline QApplication& ensureApplication() {
    static int argc = 1;
    static char name[] = "monitor_widget_tests";
    static char* argv[] = {name, nullptr};
    static const std::unique_ptr<QApplication> application = std::make_unique<QApplication>(argc, argv);
    return *application;
}

}  // namespace tembrel::testing
