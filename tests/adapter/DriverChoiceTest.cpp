// The library the program picks when none is named: rows of machines (NetworkManager's runtime
// folder, wireless interfaces in sysfs, wpa_supplicant control sockets, whether NetworkManager's
// library finds a card) and the library chosen, with the reason it gives.

#include "adapter/DriverChoice.h"

#include "tests/support/RecordingDriver.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tembrel {
namespace {

namespace fs = std::filesystem;
using testing::RecordingDriver;

struct Machine {
    const char* name;
    bool networkManagerRuns;
    bool wirelessInterface;
    bool nmFindsCard;
    bool wpaSocket;
    const char* environment;  // $TEMBREL_LIBRARY, or nullptr
    const char* chosen;       // file name of the library loaded
    const char* because;      // part of the reason
};

const Machine kMachines[] = {
    {"named by the environment", true, true, true, true, "/opt/libOther.so", "libOther.so", "$TEMBREL_LIBRARY"},
    {"stock desktop", true, true, true, true, nullptr, "libTembrelNM.so", "manages Wireless interface wlan0"},
    {"card taken from NetworkManager", true, true, false, true, nullptr, "libTembrelWpa.so",
     "NetworkManager manages no wireless device"},
    {"no NetworkManager, own supplicant", false, true, false, true, nullptr, "libTembrelWpa.so",
     "NetworkManager does not run"},
    {"no wireless card", true, false, true, false, nullptr, "libTembrel.so", "there is no wireless interface"},
    {"nothing at all", false, false, false, false, nullptr, "libTembrel.so", "the simulated card"},
};

class DriverChoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tembrel-choice-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "sys/class/net/lo");
        fs::create_directories(root / "ctrl");
    }
    void TearDown() override {
        if (socketFd >= 0) ::close(socketFd);
        fs::remove_all(root);
    }
    // A listening socket where wpa_supplicant would keep its control socket.
    void makeControlSocket(const std::string& name) {
        socketFd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const std::string path = (root / "ctrl" / name).string();
        ASSERT_LT(path.size(), sizeof addr.sun_path);
        std::copy(path.begin(), path.end(), addr.sun_path);
        ASSERT_EQ(::bind(socketFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    }

    fs::path root;
    int socketFd = -1;
};

TEST_F(DriverChoiceTest, EachMachineGetsTheLibraryThatCanDriveItsCard) {
    for (const Machine& m : kMachines) {
        SCOPED_TRACE(m.name);
        SetUp();
        if (m.networkManagerRuns) fs::create_directories(root / "run/NetworkManager");
        if (m.wirelessInterface) fs::create_directories(root / "sys/class/net/wlan0/wireless");
        if (m.wpaSocket) makeControlSocket("wlan0");

        DriverLookup lookup;
        lookup.executablePath = (root / "bin/Tembrel").string();
        lookup.sysfs = (root / "sys").string();
        lookup.networkManagerRunDir = (root / "run/NetworkManager").string();
        lookup.wpaControlDir = (root / "ctrl").string();
        std::vector<std::string> loaded;
        lookup.load = [&](const std::string& path) {
            loaded.push_back(fs::path(path).filename().string());
            auto driver = std::make_unique<RecordingDriver>();
            driver->setAdapterHandle(m.nmFindsCard ? reinterpret_cast<ZARN9100_HANDLE>(0x10) : nullptr);
            driver->setOutText("QueryDeviceDesc", "Wireless interface wlan0");
            DriverLoadResult r;
            r.library = std::move(driver);
            r.loaded = true;
            r.path = path;
            return r;
        };
        const DriverChoice choice = ChooseDriverLibrary("", m.environment, lookup);
        ASSERT_TRUE(choice.loaded.loaded);
        EXPECT_EQ(fs::path(choice.loaded.path).filename().string(), m.chosen);
        EXPECT_NE(choice.reason.find(m.because), std::string::npos) << choice.reason;
        // NetworkManager's library is only asked when NetworkManager may manage a wireless card.
        const bool askedNm = std::find(loaded.begin(), loaded.end(), "libTembrelNM.so") != loaded.end();
        EXPECT_EQ(askedNm, !m.environment && m.networkManagerRuns && m.wirelessInterface);
        TearDown();
        socketFd = -1;
    }
}

TEST_F(DriverChoiceTest, TheCommandLineWinsOverEverything) {
    DriverLookup lookup;
    lookup.load = [](const std::string& path) {
        DriverLoadResult r;
        r.library = std::make_unique<RecordingDriver>();
        r.loaded = true;
        r.path = path;
        return r;
    };
    const DriverChoice choice = ChooseDriverLibrary("/x/libA.so", "/y/libB.so", lookup);
    EXPECT_EQ(choice.loaded.path, "/x/libA.so");
    EXPECT_NE(choice.reason.find("--driver"), std::string::npos);
}

}  // namespace
}  // namespace tembrel
