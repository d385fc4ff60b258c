#include "history/ReportHtml.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <sstream>

namespace tembrel {

namespace {

constexpr char kSecondsFormat[] = "%Y-%m-%d %H:%M:%S";

std::string LocalTime(std::int64_t ms, const char* format = "%Y-%m-%d %H:%M") {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

std::string Fixed(double v, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

std::string Plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

constexpr char kStyle[] = R"css(
:root { color-scheme: light dark; --fg: #1b1f24; --bg: #ffffff; --muted: #5b6570; --grid: #d0d7de;
  --up: #c9ecd2; --signal: #0b62c4; --drop: #c62828; --refusal: #e07b00; --join: #2e7d32; --card: #6a1b9a;
  --radio: #5d4037; --bar: #7aa7e0; --panel: #f4f6f8; }
@media (prefers-color-scheme: dark) { :root { --fg: #e6e9ed; --bg: #15181c; --muted: #9aa4ae; --grid: #39414a;
  --up: #1f4a2b; --signal: #7ab8ff; --drop: #ff6b6b; --refusal: #ffb04d; --join: #7bd88f; --card: #d29bff;
  --radio: #c8a58f; --bar: #3d6ea8; --panel: #1f242a; } }
body { font: 14px/1.45 "DejaVu Sans", system-ui, sans-serif; color: var(--fg); background: var(--bg);
  max-width: 60em; margin: 1.5em auto; padding: 0 1em; }
h1 { font-size: 1.5em; margin: 0 0 .2em; } h2 { font-size: 1.15em; margin: 1.6em 0 .5em; }
.period { color: var(--muted); margin: 0 0 1em; }
#summary { font-size: 1.1em; background: var(--panel); padding: .7em 1em; border-radius: 6px; }
svg { width: 100%; height: auto; display: block; }
svg text { fill: var(--fg); font-size: 11px; font-family: "DejaVu Sans", sans-serif; }
.grid { stroke: var(--grid); stroke-width: 1; }
.signal { fill: none; stroke: var(--signal); stroke-width: 1.5; }
.link-up { fill: var(--up); }
.weak { stroke: var(--drop); stroke-dasharray: 4 3; stroke-width: 1; }
.mark line { stroke-width: 2; }
.mark-drop line { stroke: var(--drop); } .mark-drop circle { fill: var(--drop); }
.mark-refusal line { stroke: var(--refusal); } .mark-refusal circle { fill: var(--refusal); }
.mark-join line { stroke: var(--join); } .mark-join circle { fill: var(--join); }
.mark-card line { stroke: var(--card); } .mark-card circle { fill: var(--card); }
.mark-radio line { stroke: var(--radio); } .mark-radio circle { fill: var(--radio); }
.legend span { margin-right: 1.2em; white-space: nowrap; }
.legend i { display: inline-block; width: .8em; height: .8em; margin-right: .3em; vertical-align: -.05em; }
.occupancy { fill: var(--bar); fill-opacity: .35; stroke: var(--bar); }
.bar { fill: var(--bar); }
table { border-collapse: collapse; width: 100%; }
th, td { text-align: left; padding: .25em .6em; border-bottom: 1px solid var(--grid); vertical-align: top; }
th { font-weight: 600; }
td.num, th.num { text-align: right; }
.muted { color: var(--muted); }
@page { size: A4; margin: 14mm; }
@media print { body { max-width: none; margin: 0; font-size: 10pt; } section { break-inside: avoid; }
  #summary { border: 1px solid var(--grid); } }
)css";

// The time axis of the timeline.
struct Axis {
    std::int64_t from, to;
    double left, width;
    double x(std::int64_t t) const {
        const double span = static_cast<double>(std::max<std::int64_t>(1, to - from));
        return left + width * std::clamp(static_cast<double>(t - from) / span, 0.0, 1.0);
    }
};

constexpr double kTop = 20, kSignalHeight = 150, kBandTop = 180, kBandHeight = 16, kMarksTop = 204;
constexpr int kDbmHigh = -30, kDbmLow = -100;

double Y(int dbm) {
    const double f = static_cast<double>(std::clamp(dbm, kDbmLow, kDbmHigh) - kDbmHigh) / (kDbmLow - kDbmHigh);
    return kTop + f * kSignalHeight;
}

void Timeline(std::ostringstream& out, const ReportModel& m) {
    const Axis axis{m.fromMs, m.toMs, 50, 930};
    out << "<svg id=\"timeline\" viewBox=\"0 0 1000 270\" role=\"img\" aria-label=\"Signal, link and events over time\">";
    // Signal grid every 10 dBm, the weak line at -80 dBm.
    for (int dbm = kDbmHigh; dbm >= kDbmLow; dbm -= 10)
        out << "<line class=\"grid\" x1=\"50\" x2=\"980\" y1=\"" << Fixed(Y(dbm), 1) << "\" y2=\"" << Fixed(Y(dbm), 1)
            << "\"/><text x=\"44\" y=\"" << Fixed(Y(dbm) + 4, 1) << "\" text-anchor=\"end\">" << dbm << "</text>";
    out << "<line class=\"weak\" x1=\"50\" x2=\"980\" y1=\"" << Fixed(Y(kWeakSignalDbm), 1) << "\" y2=\""
        << Fixed(Y(kWeakSignalDbm), 1) << "\"/>";
    out << "<text x=\"50\" y=\"12\">Signal (dBm)</text>";
    // Link state as a band.
    out << "<text x=\"44\" y=\"" << kBandTop + 12 << "\" text-anchor=\"end\">link</text>";
    out << "<rect class=\"grid\" fill=\"none\" x=\"50\" y=\"" << kBandTop << "\" width=\"930\" height=\"" << kBandHeight << "\"/>";
    for (const auto& s : m.sessions)
        out << "<rect class=\"link-up\" x=\"" << Fixed(axis.x(s.startMs), 1) << "\" y=\"" << kBandTop << "\" width=\""
            << Fixed(std::max(1.0, axis.x(s.endMs) - axis.x(s.startMs)), 1) << "\" height=\"" << kBandHeight
            << "\"><title>" << EscapeXml(s.ssid + ", " + LocalTime(s.startMs) + " to " + LocalTime(s.endMs)) << "</title></rect>";
    // The signal, broken where the link was down: one line per session.
    for (const auto& s : m.sessions) {
        std::string points;
        for (const auto& p : m.signal)
            if (p.t >= s.startMs && p.t <= s.endMs)
                points += Fixed(axis.x(p.t), 1) + "," + Fixed(Y(p.dbm), 1) + " ";
        if (!points.empty()) {
            // A session's signal holds until it ends.
            const auto last = std::find_if(m.signal.rbegin(), m.signal.rend(),
                                           [&](const ReportPoint& p) { return p.t >= s.startMs && p.t <= s.endMs; });
            points += Fixed(axis.x(s.endMs), 1) + "," + Fixed(Y(last->dbm), 1);
            out << "<polyline class=\"signal\" points=\"" << points << "\"/>";
        }
    }
    // Events as marks, each kind on its own row.
    const std::map<std::string, int> rows{{"join", 0}, {"refusal", 1}, {"drop", 2}, {"card", 3}, {"radio", 4}};
    for (const auto& [kind, row] : rows)
        out << "<text x=\"44\" y=\"" << kMarksTop + row * 12 + 8 << "\" text-anchor=\"end\">" << kind << "</text>";
    out << "<g class=\"marks\">";
    for (const auto& mark : m.marks) {
        const auto row = rows.find(mark.kind);
        if (row == rows.end()) continue;
        const double x = axis.x(mark.t), y = kMarksTop + row->second * 12 + 4;
        out << "<g class=\"mark mark-" << mark.kind << "\" data-kind=\"" << mark.kind << "\" data-count=\"" << mark.count
            << "\"><line x1=\"" << Fixed(x, 1) << "\" x2=\"" << Fixed(x, 1) << "\" y1=\"" << kTop << "\" y2=\""
            << kTop + kSignalHeight << "\" stroke-opacity=\"0.25\"/><circle cx=\"" << Fixed(x, 1) << "\" cy=\"" << y
            << "\" r=\"" << (mark.count > 1 ? 5 : 3.5) << "\"/><title>" << EscapeXml(LocalTime(mark.t) + " " + mark.label)
            << "</title></g>";
    }
    out << "</g>";
    // Time ticks: six, with dates.
    for (int i = 0; i <= 5; ++i) {
        const std::int64_t t = m.fromMs + (m.toMs - m.fromMs) * i / 5;
        // A short span needs the seconds, a long one the date.
        const char* format = m.toMs - m.fromMs < 3'600'000 ? "%H:%M:%S" : "%m-%d %H:%M";
        out << "<text x=\"" << Fixed(axis.x(t), 1) << "\" y=\"266\" text-anchor=\""
            << (i == 0 ? "start" : i == 5 ? "end" : "middle") << "\">" << EscapeXml(LocalTime(t, format)) << "</text>";
    }
    out << "</svg>";
    out << "<p class=\"legend\"><span><i style=\"background:var(--signal)\"></i>signal</span>"
           "<span><i style=\"background:var(--up)\"></i>connected</span>"
           "<span><i style=\"background:var(--join)\"></i>join</span>"
           "<span><i style=\"background:var(--refusal)\"></i>refused join</span>"
           "<span><i style=\"background:var(--drop)\"></i>drop</span>"
           "<span><i style=\"background:var(--card)\"></i>card</span>"
           "<span><i style=\"background:var(--radio)\"></i>radio</span>"
           "<span class=\"muted\">dashed: -80 dBm</span></p>";
}

void Channels24(std::ostringstream& out, const ReportModel& m) {
    // Channels 1 to 14 across; each network drawn as the 22 MHz it covers (two channels each side).
    const auto x = [](double channel) { return 40 + (channel + 1) * 900.0 / 17; };
    out << "<svg id=\"channels-24\" viewBox=\"0 0 1000 190\" role=\"img\" aria-label=\"2.4 GHz channel occupancy\">";
    for (int c = 1; c <= 14; ++c)
        out << "<text x=\"" << Fixed(x(c), 1) << "\" y=\"184\" text-anchor=\"middle\">" << c << "</text>";
    out << "<line class=\"grid\" x1=\"40\" x2=\"980\" y1=\"170\" y2=\"170\"/>";
    int shown = 0;
    for (const auto& n : m.networks) {
        if (n.channel < 1 || n.channel > 14) continue;
        // Names of neighbouring networks on three staggered lines, so that they stay readable.
        const double lift = 11.0 * (shown++ % 3);
        const double top = 45 + (static_cast<double>(std::clamp(-n.dbm, 20, 100)) - 20) * 125 / 80;
        out << "<g class=\"network\" data-channel=\"" << n.channel << "\"><path class=\"occupancy\" d=\"M"
            << Fixed(x(n.channel - 2.5), 1) << ",170 L" << Fixed(x(n.channel - 1.5), 1) << "," << Fixed(top, 1) << " L"
            << Fixed(x(n.channel + 1.5), 1) << "," << Fixed(top, 1) << " L" << Fixed(x(n.channel + 2.5), 1)
            << ",170 Z\"/><text x=\"" << Fixed(x(n.channel), 1) << "\" y=\"" << Fixed(top - 4 - lift, 1)
            << "\" text-anchor=\"middle\">" << EscapeXml(n.ssid.empty() ? "(hidden)" : n.ssid) << "</text><title>"
            << EscapeXml(n.ssid + ", channel " + std::to_string(n.channel) + ", " + std::to_string(n.dbm) + " dBm")
            << "</title></g>";
    }
    out << "</svg>";
}

void Channels5(std::ostringstream& out, const ReportModel& m) {
    std::map<int, int> count;
    for (const auto& n : m.networks)
        if (n.channel > 14) ++count[n.channel];
    for (int c : m.quietChannels5) count.try_emplace(c, 0);
    const double step = count.empty() ? 0 : 920.0 / static_cast<double>(count.size());
    int most = 1;
    for (const auto& [c, n] : count) most = std::max(most, n);
    out << "<svg id=\"channels-5\" viewBox=\"0 0 1000 120\" role=\"img\" aria-label=\"5 GHz channel occupancy\">";
    out << "<line class=\"grid\" x1=\"40\" x2=\"980\" y1=\"100\" y2=\"100\"/>";
    double x = 50;
    for (const auto& [c, n] : count) {
        const double h = 80.0 * n / most;
        out << "<g class=\"channel\" data-channel=\"" << c << "\" data-networks=\"" << n << "\"><rect class=\"bar\" x=\""
            << Fixed(x + step * 0.2, 1) << "\" y=\"" << Fixed(100 - h, 1) << "\" width=\"" << Fixed(step * 0.6, 1)
            << "\" height=\"" << Fixed(h, 1) << "\"/><text x=\"" << Fixed(x + step / 2, 1)
            << "\" y=\"114\" text-anchor=\"middle\">" << c << "</text><text x=\"" << Fixed(x + step / 2, 1) << "\" y=\""
            << Fixed(96 - h, 1) << "\" text-anchor=\"middle\">" << n << "</text></g>";
        x += step;
    }
    out << "</svg>";
}

std::string Joined(const std::vector<int>& v, std::size_t count) {
    std::string s;
    for (std::size_t i = 0; i < v.size() && i < count; ++i) s += (i ? ", " : "") + std::to_string(v[i]);
    return s;
}

}  // namespace

std::string EscapeXml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            // Control characters are not allowed in XML text.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') out += ' ';
            else out += c;
        }
    }
    return out;
}

std::string ReportSummary(const ReportModel& m, const std::string& periodText) {
    const std::string of = m.fromMs > m.periodFromMs ? "the time recorded since " + LocalTime(m.fromMs) : periodText;
    std::string s = "Connected " + Fixed(m.connectedPercent(), 1) + " % of " + of + "; " +
                    Plural(m.drops, "drop", "drops");
    if (m.drops > 0)
        s += ", " + std::to_string(m.weakDrops) + " of them after the signal fell below " +
             std::to_string(kWeakSignalDbm) + " dBm";
    s += "; " + Plural(static_cast<int>(m.refusals.size()), "refused join", "refused joins");
    if (!m.refusals.empty()) {
        std::map<std::string, int> byLabel;
        for (const auto& r : m.refusals) ++byLabel[r.label];
        std::string list;
        for (const auto& [label, n] : byLabel) list += (list.empty() ? "" : ", ") + label + (n > 1 ? " (" + std::to_string(n) + "\u00d7)" : "");
        s += ": " + list;
    }
    return s + ".";
}

std::string RenderReport(const ReportModel& m, const std::string& periodText) {
    std::ostringstream out;
    out << "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\"><head><meta charset=\"utf-8\"/>"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/><title>Wi-Fi Report</title><style>"
        << kStyle << "</style></head><body>";
    out << "<h1>Wi-Fi Report</h1><p class=\"period\">" << EscapeXml(LocalTime(m.fromMs)) << " to "
        << EscapeXml(LocalTime(m.toMs)) << " (" << EscapeXml(periodText) << ", " << m.entries << " entries)</p>";
    out << "<p id=\"summary\">" << EscapeXml(ReportSummary(m, periodText)) << "</p>";

    out << "<section><h2>Timeline</h2>";
    Timeline(out, m);
    out << "</section>";

    out << "<section><h2>Sessions</h2><table id=\"sessions\"><thead><tr><th>Start</th><th>End</th><th>Profile</th>"
           "<th>Network</th><th>Band and channel</th><th>Why it ended</th></tr></thead><tbody>";
    // Newest first; a busy week keeps its last 200 in the table.
    std::size_t shown = 0;
    for (auto s = m.sessions.rbegin(); s != m.sessions.rend() && shown < 200; ++s, ++shown) {
        std::string why = s->endReason;
        if (s->drop && s->lowestBeforeDbm != 0) why += " (lowest " + std::to_string(s->lowestBeforeDbm) + " dBm in the minute before)";
        out << "<tr class=\"" << (s->drop ? "drop" : "session") << "\"><td>" << EscapeXml(LocalTime(s->startMs, kSecondsFormat))
            << "</td><td>" << EscapeXml(LocalTime(s->endMs, kSecondsFormat)) << "</td><td>" << EscapeXml(s->profile) << "</td><td>"
            << EscapeXml(s->ssid) << " <span class=\"muted\">" << EscapeXml(s->bssid) << " " << EscapeXml(s->security)
            << "</span></td><td>" << EscapeXml(s->band) << ", channel " << s->channel << "</td><td>" << EscapeXml(why)
            << "</td></tr>";
    }
    if (m.sessions.empty()) out << "<tr><td colspan=\"6\" class=\"muted\">No connection in this period.</td></tr>";
    if (m.sessions.size() > shown)
        out << "<tr><td colspan=\"6\" class=\"muted\">" << m.sessions.size() - shown << " older sessions not listed.</td></tr>";
    out << "</tbody></table></section>";

    out << "<section><h2>Drops and failed joins by reason</h2><table id=\"reasons\"><thead><tr><th>What</th><th>Reason</th>"
           "<th class=\"num\">Count</th></tr></thead><tbody>";
    for (const auto& [reason, n] : m.dropsByReason)
        out << "<tr data-kind=\"drop\"><td>drop</td><td>" << EscapeXml(reason) << "</td><td class=\"num\">" << n << "</td></tr>";
    for (const auto& [reason, n] : m.failuresByReason)
        out << "<tr data-kind=\"join\"><td>failed join</td><td>" << EscapeXml(reason) << "</td><td class=\"num\">" << n
            << "</td></tr>";
    if (m.dropsByReason.empty() && m.failuresByReason.empty())
        out << "<tr><td colspan=\"3\" class=\"muted\">None.</td></tr>";
    out << "</tbody></table></section>";

    out << "<section><h2>The supervisor's recent decisions</h2><ul id=\"decisions\">";
    for (auto d = m.decisions.rbegin(); d != m.decisions.rend(); ++d) out << "<li>" << EscapeXml(*d) << "</li>";
    if (m.decisions.empty()) out << "<li class=\"muted\">The supervisor joined no network in this period.</li>";
    out << "</ul></section>";

    out << "<section><h2>Networks heard</h2><h3>2.4 GHz</h3>";
    Channels24(out, m);
    out << "<h3>5 GHz</h3>";
    Channels5(out, m);
    out << "<p id=\"quiet\">Least crowded channels for your own access point: 2.4 GHz channel "
        << Joined(m.quietChannels24, 1) << " (of 1, 6 and 11, least crowded first: " << Joined(m.quietChannels24, 3)
        << "); 5 GHz channels " << Joined(m.quietChannels5, 3) << ".</p>";
    out << "<table id=\"networks\"><thead><tr><th>Network</th><th class=\"num\">Channel</th><th class=\"num\">Strongest</th>"
           "<th>Security</th></tr></thead><tbody>";
    for (const auto& n : m.networks)
        out << "<tr><td>" << EscapeXml(n.ssid.empty() ? "(hidden)" : n.ssid) << "</td><td class=\"num\">" << n.channel
            << "</td><td class=\"num\">" << n.dbm << " dBm</td><td>" << EscapeXml(n.security) << "</td></tr>";
    if (m.networks.empty()) out << "<tr><td colspan=\"4\" class=\"muted\">No scan in this period.</td></tr>";
    out << "</tbody></table></section>";
    out << "<p class=\"muted\">Made by the Orvix LX-7700 Utility from its connection history.</p></body></html>\n";
    return out.str();
}

}  // namespace tembrel
