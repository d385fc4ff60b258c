// The report: what a day of entries adds up to, how a busy month is thinned, and the page as
// parsed XML.

#include "history/ReportCommand.h"
#include "history/ReportHtml.h"
#include "history/ReportModel.h"
#include "tests/history/XmlPage.h"

#include <gtest/gtest.h>

namespace tembrel {
namespace {

using nlohmann::json;
using testing::ParseXmlPage;

constexpr std::int64_t kT0 = 1'800'000'000'000;  // the day's start
constexpr std::int64_t kMin = 60'000;

json At(int minute, json e) {
    e["t"] = kT0 + minute * kMin;
    return e;
}

// Joins, a wrong passphrase, a drop as the signal fades, a card pull, a roam.
std::vector<json> ScriptedDay() {
    return {
        At(0, {{"k", "start"}}),
        At(0, {{"k", "card"}, {"present", true}}),
        At(1, {{"k", "join"}, {"by", "supervisor"}, {"profile", "Home-WPA2"}, {"ssid", "Home-WPA2"}, {"place", 1}}),
        At(1, {{"k", "status"}, {"text", "Authentication failed: \"Home-WPA2\": passphrase does not match the network"}}),
        At(1, {{"k", "result"}, {"profile", "Home-WPA2"}, {"ssid", "Home-WPA2"}, {"code", 2}}),
        At(1, {{"k", "join"}, {"by", "supervisor"}, {"profile", "Office"}, {"ssid", "Office"}, {"place", 2},
               {"skipped", {{{"profile", "Home-WPA2"}, {"reason", "refused the security settings"}}}}}),
        At(1, {{"k", "result"}, {"profile", "Office"}, {"ssid", "Office"}, {"code", 0}}),
        At(1, {{"k", "up"}, {"ssid", "Office"}, {"bssid", "00:11:22:33:44:03"}, {"channel", 6}, {"band", "2.4 GHz"},
               {"security", "WPA2-PSK AES"}, {"dbm", -55}}),
        At(2, {{"k", "scan"}, {"nets", {{{"ssid", "Office"}, {"ch", 6}, {"dbm", -55}, {"sec", "WPA2-PSK AES"}},
                                        {{"ssid", "Cafe"}, {"ch", 11}, {"dbm", -70}, {"sec", "open"}},
                                        {{"ssid", "Lab5"}, {"ch", 36}, {"dbm", -60}, {"sec", "WPA2-PSK AES"}},
                                        {{"ssid", "Next door"}, {"ch", 4}, {"dbm", -80}, {"sec", "WEP"}}}}}),
        At(100, {{"k", "sample"}, {"dbm", -75}}),
        At(119, {{"k", "sample"}, {"dbm", -86}}),
        At(120, {{"k", "lost"}, {"event", "lost"}, {"before", {-75, -82, -86}}}),
        At(121, {{"k", "join"}, {"by", "user"}, {"page", "Site Survey"}, {"profile", "Cafe"}, {"ssid", "Cafe"}}),
        At(121, {{"k", "result"}, {"profile", "Cafe"}, {"ssid", "Cafe"}, {"code", 0}}),
        At(121, {{"k", "up"}, {"ssid", "Cafe"}, {"bssid", "00:11:22:33:44:01"}, {"channel", 11}, {"band", "2.4 GHz"},
                 {"security", "open"}, {"dbm", -70}}),
        At(300, {{"k", "lost"}, {"event", "card"}, {"before", {-70}}}),
        At(300, {{"k", "card"}, {"present", false}}),
        At(330, {{"k", "card"}, {"present", true}}),
        At(331, {{"k", "result"}, {"profile", "Cafe"}, {"ssid", "Cafe"}, {"code", 0}}),
        At(331, {{"k", "up"}, {"ssid", "Cafe"}, {"bssid", "00:11:22:33:44:01"}, {"channel", 11}, {"dbm", -65}}),
        At(400, {{"k", "up"}, {"ssid", "Cafe"}, {"bssid", "00:11:22:33:44:09"}, {"channel", 1}, {"dbm", -60}}),
        At(470, {{"k", "lost"}, {"event", "lost"}, {"before", {-60, -61}}}),
    };
}

constexpr std::int64_t kDayEnd = kT0 + 600 * kMin;

TEST(ReportModel, AScriptedDayAddsUp) {
    const ReportModel m = BuildReportModel(ScriptedDay(), kT0, kDayEnd);
    ASSERT_EQ(m.sessions.size(), 4u);
    std::vector<std::string> reasons;
    for (const auto& s : m.sessions) reasons.push_back(s.endReason);
    EXPECT_EQ(reasons, (std::vector<std::string>{"signal lost", "card pulled out", "roamed", "signal lost"}));
    EXPECT_EQ(m.sessions[0].profile, "Office");
    EXPECT_EQ(m.sessions[0].lowestBeforeDbm, -86);
    EXPECT_EQ(m.drops, 2);
    EXPECT_EQ(m.weakDrops, 1);
    // Connected 119 + 179 + 69 + 70 minutes of 600.
    EXPECT_EQ(m.connectedMs, (119 + 179 + 69 + 70) * kMin);
    EXPECT_EQ(ReportSummary(m, "the last 10 hours"),
              "Connected 72.8 % of the last 10 hours; 2 drops, 1 of them after the signal fell below -80 dBm; "
              "1 refused join: passphrase does not match the network for Home-WPA2.");
    ASSERT_EQ(m.decisions.size(), 1u);
    EXPECT_EQ(m.decisions[0], "joined Office because Home-WPA2 refused the security settings");
    EXPECT_EQ(m.failuresByReason.at("passphrase does not match the network"), 1);
    // The user's join names its page; the program's own join after the card came back does not.
    std::vector<std::string> joins;
    for (const auto& mark : m.marks)
        if (mark.kind == "join") joins.push_back(mark.label);
    EXPECT_EQ(joins, (std::vector<std::string>{"joined Office", "joined Cafe (asked on Site Survey)", "joined Cafe"}));
    EXPECT_EQ(m.networks.front().ssid, "Office");
    // 6 is taken, 4 overlaps 1 and 6, 11 is taken: 1 is the least crowded.
    EXPECT_EQ(m.quietChannels24.front(), 1);
    EXPECT_NE(m.quietChannels5.front(), 36);
}

// The library's text may be written after the result it explains (it travels through the
// window); the nearest text about that network within 15 s is the reason either way. A history
// that began inside the period covers only the time it recorded.
TEST(ReportModel, ARefusalTakesTheNearestTextAboutItsNetwork) {
    const std::vector<json> entries{
        At(10, {{"k", "status"}, {"text", "Authentication failed: \"Lab\": WEP key does not match the network"}}),
        At(20, {{"k", "result"}, {"profile", "Lab"}, {"ssid", "Lab"}, {"code", 2}}),
        At(20, {{"k", "status"}, {"text", "Authentication failed: \"Other\": passphrase does not match the network"}}),
        At(20, {{"k", "status"}, {"text", "Authentication failed: \"Lab\": 802.1X credentials were rejected"}}),
        At(40, {{"k", "result"}, {"profile", "Lab"}, {"ssid", "Lab"}, {"code", 2}}),
    };
    const ReportModel m = BuildReportModel(entries, kT0, kDayEnd);
    ASSERT_EQ(m.refusals.size(), 2u);
    EXPECT_EQ(m.refusals[0].label, "802.1X credentials were rejected for Lab");
    EXPECT_EQ(m.refusals[1].label, "refused the security settings for Lab");  // no text near it
    EXPECT_EQ(m.fromMs, kT0 + 10 * kMin);
    EXPECT_EQ(ReportSummary(m, "the last day").rfind("Connected 0.0 % of the time recorded since ", 0), 0u);
}

TEST(ReportModel, AProgramThatStoppedWithoutEndingClosesItsSessionAtTheNextStart) {
    const std::vector<json> entries{At(0, {{"k", "up"}, {"ssid", "A"}}), At(10, {{"k", "start"}})};
    const ReportModel m = BuildReportModel(entries, kT0, kDayEnd);
    ASSERT_EQ(m.sessions.size(), 1u);
    EXPECT_EQ(m.sessions[0].endReason, "program stopped");
    EXPECT_EQ(m.connectedMs, 10 * kMin);
}

// A busy month: marks and signal are summarised, nothing is lost from the counts.
TEST(ReportModel, ThousandsOfEventsAreSummarised) {
    std::vector<json> entries;
    const int n = 10000;
    for (int i = 0; i < n; ++i) {
        const std::int64_t t = kT0 + i * 240'000LL;
        entries.push_back({{"t", t}, {"k", "up"}, {"ssid", "Busy"}, {"dbm", -50}});
        for (int s = 1; s <= 10; ++s) entries.push_back({{"t", t + s * 10'000}, {"k", "sample"}, {"dbm", -50 - s}});
        entries.push_back({{"t", t + 120'000}, {"k", "lost"}, {"event", "lost"}, {"before", {-60}}});
    }
    const std::int64_t end = kT0 + n * 240'000LL;
    const ReportModel m = BuildReportModel(entries, kT0, end);
    EXPECT_EQ(m.drops, n);
    EXPECT_LE(m.signal.size(), kMaxSignalPoints);
    int drops = 0;
    std::size_t dropMarks = 0;
    for (const auto& mark : m.marks)
        if (mark.kind == "drop") drops += mark.count, ++dropMarks;
    EXPECT_EQ(drops, n);
    EXPECT_LE(dropMarks, kMaxMarksPerKind);
    // The lowest reading of each slot is kept.
    EXPECT_EQ(m.signal.front().dbm, -60);

    const auto page = ParseXmlPage(RenderReport(m, "the last month"));
    ASSERT_EQ(page.error, "");
    EXPECT_LE(page.all("g", "mark", "timeline").size(), kMaxMarksPerKind * 5);
}

TEST(ReportPage, IsWellFormedAndSaysWhatHappened) {
    const ReportModel m = BuildReportModel(ScriptedDay(), kT0, kDayEnd);
    const auto page = ParseXmlPage(RenderReport(m, "the last 10 hours"));
    ASSERT_EQ(page.error, "");
    ASSERT_NE(page.byId("summary"), nullptr);
    EXPECT_EQ(page.byId("summary")->text, ReportSummary(m, "the last 10 hours"));
    // Nothing fetched, nothing run.
    EXPECT_TRUE(page.all("script").empty());
    EXPECT_TRUE(page.all("link").empty());
    EXPECT_TRUE(page.all("img").empty());

    std::map<std::string, int> marks;
    for (const auto* g : page.all("g", "mark", "timeline")) marks[g->attributes.at("data-kind")]++;
    EXPECT_EQ(marks, (std::map<std::string, int>{{"card", 3}, {"drop", 2}, {"join", 3}, {"refusal", 1}}));
    EXPECT_EQ(page.all("rect", "link-up", "timeline").size(), 4u);
    EXPECT_EQ(page.all("polyline", "signal", "timeline").size(), 4u);
    EXPECT_EQ(page.all("tr", "drop", "sessions").size(), 2u);
    EXPECT_NE(page.byId("decisions")->text.find("joined Office because Home-WPA2 refused"), std::string::npos);
    // 2.4 GHz networks drawn across the channels they cover; 5 GHz as bars.
    EXPECT_EQ(page.all("g", "network", "channels-24").size(), 3u);
    bool lab5 = false;
    for (const auto* g : page.all("g", "channel", "channels-5"))
        lab5 = lab5 || (g->attributes.at("data-channel") == "36" && g->attributes.at("data-networks") == "1");
    EXPECT_TRUE(lab5);
    EXPECT_NE(page.byId("quiet")->text.find("2.4 GHz channel 1 "), std::string::npos) << page.byId("quiet")->text;
}

// Network names and texts come from the air: they stay text.
TEST(ReportPage, NamesFromTheAirStayText) {
    std::vector<json> entries{
        At(0, {{"k", "up"}, {"ssid", "<script>alert(1)</script>"}, {"bssid", "\"&'"}, {"channel", 3}}),
        At(1, {{"k", "scan"}, {"nets", {{{"ssid", "</svg><b>x"}, {"ch", 3}, {"dbm", -50}, {"sec", "\x01"}}}}}),
    };
    const auto page = ParseXmlPage(RenderReport(BuildReportModel(entries, kT0, kDayEnd), "the last day"));
    ASSERT_EQ(page.error, "");
    EXPECT_TRUE(page.all("script").empty());
    EXPECT_TRUE(page.all("b").empty());
    EXPECT_NE(page.byId("sessions")->text.find("<script>alert(1)</script>"), std::string::npos);
}

struct PeriodRow {
    const char* text;
    long long minutes;  // 0: refused
    const char* words;
};

class ReportPeriodTest : public ::testing::TestWithParam<PeriodRow> {};

TEST_P(ReportPeriodTest, Parses) {
    const auto p = ParseReportPeriod(GetParam().text);
    if (GetParam().minutes == 0) {
        EXPECT_FALSE(p) << GetParam().text;
        return;
    }
    ASSERT_TRUE(p) << GetParam().text;
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::minutes>(p->length).count(), GetParam().minutes);
    EXPECT_EQ(p->text, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReportPeriodTest,
                         ::testing::Values(PeriodRow{"7d", 7 * 1440, "the last 7 days"}, PeriodRow{"1d", 1440, "the last day"},
                                           PeriodRow{"12h", 720, "the last 12 hours"}, PeriodRow{"30m", 30, "the last 30 minutes"},
                                           PeriodRow{"2w", 2 * 7 * 1440, "the last 2 weeks"}, PeriodRow{"366d", 366 * 1440, "the last 366 days"},
                                           PeriodRow{"367d", 0, ""}, PeriodRow{"53w", 0, ""}, PeriodRow{"0d", 0, ""},
                                           PeriodRow{"d", 0, ""}, PeriodRow{"7", 0, ""}, PeriodRow{"7x", 0, ""},
                                           PeriodRow{"-7d", 0, ""}, PeriodRow{"7dd", 0, ""}, PeriodRow{"", 0, ""},
                                           PeriodRow{"99999999999d", 0, ""}));

}  // namespace
}  // namespace tembrel
