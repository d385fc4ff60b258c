// The journal's recorder: which facts become which entries, the sampling while connected and the
// trail a lost link carries, the scan summary's pace, and a failing disk.

#include "history/HistoryRecorder.h"
#include "history/JournalReader.h"
#include "tests/support/PollUntil.h"
#include "tests/support/TempFolder.h"

#include <TembrelCodes.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <mutex>

namespace tembrel {
namespace {

using nlohmann::json;
using testing::PollUntil;
using testing::TempFolder;

std::vector<json> OfKind(const JournalRead& read, const std::string& kind) {
    std::vector<json> out;
    for (const auto& e : read.entries)
        if (e["k"] == kind) out.push_back(e);
    return out;
}

HistoryProbe Link(std::function<std::optional<LinkSample>()> sample = {}) {
    HistoryProbe probe;
    probe.link = [] {
        return std::optional(LinkFacts{"Home-WPA2", "00:11:22:33:44:02", 6, "2.4 GHz", "WPA2-PSK AES", -52, 54000, false});
    };
    probe.sample = std::move(sample);
    return probe;
}

TEST(HistoryRecorder, ASupervisorJoinKeepsItsPlaceAndWhatItPassedOver) {
    TempFolder dir("history-");
    {
        HistoryRecorder recorder(dir.path(), {}, Link());
        recorder.programStarted();
        recorder.joinAttempted({JoinRequester::Supervisor, "", "Office", "Office", 2, {{"Home-WPA2", "not heard"}}});
        recorder.joinFinished("Office", "Office", 0);
        recorder.libraryEvent(ZARN9100_EVENT_LINK_UP, "");
        recorder.programEnded();
    }
    const JournalRead read = ReadJournal(dir.path());
    std::vector<std::string> kinds;
    for (const auto& e : read.entries) kinds.push_back(e["k"]);
    // The program's end closes the link first, so that the session has an end.
    EXPECT_EQ(kinds, (std::vector<std::string>{"start", "join", "result", "up", "lost", "end"}));
    const json join = OfKind(read, "join").at(0);
    EXPECT_EQ(join["by"], "supervisor");
    EXPECT_EQ(join["place"], 2);
    EXPECT_EQ(join["skipped"][0]["reason"], "not heard");
    const json up = OfKind(read, "up").at(0);
    EXPECT_EQ(up["bssid"], "00:11:22:33:44:02");
    EXPECT_EQ(up["channel"], 6);
    EXPECT_EQ(OfKind(read, "lost").at(0)["event"], "end");
}

struct EventRow {
    const char* name;
    std::vector<uint32_t> codes;  // after a link up
    std::vector<std::string> kinds;
};

class RecorderEventTest : public ::testing::TestWithParam<EventRow> {};

TEST_P(RecorderEventTest, EventsBecomeEntries) {
    TempFolder dir("history-");
    {
        HistoryRecorder recorder(dir.path(), {}, Link());
        for (uint32_t code : GetParam().codes) recorder.libraryEvent(code, "");
    }
    std::vector<std::string> kinds;
    for (const auto& e : ReadJournal(dir.path()).entries)
        kinds.push_back(e["k"] == "lost" ? "lost:" + e["event"].get<std::string>() : e["k"].get<std::string>());
    EXPECT_EQ(kinds, GetParam().kinds);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RecorderEventTest,
    ::testing::Values(
        EventRow{"lost", {ZARN9100_EVENT_LINK_UP, ZARN9100_EVENT_LINK_LOST}, {"up", "lost:lost"}},
        // A second loss without a link in between is the same loss.
        EventRow{"lost_twice", {ZARN9100_EVENT_LINK_UP, ZARN9100_EVENT_LINK_LOST, ZARN9100_EVENT_LINK_LOST},
                 {"up", "lost:lost"}},
        EventRow{"down_on_request", {ZARN9100_EVENT_LINK_UP, ZARN9100_EVENT_LINK_DOWN}, {"up", "lost:down"}},
        EventRow{"card_pulled_while_connected", {ZARN9100_EVENT_LINK_UP, ZARN9100_EVENT_CARD_REMOVED},
                 {"up", "lost:card", "card"}},
        EventRow{"card_pulled_while_not_connected", {ZARN9100_EVENT_CARD_REMOVED}, {"card"}},
        EventRow{"switch_off_while_connected", {ZARN9100_EVENT_LINK_UP, ZARN9100_EVENT_RADIO_SWITCH_OFF},
                 {"up", "lost:radio", "radio"}},
        EventRow{"refused_without_a_link", {ZARN9100_EVENT_ASSOCIATION_REFUSED}, {}},
        EventRow{"card_opened", {1001}, {"card"}},
        EventRow{"unknown_codes", {7, 1003, 0xF0000001u}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Samples while connected: written on a real change, and the minute before a loss goes with it.
TEST(HistoryRecorder, SamplesWhileConnectedAndTheTrailBeforeALoss) {
    TempFolder dir("history-");
    std::atomic<int> calls{0};
    HistoryOptions options;
    options.sampleInterval = std::chrono::milliseconds(1);
    options.sampleKeepAlive = std::chrono::hours(1);
    // -52, -52, -52, -56, -60, ... : the unchanged readings are not written.
    auto sample = [&]() -> std::optional<LinkSample> {
        const int n = calls++;
        return LinkSample{n < 3 ? -52 : -52 - 4 * (n - 2), 54000};
    };
    HistoryRecorder recorder(dir.path(), options, Link(sample));
    recorder.libraryEvent(ZARN9100_EVENT_LINK_UP, "");
    ASSERT_TRUE(PollUntil([&] { return calls >= 6; }));
    recorder.libraryEvent(ZARN9100_EVENT_LINK_LOST, "");
    recorder.flush();
    const int callsAtLoss = calls;
    const JournalRead read = ReadJournal(dir.path());
    const auto samples = OfKind(read, "sample");
    ASSERT_GE(samples.size(), 3u);
    EXPECT_EQ(samples[0]["dbm"], -56);  // the first change
    const json lost = OfKind(read, "lost").at(0);
    EXPECT_EQ(lost["before"][0], -52);  // the link-up reading starts the trail
    EXPECT_GE(lost["before"].size(), 6u);
    // After the loss nothing is sampled any more (the thread sleeps until the next fact).
    recorder.libraryEvent(ZARN9100_EVENT_STATUS_TEXT, "idle");
    recorder.flush();
    EXPECT_LE(calls.load(), callsAtLoss + 1);
}

TEST(HistoryRecorder, AScanSummaryAtMostOncePerIntervalStrongestFirst) {
    TempFolder dir("history-");
    int scans = 0;
    HistoryProbe probe;
    probe.scan = [&] {
        ++scans;
        return std::vector<HeardNetwork>{{"Cafe", 11, -70, "open"}, {"Home-WPA2", 6, -50, "WPA2-PSK"}};
    };
    {
        HistoryRecorder recorder(dir.path(), {}, probe);
        recorder.libraryEvent(ZARN9100_EVENT_SCAN_COMPLETE, "");
        recorder.libraryEvent(ZARN9100_EVENT_SCAN_COMPLETE, "");
    }
    const auto read = ReadJournal(dir.path());
    ASSERT_EQ(OfKind(read, "scan").size(), 1u);
    EXPECT_EQ(scans, 1);
    EXPECT_EQ(OfKind(read, "scan")[0]["nets"][0]["ssid"], "Home-WPA2");
}

// A disk that refuses every write: facts are dropped and counted, the program goes on, and the
// journal picks up again once the disk has room.
TEST(HistoryRecorder, AFullDiskDropsBatchesAndRecovers) {
    TempFolder dir("history-");
    std::atomic<bool> full{true};
    HistoryOptions options;
    options.write = [&](int fd, const void* data, std::size_t size) -> ssize_t {
        if (!full) return ::write(fd, data, size);
        errno = ENOSPC;
        return -1;
    };
    HistoryRecorder recorder(dir.path(), options);
    recorder.libraryEvent(ZARN9100_EVENT_STATUS_TEXT, "first");
    recorder.flush();
    EXPECT_EQ(recorder.droppedBatches(), 1u);
    full = false;
    recorder.libraryEvent(ZARN9100_EVENT_STATUS_TEXT, "second");
    recorder.flush();
    const auto status = OfKind(ReadJournal(dir.path()), "status");
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0]["text"], "second");
}

// Texts from outside (profile names, the library's status text) may hold any bytes: each entry
// stays one valid line.
TEST(HistoryRecorder, AnyTextStaysOneValidLine) {
    TempFolder dir("history-");
    {
        HistoryRecorder recorder(dir.path(), {});
        recorder.joinFinished(std::string("a\nb\"\\\xff\xfe", 7), "ssid\n{", 2);
        recorder.libraryEvent(ZARN9100_EVENT_STATUS_TEXT, "line\r\nbreak");
    }
    const auto read = ReadJournal(dir.path());
    EXPECT_EQ(read.skippedLines, 0u);
    EXPECT_EQ(read.entries.size(), 2u);
}

}  // namespace
}  // namespace tembrel
