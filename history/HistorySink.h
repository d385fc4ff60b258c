#pragma once
// What the program tells the connection history, one call per fact. The main window, the
// supervisor and profile application each hold a reference to a sink; the journal implements
// it (HistoryRecorder), tests record it, and NullHistorySink drops everything (history off).
//
// Every call may come from any thread and must return at once: the journal queues the fact and
// writes it on its own thread. No call carries a secret: there is no field for a passphrase, a
// key, a password or a PIN, and callers pass names and codes only.

#include <cstdint>
#include <string>
#include <vector>

namespace tembrel {

enum class JoinRequester { User, Supervisor, AutoLink };

// A prefer-list profile the supervisor passed over before the one it tries, and why.
struct SkippedCandidate {
    std::string profile;
    std::string reason;
};

struct JoinAttempt {
    JoinRequester requester = JoinRequester::User;
    std::string page;     // the user's page ("Network Status", "Site Survey"); "" otherwise
    std::string profile;  // the profile's name
    std::string ssid;
    int preferPlace = 0;  // supervisor: 1-based place in the prefer list; 0 otherwise
    std::vector<SkippedCandidate> skipped;
};

class HistorySink {
public:
    virtual ~HistorySink() = default;

    virtual void programStarted() {}
    virtual void programEnded() {}
    // A library event (codes 0..9 and 1012 with its text) or the program's own 1001 (card opened),
    // as the main window receives it.
    virtual void libraryEvent(uint32_t /*code*/, const std::string& /*text*/) {}
    // The user switched the radio (the hardware switch arrives as a library event).
    virtual void radioSetByUser(bool /*on*/) {}
    virtual void joinAttempted(const JoinAttempt& /*attempt*/) {}
    // ConnectProfile's result for a profile: 0 associated, 1 nothing attempted, else the
    // association call's result.
    virtual void joinFinished(const std::string& /*profile*/, const std::string& /*ssid*/, int /*result*/) {}
};

// History turned off.
class NullHistorySink final : public HistorySink {};

// The sink used where none was given.
inline HistorySink& NoHistory() {
    static NullHistorySink sink;
    return sink;
}

// Why an attempt did not join, in words, for ConnectProfile's result.
inline std::string JoinResultText(int result) {
    switch (result) {
    case 0: return "joined";
    case 1: return "not heard";
    case 2: return "refused the security settings";
    case 4: return "ad-hoc network waiting for a peer";
    case 5: return "no card";
    default: return "result " + std::to_string(result);
    }
}

}  // namespace tembrel
