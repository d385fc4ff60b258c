// Applying profiles to the simulated card: the right security associates, a wrong key does not.
#include "adapter/DriverLoader.h"
#include "tests/support/SimulatedCardLibrary.h"
#include "connection/ProfileConnector.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace tembrel {
namespace {

class SimulatedCard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testing::SimulatedCardLibrary().loaded) << testing::SimulatedCardLibrary().error;
        ASSERT_TRUE(testing::ResetSimulatedCard());
        handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().OpenAdapter(h); });
        ASSERT_TRUE(handle.held());
    }
    void TearDown() override {
        handle.exclusive([&](ZARN9100_HANDLE* h) { return driver().CloseAdapter(h); });
    }

    static DriverLibrary& driver() { return *testing::SimulatedCardLibrary().library; }

    bool connected() {
        const auto lease = handle.lease();
        return driver().GetConnectStatus(lease.get()) != 0;
    }
    std::string currentSsid() {
        char ssid[33] = {};
        const auto lease = handle.lease();
        driver().QuerySsid(lease.get(), ssid, 32);
        return std::string(ssid, strnlen(ssid, 32));
    }


    AdapterHandle handle;
    std::atomic<uint32_t> radioState{1};
    ProfileList profiles;
    ConnectionSnapshotHolder snapshot;
    std::vector<bool> refreshes;
    ProfileConnector connector{ConnectionContext{driver(), handle, radioState, profiles, snapshot, [this](bool c) {
                                                     refreshes.push_back(c);
                                                     ConnectionSnapshot s;
                                                     s.connected = c ? 1 : 0;
                                                     snapshot.write(s);
                                                 }}};
};

ProfilePtr Profile(const std::string& ssid, uint32_t authMode, int32_t encryption) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, ssid + " profile");
    SetProfileSsid(*p, ssid);
    p->networkType = 1;
    p->wirelessMode = 255;
    p->authMode = authMode;
    p->encryption = encryption;
    p->keepAdapterSettings = 1;
    return p;
}

void SetWepKey(PROFILE_RECORD& p, uint32_t index, const std::vector<uint8_t>& key) {
    p.wep.txKeyIndex = index;
    p.wep.keys[index - 1].length = static_cast<uint32_t>(key.size());
    std::memcpy(p.wep.keys[index - 1].material, key.data(), key.size());
}

void SetCredentials(PROFILE_RECORD& p, const char* login, const char* password) {
    SetText(p.loginName, login);
    SetText(p.password, password);
}

struct E2eCase {
    const char* name;
    ProfilePtr profile;
    bool associates;
};

std::vector<E2eCase> Cases() {
    std::vector<E2eCase> cases;
    cases.push_back({"Open", Profile("Orvix-Open-G", 0, 0), true});
    {
        auto p = Profile("Lab-WEP64", 0, 1);
        SetWepKey(*p, 1, {0x12, 0x34, 0x56, 0x78, 0x90});
        cases.push_back({"WepOpenSystem", p, true});
        auto wrong = Profile("Lab-WEP64", 0, 1);
        SetWepKey(*wrong, 1, {0x12, 0x34, 0x56, 0x78, 0x91});
        cases.push_back({"WepWrongKey", wrong, false});
    }
    {
        auto p = Profile("Lab-WEP128-Shared", 1, 1);
        const char* key = "orvixwepkey13";
        SetWepKey(*p, 3, std::vector<uint8_t>(key, key + 13));
        cases.push_back({"WepSharedKey", p, true});
    }
    {
        auto p = Profile("Home-WPA2", 9, 3);
        SetText(p->passphrase, "correct horse battery");
        cases.push_back({"Wpa2Psk", p, true});
        auto wrong = Profile("Home-WPA2", 9, 3);
        SetText(wrong->passphrase, "incorrect horse battery");
        cases.push_back({"Wpa2PskWrongPassphrase", wrong, false});
    }
    {
        auto p = Profile("Home-WPA", 2, 2);
        SetText(p->passphrase, "orvix-passphrase");
        cases.push_back({"WpaPsk", p, true});
    }
    {
        auto p = Profile("Corp-WPA2-1X", 11, 3);
        SetCredentials(*p, "alice", "wonderland");
        cases.push_back({"Wpa2Peap", p, true});
        auto wrong = Profile("Corp-WPA2-1X", 11, 3);
        SetCredentials(*wrong, "alice", "looking-glass");
        cases.push_back({"Wpa2PeapWrongPassword", wrong, false});
    }
    {
        auto p = Profile("Corp-WPA-1X", 7, 2);
        SetCredentials(*p, "alice", "wonderland");
        SetText(p->anonymousName, "anonymous");
        cases.push_back({"WpaTtls", p, true});
    }
    {
        auto p = Profile("Corp-WPA-1X", 5, 2);
        SetText(p->loginName, "alice");
        for (uint8_t i = 0; i < 20; ++i) p->certificateHash[i] = static_cast<uint8_t>(0xA0 + i);
        cases.push_back({"WpaTls", p, true});
    }
    {
        auto p = Profile("Cisco-LEAP", 8, 1);
        SetCredentials(*p, "bob", "builder");
        cases.push_back({"CcxLeap", p, true});
    }
    {
        // The wrong family: a WPA2-PSK network configured as WPA-PSK.
        auto p = Profile("Home-WPA2", 2, 3);
        SetText(p->passphrase, "correct horse battery");
        cases.push_back({"WrongAuthenticationFamily", p, false});
    }
    return cases;
}

class ApplyToSimulatedCard : public SimulatedCard, public ::testing::WithParamInterface<E2eCase> {};

TEST_P(ApplyToSimulatedCard, AssociatesOnlyWithTheRightSecurity) {
    const auto& c = GetParam();
    profiles.Append(c.profile);
    const int result = connector.ConnectProfile(c.profile);
    if (c.associates) {
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(connected());
        EXPECT_EQ(currentSsid(), std::string(ProfileSsid(*c.profile)));
        EXPECT_TRUE(refreshes.empty());
    } else {
        EXPECT_NE(result, 0);
        EXPECT_FALSE(connected());
        EXPECT_EQ(refreshes, std::vector<bool>{false});
    }
}

INSTANTIATE_TEST_SUITE_P(Networks, ApplyToSimulatedCard, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatedCard, AnySsidJoinsTheStrongestOpenNetwork) {
    auto p = NewDefaultProfile();
    profiles.Append(p);
    EXPECT_EQ(connector.ConnectProfile(p), 0);
    EXPECT_TRUE(connected());
    EXPECT_EQ(currentSsid(), "Orvix-Open-G");
}

TEST_F(SimulatedCard, ProfileInUseRoundTripsThroughTheCard) {
    auto a = Profile("Orvix-Open-G", 0, 0);
    auto b = Profile("Lobby-11b", 0, 0);
    profiles.Append(a);
    profiles.Append(b);
    connector.SetProfileInUse(b);
    connector.SetProfileInUse(nullptr);
    EXPECT_EQ(connector.profileInUse(), nullptr);
    {
        const auto lease = handle.lease();
        driver().SetProfileInUse(lease.get(), "Lobby-11b profile", 17);
    }
    connector.SyncProfileInUse();
    EXPECT_EQ(connector.profileInUse(), b);
    EXPECT_EQ(profiles.At(0), b);
}

}  // namespace
}  // namespace tembrel
