#include "platform/DeviceMonitor.h"
#include "platform/DeviceName.h"
#include "tests/support/FakeDeviceMonitor.h"

#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel {
namespace {

struct NameCase {
    const char* name;
    DeviceIdentity identity;
    std::string expected;
};

class BuildDeviceNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(BuildDeviceNameTest, BuildsTheWindowsStyleName) {
    EXPECT_EQ(BuildDeviceName(GetParam().identity), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BuildDeviceNameTest,
    ::testing::Values(
        NameCase{"pci from properties, subsystem device first",
                 {"pci", {{"PCI_ID", "7e3c:4c01"}, {"PCI_SUBSYS_ID", "1028:0535"}}, {{"revision", "0x0a\n"}}},
                 "PCI\\VEN_7E3C&DEV_4C01&SUBSYS_05351028&REV_0A"},
        NameCase{"pci from sysfs attributes",
                 {"pci", {}, {{"vendor", "0x7e3c\n"}, {"device", "0x3b00\n"}, {"subsystem_vendor", "0x17aa\n"},
                              {"subsystem_device", "0x2001\n"}, {"revision", "0x01\n"}}},
                 "PCI\\VEN_7E3C&DEV_3B00&SUBSYS_200117AA&REV_01"},
        NameCase{"pci from the interface's own properties, optional parts left out",
                 {"pci", {{"ID_VENDOR_ID", "0x8086"}, {"ID_MODEL_ID", "0x24fd"}}, {}},
                 "PCI\\VEN_8086&DEV_24FD"},
        NameCase{"pci properties win over attributes",
                 {"pci", {{"PCI_ID", "1111:2222"}}, {{"vendor", "0x3333"}, {"device", "0x4444"}}},
                 "PCI\\VEN_1111&DEV_2222"},
        NameCase{"pci malformed id falls back to attributes",
                 {"pci", {{"PCI_ID", "zz:2222"}}, {{"vendor", "0x3333"}, {"device", "0x4444"}}},
                 "PCI\\VEN_3333&DEV_4444"},
        NameCase{"pci out-of-range revision left out",
                 {"pci", {{"PCI_ID", "1:2"}}, {{"revision", "0x100"}}}, "PCI\\VEN_0001&DEV_0002"},
        NameCase{"pci id too wide", {"pci", {{"PCI_ID", "12345:2222"}}, {}}, ""},
        NameCase{"pci without ids", {"pci", {{"PCI_SUBSYS_ID", "1028:0535"}}, {}}, ""},
        NameCase{"usb from properties", {"usb", {{"ID_VENDOR_ID", "4d19"}, {"ID_MODEL_ID", "6e0a"}}, {}},
                 "USB\\VID_4D19&PID_6E0A"},
        NameCase{"usb from attributes", {"usb", {}, {{"idVendor", "4d19\n"}, {"idProduct", "5c2f\n"}}},
                 "USB\\VID_4D19&PID_5C2F"},
        NameCase{"usb from PRODUCT, padded", {"usb", {{"PRODUCT", "4d19/5c2/100"}}, {}}, "USB\\VID_4D19&PID_05C2"},
        NameCase{"usb malformed PRODUCT", {"usb", {{"PRODUCT", "4d19"}}, {}}, ""},
        NameCase{"pcmcia product ids",
                 {"pcmcia", {}, {{"prod_id1", "Lorandi"}, {"prod_id2", "77Q5100 802.11b PC Card\n"}}},
                 "PCMCIA\\LORANDI-77Q5100_802.11B_PC_CARD"},
        NameCase{"pcmcia with control characters", {"pcmcia", {}, {{"prod_id1", "A\x01"}}}, ""},
        NameCase{"unknown bus", {"sdio", {{"PCI_ID", "1:2"}}, {}}, ""},
        NameCase{"virtual interface", {"", {{"INTERFACE", "veth0"}}, {}}, ""}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) if (!isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(UdevDeviceMonitorTest, StartsOrSaysWhyNot) {
    testing_support::EnsureApplication();
    UdevDeviceMonitor monitor;
    const bool started = monitor.start();
    EXPECT_EQ(monitor.reason().isEmpty(), started) << monitor.reason().toStdString();
    EXPECT_EQ(monitor.start(), started);
}

TEST(FakeDeviceMonitorTest, ReportsAnnouncedEventsAndAvailability) {
    FakeDeviceMonitor unavailable(false);
    EXPECT_FALSE(unavailable.start());
    EXPECT_FALSE(unavailable.reason().isEmpty());

    FakeDeviceMonitor monitor;
    std::vector<std::tuple<quint32, QString, QString>> seen;
    QObject::connect(&monitor, &DeviceMonitor::deviceChanged,
                     [&](quint32 event, const QString& device, const QString& interface) {
                         seen.emplace_back(event, device, interface);
                     });
    EXPECT_TRUE(monitor.start());
    monitor.announce(TEMBREL_DEVICE_ARRIVAL, QStringLiteral("PCI\\VEN_7E3C&DEV_4C01"), QStringLiteral("wlan0"));
    monitor.announce(TEMBREL_DEVICE_REMOVE_COMPLETE, QStringLiteral("PCI\\VEN_7E3C&DEV_4C01"), QStringLiteral("wlan0"));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(std::get<0>(seen[0]), 0x8000u);
    EXPECT_EQ(std::get<0>(seen[1]), 0x8004u);
    EXPECT_EQ(std::get<2>(seen[1]), QStringLiteral("wlan0"));
}

}  // namespace
}  // namespace tembrel
