// GoogleTest main for plain tests: exit code 77 when every test skipped (SkipExitCode.h).
#include "tests/support/SkipExitCode.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return tembrel::testing::WithSkipExitCode(RUN_ALL_TESTS());
}
