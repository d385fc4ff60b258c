#include "history/ReportModel.h"

#include "history/HistorySink.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace tembrel {

using nlohmann::json;

namespace {

std::string Text(const json& e, const char* key) {
    const auto it = e.find(key);
    return it != e.end() && it->is_string() ? it->get<std::string>() : std::string();
}

int Int(const json& e, const char* key, int fallback = 0) {
    const auto it = e.find(key);
    return it != e.end() && it->is_number_integer() ? it->get<int>() : fallback;
}

bool Flag(const json& e, const char* key) {
    const auto it = e.find(key);
    return it != e.end() && it->is_boolean() && it->get<bool>();
}

std::string EndReason(const std::string& event) {
    if (event == "lost") return "signal lost";
    if (event == "refused") return "refused by the network";
    if (event == "card") return "card pulled out";
    if (event == "radio") return "radio switched off";
    if (event == "down") return "disconnected";
    if (event == "end") return "program ended";
    if (event == "roam") return "roamed";
    return "program stopped";
}

// The reason of the refusal at entries[index]: the library's text about that network nearest to
// it within 15 s either way (the text travels through the window, the result does not, so either
// may be written first), without its "...: "SSID": " lead.
std::string RefusalReason(const std::vector<json>& entries, std::size_t index, const std::string& ssid) {
    const std::int64_t t = entries[index]["t"].get<std::int64_t>();
    const std::string quoted = "\"" + ssid + "\": ";
    std::string best;
    std::int64_t bestDistance = 15001;
    const auto consider = [&](const json& e) {
        if (e["k"] != "status") return;
        const std::string text = Text(e, "text");
        const auto at = text.find(quoted);
        const std::int64_t distance = std::abs(e["t"].get<std::int64_t>() - t);
        if (at != std::string::npos && distance < bestDistance) {
            best = text.substr(at + quoted.size());
            bestDistance = distance;
        }
    };
    for (std::size_t i = index; i-- > 0 && t - entries[i]["t"].get<std::int64_t>() <= 15000;) consider(entries[i]);
    for (std::size_t i = index + 1; i < entries.size() && entries[i]["t"].get<std::int64_t>() - t <= 15000; ++i)
        consider(entries[i]);
    return best.empty() ? JoinResultText(2) : best;
}

// Each kind's marks thinned to at most kMaxMarksPerKind slots over the period.
std::vector<ReportMark> Thin(std::vector<ReportMark> marks, std::int64_t from, std::int64_t to) {
    std::map<std::string, std::vector<ReportMark>> byKind;
    for (auto& m : marks) byKind[m.kind].push_back(std::move(m));
    std::vector<ReportMark> out;
    const double span = static_cast<double>(std::max<std::int64_t>(1, to - from));
    for (auto& [kind, list] : byKind) {
        if (list.size() <= kMaxMarksPerKind) {
            out.insert(out.end(), list.begin(), list.end());
            continue;
        }
        std::map<std::size_t, ReportMark> slots;
        for (const auto& m : list) {
            const auto slot = static_cast<std::size_t>(
                std::clamp((static_cast<double>(m.t - from) / span) * kMaxMarksPerKind, 0.0, kMaxMarksPerKind - 1.0));
            auto [it, fresh] = slots.try_emplace(slot, m);
            if (!fresh) ++it->second.count;
        }
        for (auto& [slot, m] : slots) {
            if (m.count > 1) m.label = std::to_string(m.count) + " \u00d7 " + kind;
            out.push_back(std::move(m));
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const ReportMark& a, const ReportMark& b) { return a.t < b.t; });
    return out;
}

// The lowest reading of each of kMaxSignalPoints time slots: dips stay visible.
std::vector<ReportPoint> ThinSignal(const std::vector<ReportPoint>& points, std::int64_t from, std::int64_t to) {
    if (points.size() <= kMaxSignalPoints) return points;
    const double span = static_cast<double>(std::max<std::int64_t>(1, to - from));
    std::vector<ReportPoint> out;
    std::size_t lastSlot = SIZE_MAX;
    for (const auto& p : points) {
        const auto slot = static_cast<std::size_t>(
            std::clamp((static_cast<double>(p.t - from) / span) * kMaxSignalPoints, 0.0, kMaxSignalPoints - 1.0));
        if (slot != lastSlot) {
            out.push_back(p);
            lastSlot = slot;
        } else if (p.dbm < out.back().dbm) {
            out.back().dbm = p.dbm;
        }
    }
    return out;
}

std::string Ordinal(int n) {
    const char* suffix = (n % 100 >= 11 && n % 100 <= 13) ? "th" : n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
    return std::to_string(n) + suffix;
}

}  // namespace

double ChannelOverlap(int channel, int other) {
    const int apart = std::abs(channel - other);
    return apart >= 5 ? 0.0 : 1.0 - apart / 5.0;
}

ReportModel BuildReportModel(const std::vector<json>& entries, std::int64_t fromMs, std::int64_t toMs) {
    ReportModel m;
    m.fromMs = m.periodFromMs = fromMs;
    m.toMs = toMs;
    m.entries = entries.size();
    std::optional<ReportSession> open;
    std::map<std::string, json> pendingSupervisorJoin;  // by profile
    std::map<std::string, std::string> pendingUserPage;  // by profile: the page a user's join came from
    std::string joinedProfile, joinedSsid;
    std::vector<ReportMark> marks;
    std::vector<ReportPoint> points;
    std::map<std::pair<std::string, int>, HeardChannel> heard;

    const auto close = [&](std::int64_t t, const std::string& event, const json* lost) {
        if (!open) return;
        open->endMs = std::clamp(t, fromMs, toMs);
        open->endReason = EndReason(event);
        open->drop = event == "lost" || event == "refused";
        if (lost && lost->contains("before") && (*lost)["before"].is_array()) {
            int lowest = 0;
            for (const auto& v : (*lost)["before"])
                if (v.is_number_integer()) lowest = lowest == 0 ? v.get<int>() : std::min(lowest, v.get<int>());
            open->lowestBeforeDbm = lowest;
            open->weakBefore = lowest != 0 && lowest < kWeakSignalDbm;
        }
        if (open->drop) {
            ++m.drops;
            if (open->weakBefore) ++m.weakDrops;
            ++m.dropsByReason[open->weakBefore ? "signal lost after it fell below -80 dBm" : open->endReason];
            marks.push_back({t, "drop", "drop: " + open->ssid + " (" + open->endReason + ")"});
        }
        m.connectedMs += std::max<std::int64_t>(0, open->endMs - open->startMs);
        m.sessions.push_back(std::move(*open));
        open.reset();
    };

    // Time before the history began is not counted: the report covers what was recorded.
    if (!entries.empty()) {
        const std::int64_t first = entries.front()["t"].get<std::int64_t>();
        if (first > fromMs && first <= toMs) m.fromMs = fromMs = first;
    }
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const json& e = entries[index];
        const std::int64_t t = e["t"].get<std::int64_t>();
        if (t > toMs) break;
        const std::string kind = e["k"].get<std::string>();
        if (kind == "start") {
            close(t, "crash", nullptr);  // a session the last run never ended
        } else if (kind == "end") {
            close(t, "end", nullptr);
        } else if (kind == "card") {
            marks.push_back({t, "card", Flag(e, "present") ? "card inserted" : "card pulled out"});
        } else if (kind == "radio") {
            marks.push_back({t, "radio", std::string("radio ") + (Flag(e, "on") ? "on" : "off") + " (" +
                                             (Text(e, "by") == "user" ? "user" : "switch") + ")"});
        } else if (kind == "join") {
            if (Text(e, "by") == "supervisor") pendingSupervisorJoin[Text(e, "profile")] = e;
            else if (Text(e, "by") == "user") pendingUserPage[Text(e, "profile")] = Text(e, "page");
        } else if (kind == "result") {
            const std::string profile = Text(e, "profile");
            const std::string ssid = Text(e, "ssid");
            const int code = Int(e, "code", -1);
            const auto pending = pendingSupervisorJoin.find(profile);
            const auto asked = pendingUserPage.find(profile);
            if (code == 0) {
                joinedProfile = profile;
                joinedSsid = ssid;
                std::string label = "joined " + (ssid.empty() ? profile : ssid);
                if (asked != pendingUserPage.end() && !asked->second.empty()) label += " (asked on " + asked->second + ")";
                marks.push_back({t, "join", std::move(label)});
                if (pending != pendingSupervisorJoin.end()) {
                    const json& join = pending->second;
                    std::string why;
                    if (join.contains("skipped") && join["skipped"].is_array() && !join["skipped"].empty()) {
                        for (const auto& s : join["skipped"]) {
                            why += why.empty() ? " because " : " and ";
                            const std::string reason = Text(s, "reason");
                            why += Text(s, "profile") + (reason == JoinResultText(1)   ? " was not heard"
                                                         : reason == JoinResultText(2) ? " refused the security settings"
                                                                                       : " failed (" + reason + ")");
                        }
                    } else {
                        why = ", " + Ordinal(std::max(1, Int(join, "place", 1))) + " in the prefer list";
                    }
                    m.decisions.push_back("joined " + profile + why);
                }
            } else {
                std::string reason = code == 2 ? RefusalReason(entries, index, ssid) : JoinResultText(code);
                ++m.failuresByReason[reason];
                if (code == 2) {
                    ReportMark refusal{t, "refusal", reason + " for " + (ssid.empty() ? profile : ssid)};
                    m.refusals.push_back(refusal);
                    marks.push_back(refusal);
                }
            }
            if (pending != pendingSupervisorJoin.end()) pendingSupervisorJoin.erase(pending);
            if (asked != pendingUserPage.end()) pendingUserPage.erase(asked);
        } else if (kind == "up") {
            close(t, "roam", nullptr);  // a new link while one was up: another access point
            ReportSession s;
            s.startMs = std::max(t, fromMs);
            s.ssid = Text(e, "ssid");
            s.profile = s.ssid == joinedSsid ? joinedProfile : std::string();
            s.bssid = Text(e, "bssid");
            s.band = Text(e, "band");
            s.channel = Int(e, "channel");
            s.security = Text(e, "security");
            open = std::move(s);
            if (e.contains("dbm")) points.push_back({t, Int(e, "dbm")});
        } else if (kind == "sample") {
            points.push_back({t, Int(e, "dbm")});
        } else if (kind == "lost") {
            close(t, Text(e, "event"), &e);
        } else if (kind == "scan" && e.contains("nets") && e["nets"].is_array()) {
            for (const auto& n : e["nets"]) {
                HeardChannel h{Text(n, "ssid"), Int(n, "ch"), Int(n, "dbm", -100), Text(n, "sec")};
                if (h.channel <= 0) continue;
                auto [it, fresh] = heard.try_emplace({h.ssid, h.channel}, h);
                if (!fresh) it->second.dbm = std::max(it->second.dbm, h.dbm), it->second.security = h.security;
            }
        }
    }
    if (open) {
        open->endMs = toMs;
        open->endReason = "still connected";
        m.connectedMs += std::max<std::int64_t>(0, toMs - open->startMs);
        m.sessions.push_back(std::move(*open));
    }
    if (m.decisions.size() > kMaxDecisions) m.decisions.erase(m.decisions.begin(), m.decisions.end() - kMaxDecisions);
    m.signal = ThinSignal(points, fromMs, toMs);
    m.marks = Thin(std::move(marks), fromMs, toMs);

    for (auto& [key, h] : heard) m.networks.push_back(h);
    std::stable_sort(m.networks.begin(), m.networks.end(),
                     [](const HeardChannel& a, const HeardChannel& b) { return a.dbm > b.dbm; });
    std::vector<std::pair<double, int>> load24;
    for (int c : {1, 6, 11}) {
        double load = 0;
        for (const auto& n : m.networks)
            if (n.channel <= 14) load += ChannelOverlap(c, n.channel);
        load24.emplace_back(load, c);
    }
    std::stable_sort(load24.begin(), load24.end());
    for (const auto& [load, c] : load24) m.quietChannels24.push_back(c);
    std::vector<std::pair<int, int>> load5;
    // 5 GHz channels that need no radar detection of the access point.
    for (int c : {36, 40, 44, 48, 149, 153, 157, 161}) {
        int load = 0;
        for (const auto& n : m.networks) load += n.channel == c ? 1 : 0;
        load5.emplace_back(load, c);
    }
    std::stable_sort(load5.begin(), load5.end());
    for (std::size_t i = 0; i < 3; ++i) m.quietChannels5.push_back(load5[i].second);
    return m;
}

}  // namespace tembrel
