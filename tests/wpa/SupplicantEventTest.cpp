// wpa_supplicant's event messages: only the first word names the event, and the fields that
// decide (reason=, hash=) are read where the supplicant writes them, after any remote text.

#include "SupplicantEvent.h"

#include <gtest/gtest.h>

namespace tembrel::wpa {
namespace {

TEST(SupplicantEventTest, OnlyTheFirstWordAfterTheLevelNamesTheEvent) {
    const std::pair<const char*, const char*> rows[] = {
        {"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:05 completed", "CTRL-EVENT-CONNECTED"},
        {"<3>CTRL-EVENT-EAP-PEER-CERT depth=0 subject='/CN=CTRL-EVENT-CONNECTED'", "CTRL-EVENT-EAP-PEER-CERT"},
        {"<2>CTRL-EVENT-EAP-TLS-CERT-ERROR reason=1 subject='CTRL-EVENT-EAP-SUCCESS'", "CTRL-EVENT-EAP-TLS-CERT-ERROR"},
        {"<3>CTRL-EVENT-SCAN-RESULTS ", "CTRL-EVENT-SCAN-RESULTS"},
    };
    for (const auto& [message, name] : rows) {
        const auto event = ParseEvent(message);
        ASSERT_TRUE(event) << message;
        EXPECT_EQ(event->name, name);
    }
    for (const char* notAnEvent : {"CTRL-EVENT-CONNECTED - Connection", "OK\n", "<x>CTRL-EVENT-CONNECTED", ""})
        EXPECT_FALSE(ParseEvent(notAnEvent)) << notAnEvent;
}

TEST(SupplicantEventTest, DecidingFieldsAreTheLastOfTheirName) {
    // The SSID is quoted text a network chose.
    EXPECT_EQ(LastField("id=0 ssid=\"x reason=WRONG_KEY\" auth_failures=1 duration=10 reason=CONN_FAILED", "reason"),
              "CONN_FAILED");
    EXPECT_EQ(LastField("id=0 ssid=\"x\" auth_failures=1 duration=10 reason=WRONG_KEY", "reason"), "WRONG_KEY");
    EXPECT_EQ(LastField("id=0 ssid=\"reason=WRONG_KEY\"", "reason"), "");

    const std::string hash(64, 'a'), forged(64, 'b');
    const std::pair<std::string, std::string> certificates[] = {
        {"depth=0 subject='/CN=server' hash=" + hash, hash},
        {"depth=0 subject='/CN=server' hash=" + hash + " tod=1", hash},
        {"depth=0 subject='/CN=x hash=" + forged + "' hash=" + hash, hash},
        {"depth=0 subject='/CN=x hash=" + forged + "'", ""},
        {"depth=1 subject='/CN=CA' hash=" + hash, ""},
        {"depth=0 subject='/CN=server' cert=3082", ""},
        {"depth=0 subject='/CN=server' hash=" + hash.substr(1), ""},
    };
    for (const auto& [fields, expected] : certificates) EXPECT_EQ(ServerCertificateHash(fields), expected) << fields;
}

TEST(SupplicantEventTest, TheNetworkAnEventIsAboutIsReadWhereTheSupplicantWritesIt) {
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:05 completed [id=12 id_str=]", "12"},
        {"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:05 completed [id=3]", "3"},
        {"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:05 completed", std::nullopt},
        {"<3>CTRL-EVENT-CONNECTED - Connection to 00:11:22:33:44:05 completed [id= id_str=]", std::nullopt},
        {"<3>CTRL-EVENT-SSID-TEMP-DISABLED id=0 ssid=\"x id=5\" auth_failures=1 reason=WRONG_KEY", "0"},
        {"<3>CTRL-EVENT-SSID-TEMP-DISABLED ssid=\"x\" id=5", std::nullopt},
        {"<3>CTRL-EVENT-EAP-FAILURE EAP authentication failed id=4", std::nullopt},
    };
    for (const auto& [message, id] : rows) {
        const auto event = ParseEvent(message);
        ASSERT_TRUE(event) << message;
        EXPECT_EQ(NetworkIdOf(*event), id) << message;
    }
}

}  // namespace
}  // namespace tembrel::wpa
