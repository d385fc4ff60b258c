// GoogleTest main for widget tests: one QApplication for the whole run, made before any test
// starts and gone before the process exits.
#include "tests/support/SkipExitCode.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return tembrel::testing::WithSkipExitCode(RUN_ALL_TESTS());
}
