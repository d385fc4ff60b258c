#include "adapter/CardDetection.h"

#include <gtest/gtest.h>

#include <map>

namespace tembrel {
namespace {

class FakeDynamicRegistry : public DynamicRegistry {
public:
    std::map<std::string, std::string> hardwareKeys;  // key -> "HardWareKey" value
    std::optional<std::string> readText(const std::string& key, const std::string& value,
                                        size_t maxBytes) const override {
        auto it = hardwareKeys.find(key);
        if (value != "HardWareKey" || it == hardwareKeys.end()) return std::nullopt;
        return it->second.substr(0, maxBytes);
    }
};

struct NameRow {
    const char* name;
    bool ours;
};

class CardNameTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(CardNameTest, MatchesTheIdentificationFragmentsInAnyCase) {
    const NameRow row = GetParam();
    DeviceNotification n{DeviceType::DeviceInterface, row.name, 0};
    NoDynamicRegistry none;
    EXPECT_EQ(IsOurCard(&n, 1, none), row.ours) << row.name;
    EXPECT_EQ(IsOurCard(&n, 0, none), row.ours) << row.name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, CardNameTest,
    ::testing::Values(NameRow{"\\\\?\\PCI#VEN_7E3C&DEV_4C01&SUBSYS_00000000#4&1#{ad498944}", true},
                      NameRow{"\\\\?\\pci#ven_7e3c&dev_4c17#x", true},
                      NameRow{"\\\\?\\USB#VID_4D19&PID_6E01#5&2#{guid}", true},
                      NameRow{"\\\\?\\PCMCIA#Lorandi-77Q5100_802.11b_PC_Card#x", true},
                      NameRow{"\\\\?\\PCI#VEN_7E3C&DEV_3B00#x", true},
                      NameRow{"\\\\?\\USB#VID_4D19&PID_5C20#x", true},
                      NameRow{"\\\\?\\PCI#VEN_7E3C&DEV_5A00#x", false},   // other device of the maker
                      NameRow{"\\\\?\\USB#VID_4D19&PID_7000#x", false},
                      NameRow{"\\\\?\\PCI#VEN_8086&DEV_4C01#x", false},   // fragment split across fields
                      NameRow{"VEN_7E3C&DEV_4", false},                   // truncated fragment
                      NameRow{"", false}));

TEST(IsOurCard, NoNotificationIsForeign) {
    NoDynamicRegistry none;
    EXPECT_FALSE(IsOurCard(nullptr, 1, none));
    EXPECT_FALSE(IsOurCard(nullptr, 3, none));
}

TEST(IsOurCard, DeviceNodeNotificationsCountOnlyOnTheNineXFamily) {
    FakeDynamicRegistry registry;
    registry.hardwareKeys["Config Manager\\Enum\\C2A"] = "pci\\ven_7e3c&dev_4c01&subsys_00000000";
    registry.hardwareKeys["Config Manager\\Enum\\C2B"] = "PCI\\VEN_10EC&DEV_8139";
    DeviceNotification node{DeviceType::DeviceNode, "", 0xC2A};
    DeviceNotification otherNode{DeviceType::DeviceNode, "", 0xC2B};
    DeviceNotification unknownNode{DeviceType::DeviceNode, "", 0x999};
    DeviceNotification iface{DeviceType::DeviceInterface, "\\\\?\\PCI#VEN_7E3C&DEV_4C01#x", 0};

    EXPECT_TRUE(IsOurCard(&node, 3, registry));
    EXPECT_FALSE(IsOurCard(&otherNode, 3, registry));
    EXPECT_FALSE(IsOurCard(&unknownNode, 3, registry));  // unreadable key counts as foreign
    EXPECT_FALSE(IsOurCard(&iface, 3, registry));        // interface notifications do not count there
    EXPECT_FALSE(IsOurCard(&node, 1, registry));         // and device nodes do not count elsewhere
    EXPECT_TRUE(IsOurCard(&iface, 1, registry));
}

}  // namespace
}  // namespace tembrel
