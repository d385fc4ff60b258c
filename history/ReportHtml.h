#pragma once
// The Wi-Fi report as one self-contained HTML page: inline CSS and SVG, no script, nothing
// fetched. It is also well-formed XML (every element closed, every attribute quoted, every text
// escaped), so that tools and tests can parse it. Light and dark browser themes and A4 print.
//
// Ids that stay: #summary, #timeline (.signal, .link-up, .mark[data-kind]), #sessions, #reasons,
// #decisions, #channels-24, #channels-5, #networks, #quiet.

#include "history/ReportModel.h"

#include <string>

namespace tembrel {

// periodText: "the last 7 days"; times are shown in the local time zone.
std::string RenderReport(const ReportModel& model, const std::string& periodText);

// The summary line: "Connected 97.2 % of the last 7 days; 3 drops, 2 of them after the signal
// fell below -80 dBm; 1 refused join: passphrase does not match the network for Home-WPA2."
std::string ReportSummary(const ReportModel& model, const std::string& periodText);

// Text escaped for an element or an attribute.
std::string EscapeXml(const std::string& text);

}  // namespace tembrel
