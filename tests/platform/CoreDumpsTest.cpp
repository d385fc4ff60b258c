#include "platform/CoreDumps.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tembrel {
namespace {

namespace fs = std::filesystem;

// Made at run time, so that the only copy in the child is the one on its heap.
std::string Secret() {
    std::string s = "esarhpssap-KSP-nwonk-a";
    std::reverse(s.begin(), s.end());
    return s + std::to_string(::getpid());
}

// Crashes a child that holds `secret` on its heap, with core files allowed and its working folder
// `folder` (where a core pattern without a path puts the dump). Gives whether any file in the
// folder holds the secret, and whether any file was written at all.
struct Dump {
    bool written = false;
    bool holdsSecret = false;
};

Dump CrashHolding(const std::string& secret, bool keepSecretsOut, const fs::path& folder) {
    fs::create_directory(folder);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(folder.c_str()) != 0) _exit(10);
        struct rlimit limit {};
        ::getrlimit(RLIMIT_CORE, &limit);
        limit.rlim_cur = limit.rlim_max;  // sanitizers lower the soft limit to 0
        ::setrlimit(RLIMIT_CORE, &limit);
        std::string error;
        if (keepSecretsOut && !KeepSecretsOutOfCoreDumps(error)) _exit(11);
        auto* held = new std::string(secret);
        std::signal(SIGABRT, SIG_DFL);
        if (!held->empty()) std::raise(SIGABRT);
        _exit(12);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    Dump dump;
    for (const auto& entry : fs::directory_iterator(folder)) {
        dump.written = true;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.find(secret) != std::string::npos) dump.holdsSecret = true;
    }
    return dump;
}

TEST(CoreDumpsTest, ACrashWritesNoDumpHoldingTheSecrets) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "ThreadSanitizer's shadow memory would make the dump of terabytes of mappings";
#endif
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const fs::path root = dir.path().toStdString();
    const std::string secret = Secret();
    const Dump plain = CrashHolding(secret, false, root / "plain");
    if (!plain.holdsSecret)
        GTEST_SKIP() << "no core file with the child's memory can be made here (core pattern, limits)";
    const Dump kept = CrashHolding(secret, true, root / "kept");
    EXPECT_FALSE(kept.holdsSecret);
    EXPECT_FALSE(kept.written);
}

}  // namespace
}  // namespace tembrel
