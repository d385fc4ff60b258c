#pragma once
// Programs a test starts and always ends. A started program gets SIGTERM when its owner goes
// away, SIGKILL when it does not exit in time, and dies with the test process should that end
// first (PR_SET_PDEATHSIG), so no daemon outlives a failed or crashed test.

#include <sys/types.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace tembrel::testing {

// The full path of an installed program (the PATH, then the sbin folders), "" when missing.
std::string FindProgram(const std::string& name);

class ChildProcess {
public:
    // Starts argv[0] (a full path) with stdin from /dev/null and stdout and stderr appended to
    // logPath. Call only from the thread that lives as long as the child (the test's main
    // thread): the death signal follows the thread that started it.
    ChildProcess(const std::vector<std::string>& argv, const std::string& logPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Still running (not exited, not yet reaped).
    bool running();
    // Ends the program (SIGTERM, then SIGKILL after a few seconds) and reaps it.
    void stop();
    // Sends `signal` and reaps the program once it ended.
    void endWith(int signal);
    // Waits for the program to exit by itself; its exit status, -1 when it did not exit normally.
    int wait();

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

// Runs a program to its end; its exit status, or -1 when it could not run or was killed.
int RunToEnd(const std::vector<std::string>& argv, const std::string& logPath);

// The first of `names` that is not installed, "" when all are.
std::string FirstMissingProgram(std::initializer_list<const char*> names);
// What a program wrote to its log, "" when there is none.
std::string ReadLog(const std::string& logPath);

}  // namespace tembrel::testing
