// The dialog's list entries, PIN check, profiles and event table.

#include "pages/autolink/logic/AutoLinkRules.h"
#include "profiles/ProfileText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tembrel::autolink {
namespace {

struct EntryRow {
    AutoLinkCandidate candidate;
    std::string text;
    uint32_t value;
};

class EntryTest : public ::testing::TestWithParam<EntryRow> {};

TEST_P(EntryTest, TextAndValue) {
    const EntryRow& row = GetParam();
    EXPECT_EQ(CandidateEntryText(row.candidate), row.text);
    EXPECT_EQ(CandidateEntryValue(row.candidate), row.value);
    EXPECT_EQ(EntryState(row.value), row.candidate.state);
    EXPECT_EQ(EntryApTag(row.value), row.candidate.apTag & 0xFFFF);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EntryTest,
    ::testing::Values(EntryRow{{"Lobby", 30, 0, 0x21}, "Lobby (Rssi=75%)", 0x00000021},
                      EntryRow{{"Weak", 0, 1, 0x22}, "Weak (Rssi=0%)", 0x00010022},
                      EntryRow{{"Strong", 40, 2, 0xFF}, "Strong (Rssi=100%)", 0x000200FF},
                      EntryRow{{"Odd", 1, 0, 7}, "Odd (Rssi=2%)", 0x00000007},
                      // The SSID itself may hold the separator; it travels in the entry's data.
                      EntryRow{{"a (Rssi=1%) b", 20, 1, 3}, "a (Rssi=1%) b (Rssi=50%)", 0x00010003},
                      EntryRow{{"", 39, 0, 9}, " (Rssi=97%)", 0x00000009}));

struct PinRow {
    std::string pin;
    std::optional<std::string> confirmation;
    PinProblem expected;
};

class PinTest : public ::testing::TestWithParam<PinRow> {};

TEST_P(PinTest, Check) { EXPECT_EQ(CheckPin(GetParam().pin, GetParam().confirmation), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Rows, PinTest,
    ::testing::Values(PinRow{"1234567", "1234567", PinProblem::kLength}, PinRow{"12345678", "12345678", PinProblem::kNone},
                      PinRow{std::string(31, 'p'), std::string(31, 'p'), PinProblem::kNone},
                      PinRow{std::string(32, 'p'), std::string(32, 'p'), PinProblem::kLength},
                      PinRow{"12345678", "12345679", PinProblem::kMismatch}, PinRow{"1234567", "x", PinProblem::kLength},
                      PinRow{"12345678", std::nullopt, PinProblem::kNone}, PinRow{"", std::nullopt, PinProblem::kLength},
                      PinRow{"1234 678", std::nullopt, PinProblem::kNone},
                      PinRow{"1234\t678", std::nullopt, PinProblem::kLength},
                      PinRow{"caf\xC3\xA9" "1234", std::nullopt, PinProblem::kLength}));

TEST(AutoLinkProfiles, OpenAssociation) {
    const PROFILE_RECORD p = OpenAssociationProfile("Fresh");
    PROFILE_RECORD expected{};
    std::memcpy(expected.ssid, "Fresh", 5);
    expected.networkType = 1;
    expected.wirelessMode = 255;
    EXPECT_EQ(std::memcmp(&p, &expected, sizeof p), 0);
}

TEST(AutoLinkProfiles, ConfiguredAccessPointAndExchangeUseThePinAsPassphrase) {
    PROFILE_RECORD expected{};
    std::memcpy(expected.name, "Home", 4);
    std::memcpy(expected.ssid, "Home", 4);
    expected.networkType = 1;
    expected.wirelessMode = 0;
    expected.encryption = 2;
    expected.authMode = 2;
    std::memcpy(expected.passphrase, "12345678", 8);
    expected.passphraseLength = 8;
    expected.keepAdapterSettings = 1;
    expected.inPreferList = 1;
    const PROFILE_RECORD configured = ConfiguredAccessPointProfile("Home", "12345678");
    const PROFILE_RECORD exchanged = ExchangeProfile("Home", "12345678");
    EXPECT_EQ(std::memcmp(&configured, &expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(&exchanged, &expected, sizeof expected), 0);
}

TEST(AutoLinkProfiles, AThirtyTwoByteSsidKeepsItsNameWithinTheField) {
    const std::string ssid(32, 'n');
    const PROFILE_RECORD p = ExchangeProfile(ssid, "12345678");
    EXPECT_EQ(ProfileSsid(p), ssid);
    EXPECT_EQ(ProfileName(p), ssid);
}

TEST(AutoLinkAssociation, LibraryValues) {
    EXPECT_EQ(AssociationAuthValue(0), 0u);
    EXPECT_EQ(AssociationAuthValue(1), 1u);
    EXPECT_EQ(AssociationAuthValue(2), 4u);
    EXPECT_EQ(AssociationAuthValue(4), 2u);
    EXPECT_EQ(AssociationAuthValue(9), 0u);
    EXPECT_EQ(AssociationWepStatus(0), 1u);
    EXPECT_EQ(AssociationWepStatus(2), 4u);
}

struct EventRow {
    uintptr_t code;
    EventAction action;
    std::string_view status;
};

class EventTableTest : public ::testing::TestWithParam<EventRow> {};

TEST_P(EventTableTest, ActionAndStatus) {
    EXPECT_EQ(ActionFor(GetParam().code), GetParam().action);
    EXPECT_EQ(ExchangeStatusText(GetParam().code), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EventTableTest,
    ::testing::Values(EventRow{0, EventAction::kIgnore, ""}, EventRow{1, EventAction::kLinkUp, ""},
                      EventRow{2, EventAction::kAdapterGone, ""}, EventRow{3, EventAction::kLinkUp, ""},
                      EventRow{4, EventAction::kIgnore, ""}, EventRow{5, EventAction::kDisconnected, ""},
                      EventRow{6, EventAction::kIgnore, ""}, EventRow{8, EventAction::kPassOn, ""},
                      EventRow{9, EventAction::kPassOn, ""}, EventRow{1008, EventAction::kConfigured, ""},
                      EventRow{1012, EventAction::kIgnore, ""},
                      EventRow{0xF0000000u, EventAction::kExchangeStatus, "Auto Link Start Request"},
                      EventRow{0xF0000001u, EventAction::kExchangeStatus, "Auto Link Start Response"},
                      EventRow{0xF0000002u, EventAction::kExchangeStatus, "Auto Link Challenge Request"},
                      EventRow{0xF0000003u, EventAction::kExchangeStatus, "Auto Link Challenge Response"},
                      EventRow{0xF0000004u, EventAction::kExchangeStatus, "Auto Link Status Request"},
                      EventRow{0xF0000005u, EventAction::kExchangeStatus, "Auto Link Status Response"},
                      EventRow{0xF0000006u, EventAction::kExchangeStatus, "Auto Link End Request"},
                      EventRow{0xF0000007u, EventAction::kSucceeded, ""}, EventRow{0xF0000008u, EventAction::kFailed, ""},
                      EventRow{0xF0000009u, EventAction::kWrongPin, ""}, EventRow{0xF000000Au, EventAction::kIgnore, ""},
                      EventRow{0xEFFFFFFFu, EventAction::kIgnore, ""}));

}  // namespace
}  // namespace tembrel::autolink
