#include "survey/SecurityDetection.h"
#include "tests/support/RecordingDriver.h"
#include "tests/support/ScanBufferBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tembrel {
namespace {

using testing::BuildScanBuffer;
using testing::Concat;
using testing::RecordingDriver;
using testing::RsnElement;
using testing::TestScanEntry;
using testing::WpaElement;

using Bytes = std::vector<uint8_t>;

const Bytes kSsidElement{0x00, 0x04, 'h', 'o', 'm', 'e'};
const Bytes kRatesElement{0x01, 0x04, 0x82, 0x84, 0x8B, 0x96};
// Vendor element of 00 40 96 04 with 13 body bytes.
const Bytes kNoSecurityVendor{0xDD, 13, 0x00, 0x40, 0x96, 0x04, 1, 2, 3, 4, 5, 6, 7, 8, 9};

struct SecurityCase {
    const char* name;
    Bytes elements;
    ScanSecurity expected;
};

ScanSecurity Detect(const Bytes& elements) {
    TestScanEntry e;
    e.privacy = 1;
    e.elements = elements;
    const auto buffer = BuildScanBuffer({e});
    return DetectSecurityOfEntry(*EntryAt(buffer, 0));
}

class SecurityTable : public ::testing::TestWithParam<SecurityCase> {};

TEST_P(SecurityTable, ClassifiesTheEntry) {
    const auto got = Detect(GetParam().elements);
    EXPECT_EQ(got.authentication, GetParam().expected.authentication);
    EXPECT_EQ(got.cipher, GetParam().expected.cipher);
}

Bytes WithByte(Bytes b, size_t at, uint8_t v) {
    b[at] = v;
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Elements, SecurityTable,
    ::testing::Values(
        SecurityCase{"NoElementsIsWep", {}, {0, 1}},
        SecurityCase{"UnrelatedElementsAreWep", Concat({kSsidElement, kRatesElement}), {0, 1}},
        SecurityCase{"RsnAesPsk", Concat({kSsidElement, RsnElement(0x04, 0x02)}), {9, 3}},
        SecurityCase{"RsnTkipPsk", RsnElement(0x02, 0x02), {9, 2}},
        SecurityCase{"RsnWep40Eap", RsnElement(0x01, 0x01), {101, 1}},
        SecurityCase{"RsnWep104Eap", RsnElement(0x05, 0x01), {101, 1}},
        SecurityCase{"RsnUnknownSuites", RsnElement(0x06, 0x06), {0, 0}},
        SecurityCase{"RsnForeignOuiIsUnknown", WithByte(RsnElement(0x04, 0x02), 11, 0x0E), {9, 0}},
        SecurityCase{"WpaTkipPsk", WpaElement(0x02, 0x02), {2, 2}},
        SecurityCase{"WpaAesPsk", WpaElement(0x04, 0x02), {2, 3}},
        SecurityCase{"WpaEapWhateverTheCipher", WpaElement(0x09, 0x01), {100, 0}},
        SecurityCase{"WpaWep104Eap", WpaElement(0x05, 0x01), {100, 1}},
        SecurityCase{"WpaUnknownKeyManagement", WpaElement(0x02, 0x07), {0, 2}},
        SecurityCase{"VendorNoSecurity", kNoSecurityVendor, {0, 0}},
        SecurityCase{"FirstMatchDecidesWpaBeforeRsn", Concat({WpaElement(0x02, 0x02), RsnElement(0x04, 0x02)}), {2, 2}},
        SecurityCase{"FirstMatchDecidesRsnBeforeWpa", Concat({RsnElement(0x04, 0x02), WpaElement(0x02, 0x02)}), {9, 3}},
        SecurityCase{"VendorBeforeRsnDecides", Concat({kNoSecurityVendor, RsnElement(0x04, 0x02)}), {0, 0}},
        // Elements of 12 body bytes or less are passed over, whatever they start with.
        SecurityCase{"ShortRsnPassedOver", Bytes{0x30, 12, 1, 0, 0, 0x0F, 0xAC, 4, 1, 0, 0, 0x0F, 0xAC, 4}, {0, 1}},
        SecurityCase{"ShortVendorPassedOver",
                     Concat({Bytes{0xDD, 12, 0x00, 0x40, 0x96, 0x04, 0, 0, 0, 0, 0, 0, 0, 0}, RsnElement(0x02, 0x02)}),
                     {9, 2}},
        SecurityCase{"OtherVendorPassedOver",
                     Concat({WithByte(kNoSecurityVendor, 5, 0x05), WpaElement(0x04, 0x02)}), {2, 3}},
        // A 13-byte RSN body holds the pairwise suite but not the key management suite.
        SecurityCase{"RsnKeyManagementBeyondElement",
                     Bytes{0x30, 13, 1, 0, 0, 0x0F, 0xAC, 4, 1, 0, 0, 0x0F, 0xAC, 4, 1}, {0, 3}},
        // A 13-byte WPA body holds neither suite.
        SecurityCase{"WpaSuitesBeyondElement",
                     Bytes{0xDD, 13, 0x00, 0x50, 0xF2, 0x01, 1, 0, 0x00, 0x50, 0xF2, 2, 1, 0, 0}, {0, 0}},
        // Truncated elements end the walk: nothing after them is examined.
        SecurityCase{"ElementRunsPastArea", Bytes{0x30, 40, 1, 0, 0, 0x0F, 0xAC, 4}, {0, 1}},
        SecurityCase{"LoneIdByte", Bytes{0x30}, {0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SecurityDetection, ElementPastTheIeLengthEndsTheWalk) {
    TestScanEntry e;
    e.elements = Concat({kSsidElement, RsnElement(0x04, 0x02)});
    e.ieLength = 12 + static_cast<uint32_t>(kSsidElement.size()) + 10;  // the RSN element is cut
    const auto buffer = BuildScanBuffer({e});
    EXPECT_EQ(DetectSecurityOfEntry(*EntryAt(buffer, 0)), ScanSecurity{});
}

TEST(SecurityDetection, ElementPastTheEntryEndsTheWalk) {
    TestScanEntry e;
    e.elements = RsnElement(0x04, 0x02);
    e.length = 128 + 10;  // the entry ends inside the element though IELength covers it
    TestScanEntry next;
    next.mac[5] = 9;
    next.elements = RsnElement(0x04, 0x02);
    auto buffer = BuildScanBuffer({e}, 2);
    // Place a second entry right after the short first one.
    const auto tail = testing::EntryBytes(next);
    std::copy(tail.begin(), tail.end(), buffer.begin() + 4 + 138);
    EXPECT_EQ(DetectSecurityOfEntry(*EntryAt(buffer, 0)), ScanSecurity{});
    EXPECT_EQ(DetectSecurityOfEntry(*EntryAt(buffer, 1)), (ScanSecurity{9, 3}));
}

TEST(SecurityDetection, FindsTheEntryByBssid) {
    TestScanEntry wpa, rsn;
    wpa.mac = {0, 1, 2, 3, 4, 5};
    wpa.elements = WpaElement(0x02, 0x02);
    rsn.mac = {0, 1, 2, 3, 4, 6};
    rsn.elements = RsnElement(0x04, 0x01);
    const auto buffer = BuildScanBuffer({wpa, rsn});
    const ScanList list(buffer);
    EXPECT_EQ(DetectSecurity(list, {0, 1, 2, 3, 4, 6}), (ScanSecurity{101, 3}));
    EXPECT_EQ(DetectSecurity(list, {0, 1, 2, 3, 4, 5}), (ScanSecurity{2, 2}));
    EXPECT_EQ(DetectSecurity(list, {0, 1, 2, 3, 4, 7}), (ScanSecurity{0, 1}));
}

TEST(SecurityDetection, SkipsEntriesWithUnusableSsidLength) {
    TestScanEntry bad, good;
    bad.ssidLength = 40;
    bad.elements = WpaElement(0x02, 0x02);
    good.elements = RsnElement(0x04, 0x02);  // same BSSID as `bad`
    const auto buffer = BuildScanBuffer({bad, good});
    EXPECT_EQ(DetectSecurity(ScanList(buffer), good.mac), (ScanSecurity{9, 3}));
}

TEST(SecurityDetection, ReadsTheListThroughTheDriver) {
    RecordingDriver driver;
    TestScanEntry e;
    e.privacy = 1;
    e.elements = RsnElement(0x04, 0x02);
    driver.setOutBytes("QueryScanListLength", BuildScanBuffer({e}));
    driver.setResult("QueryScanListLength", 0);
    EXPECT_EQ(DetectSecurity(driver, driver.adapterHandle(), e.mac), (ScanSecurity{9, 3}));
    EXPECT_EQ(driver.callTexts(), (std::vector<std::string>{"QueryScanListLength(h, out, 24576, out)"}));
}

TEST(SecurityDetection, FallsBackToWepWhenTheListCannotBeRead) {
    TestScanEntry e;
    e.elements = RsnElement(0x04, 0x02);
    {
        RecordingDriver driver;
        driver.setOutBytes("QueryScanListLength", BuildScanBuffer({e}));
        driver.setResult("QueryScanListLength", -1);
        EXPECT_EQ(DetectSecurity(driver, driver.adapterHandle(), e.mac), (ScanSecurity{0, 1}));
    }
    {
        // The double reports the first four buffer bytes as the length: a count of 0 is length 0.
        RecordingDriver driver;
        driver.setOutBytes("QueryScanListLength", BuildScanBuffer({e}, 0));
        EXPECT_EQ(DetectSecurity(driver, driver.adapterHandle(), e.mac), (ScanSecurity{0, 1}));
    }
}

}  // namespace
}  // namespace tembrel
