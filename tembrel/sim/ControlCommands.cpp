#include "ControlCommands.h"

#include "NetworkJson.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstdio>
#include <sstream>

namespace tembrel::sim {

using nlohmann::json;

namespace {

bool ParseInt(const std::string& text, long long lo, long long hi, long long& out) {
    long long v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end || v < lo || v > hi) return false;
    out = v;
    return true;
}

std::string SecurityText(const Network& n) {
    std::string s = SecurityName(n.security);
    if (n.cipher == Cipher::Tkip && (n.security == Security::Wpa2Psk || n.security == Security::Wpa2Eap)) s += "/tkip";
    if (n.cipher == Cipher::Aes && (n.security == Security::WpaPsk || n.security == Security::WpaEap)) s += "/aes";
    return s;
}

std::string Describe(const Network& n, bool associated) {
    char line[256];
    std::snprintf(line, sizeof line, "%-24s %s  ch %-3u %s  %-10s %4d dBm (level %d)%s%s%s", n.ssid.c_str(),
                  FormatMac(n.bssid).c_str(), n.channel, n.band == Band::A ? "a" : n.band == Band::B ? "b" : "g",
                  SecurityText(n).c_str(), n.rssiDbm, n.levelDbm, n.adHoc ? "  ad-hoc" : "",
                  n.hidden ? "  hidden" : "", associated ? "  <associated>" : "");
    std::string out = line;
    if (n.autoLink.present) out += "  auto-link state " + std::to_string(n.autoLink.state);
    if (n.autoLink.present && n.autoLink.silent) out += " (silent)";
    return out;
}

// key=value words of "add" become one network object.
bool WordsToNetwork(const std::vector<std::string>& words, json& obj, std::string& error) {
    obj = json::object();
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        const size_t eq = w.find('=');
        if (eq == std::string::npos || eq == 0) {
            // Not quoted: a word typed without its key may be a passphrase.
            error = "argument " + std::to_string(i) + " is not key=value";
            return false;
        }
        const std::string key = w.substr(0, eq);
        const std::string value = w.substr(eq + 1);
        // The Auto Link object is built from autolink=, tag= and pin= only: a word naming it
        // directly would make it a text that those words then could not fill.
        if (key == "autoLink") {
            error = "give Auto Link as autolink=STATE tag=N pin=TEXT";
            return false;
        }
        long long number = 0;
        if (key == "channel" || key == "signal" || key == "keyIndex" || key == "beaconInterval") {
            if (!ParseInt(value, -100000, 100000, number)) {
                error = key + " must be a whole number";
                return false;
            }
            obj[key] = number;
        } else if (key == "hidden" || key == "adhoc") {
            if (value != "true" && value != "false" && value != "1" && value != "0") {
                error = key + " must be true or false";
                return false;
            }
            obj[key] = value == "true" || value == "1";
        } else if (key == "eap") {
            json list = json::array();
            std::stringstream ss(value);
            for (std::string m; std::getline(ss, m, ',');) list.push_back(m);
            obj[key] = list;
        } else if (key == "autolink" || key == "tag") {
            if (!ParseInt(value, -100000, 100000, number)) {
                error = key + " must be a whole number";
                return false;
            }
            obj["autoLink"][key == "autolink" ? "state" : "tag"] = number;
        } else if (key == "pin") {
            obj["autoLink"]["pin"] = value;
        } else if (key == "silent") {
            if (value != "true" && value != "false" && value != "1" && value != "0") {
                error = key + " must be true or false";
                return false;
            }
            obj["autoLink"]["silent"] = value == "true" || value == "1";
        } else {
            obj[key] = value;
        }
    }
    return true;
}

std::string Status(Card& card) {
    std::ostringstream out;
    out << "card: " << (card.present() ? "present" : "out") << "\n";
    out << "mac: " << FormatMac(card.mac()) << "\n";
    const uint32_t radio = card.radioControl();
    out << "radio: " << (radio == 2 ? "off (hardware switch)" : radio == 1 ? "on" : "off") << "\n";
    out << "network mode: " << (card.settings().networkMode == ZARN9100_NETWORK_ADHOC ? "ad hoc" : "infrastructure") << "\n";
    const std::string ssid = card.linkSsid();
    if (card.connected()) {
        out << "link: associated with \"" << ssid << "\" " << FormatMac(card.linkBssid()) << " channel "
            << card.currentChannel() << "\n";
        if (auto r = card.rssi()) out << "rssi: " << *r << " dBm\n";
        const uint32_t speed = card.linkSpeed100bps();
        out << "link speed: " << speed / 10000 << (speed % 10000 != 0 ? ".5" : "") << " Mbps\n";
    } else if (!ssid.empty()) {
        out << "link: ad-hoc network \"" << ssid << "\" started, waiting for a peer\n";
    } else {
        out << "link: not associated\n";
    }
    out << "profile in use: " << card.settings().profileInUse << "\n";
    const Counters& c = card.counters();
    out << "tx fragments: " << c.stats.TransmittedFragmentCount << ", rx fragments: " << c.stats.ReceivedFragmentCount
        << ", retries: " << c.stats.RetryCount << ", FCS errors: " << c.stats.FCSErrorCount << "\n";
    out << "beacons received: " << c.beacons.BeaconsReceived << ", lost: " << c.beacons.BeaconsLost;
    return out.str();
}

std::string RangeText(const uint8_t ranges[][2], size_t count, unsigned spacing) {
    std::string out;
    for (size_t i = 0; i < count && ranges[i][0] != 0; ++i) {
        if (!out.empty()) out += ", ";
        const unsigned first = ranges[i][0];
        const unsigned n = ranges[i][1];
        out += std::to_string(first);
        if (n > 1) out += (spacing == 1 ? "-" : "..") + std::to_string(first + spacing * (n - 1));
    }
    return out.empty() ? "none" : out;
}

// The values the About, Debug and Test pages read and set.
std::string Diagnostics(Card& card) {
    std::ostringstream out;
    const uint32_t fw = identity::kFirmwareVersion;
    out << "driver: " << identity::kDriverVersion << " (" << identity::kDriverDate << "), firmware " << (fw >> 24)
        << "." << ((fw >> 16) & 0xff) << "." << ((fw >> 8) & 0xff) << "." << (fw & 0xff) << ", chip version "
        << identity::kChipVersion << "\n";
    char line[160];
    std::snprintf(line, sizeof line, "region code: 0x%02X\n", card.regionCode());
    out << line;
    const Settings& s = card.settings();
    const _ZARN9100_REGION_CTRL& r = s.region;
    const char* modes[] = {"?", "disabled", "flexible", "strict"};
    std::snprintf(line, sizeof line, "region control: %s, country \"%.2s\", power %u dBm, 802.11a power %u dBm\n",
                  r.mode <= 3 ? modes[r.mode] : "?", r.countryCode, r.maxTxPower, r.maxTxPower11a);
    out << line;
    out << "  channels: " << RangeText(r.channelRanges, 16, 1) << "; 802.11a: " << RangeText(r.channelRanges11a, 24, 4)
        << "\n";
    out << "channel range: " << ((s.channelRange >> 8) & 0xff) << " to " << (s.channelRange & 0xff)
        << ", signal threshold: " << s.signalThreshold << ", tx fail threshold: " << s.txFailThreshold << "\n";
    uint32_t type = 0;
    card.registers().readRf(0, type);
    out << "RF chip type " << type << ", calibration:";
    for (uint32_t index : {0x1au, 0x1bu, 0x1cu, 0x21u, 0x20u, 0x26u, 0x24u}) {
        uint32_t value = 0;
        card.registers().readRf(index, value);
        std::snprintf(line, sizeof line, " %02XH=%02X", index, value);
        out << line;
    }
    return out.str();
}

// The radio parameters as the Advanced, Debug and Test pages set and read them.
std::string RadioSettings(const Card& card) {
    const Settings& s = card.settings();
    std::ostringstream out;
    out << "power mode: " << s.powerMode << "\n";
    out << "preamble: " << s.preamble << "\n";
    out << "data rate: " << s.dataRate << "\n";
    out << "fragmentation threshold: " << s.fragThreshold << "\n";
    out << "RTS threshold: " << s.rtsThreshold << "\n";
    out << "transmit power: " << s.txPower << "\n";
    out << "transmit antenna: " << s.txAntenna << "\n";
    out << "receive antenna: " << s.rxAntenna << "\n";
    out << "boost mode: " << s.boostMode << "\n";
    out << "channel range: " << ((s.channelRange >> 8) & 0xff) << " to " << (s.channelRange & 0xff) << "\n";
    out << "signal threshold: " << s.signalThreshold << "\n";
    out << "transmit fail threshold: " << s.txFailThreshold;
    return out.str();
}

// Every counter the statistics pages show.
std::string StatisticsText(const Card& card) {
    const Counters& c = card.counters();
    const auto& s = c.stats;
    std::ostringstream out;
    out << "transmitted fragments: " << s.TransmittedFragmentCount << "\n";
    out << "multicast transmitted: " << s.MulticastTransmittedFrameCount << "\n";
    out << "failed: " << s.FailedCount << "\n";
    out << "retries: " << s.RetryCount << "\n";
    out << "multiple retries: " << s.MultipleRetryCount << "\n";
    out << "RTS successes: " << s.RTSSuccessCount << "\n";
    out << "RTS failures: " << s.RTSFailureCount << "\n";
    out << "ACK failures: " << s.ACKFailureCount << "\n";
    out << "duplicate frames: " << s.FrameDuplicateCount << "\n";
    out << "received fragments: " << s.ReceivedFragmentCount << "\n";
    out << "multicast received: " << s.MulticastReceivedFrameCount << "\n";
    out << "FCS errors: " << s.FCSErrorCount << "\n";
    out << "RSSI ranges: " << c.rssi.Range[0] << " " << c.rssi.Range[1] << " " << c.rssi.Range[2] << " "
        << c.rssi.Range[3] << "\n";
    out << "beacons received: " << c.beacons.BeaconsReceived << ", lost: " << c.beacons.BeaconsLost;
    return out.str();
}

}  // namespace

std::string ControlHelp() {
    return "commands:\n"
           "  status                         card, radio, link and counters\n"
           "  diagnostics                    versions, region control, thresholds, RF calibration\n"
           "  networks                       the radio environment\n"
           "  radio                          the card's radio parameters and thresholds\n"
           "  statistics                     every 802.11 counter, RSSI ranges and beacons\n"
           "  card out | card in             pull the card out / plug it in\n"
           "  radio-switch off | on          the hardware radio switch\n"
           "  signal NETWORK DBM             set a network's signal level (-110 to -10)\n"
           "  channel NETWORK N              move a network to another channel\n"
           "  add KEY=VALUE...               add a network (keys as in the environment file;\n"
           "                                 autolink=STATE tag=N pin=TEXT silent=1 for Auto Link)\n"
           "  add '{JSON}'                   add a network given as one JSON object\n"
           "  remove NETWORK                 take a network away\n"
           "  advance MS                     move simulation time forward\n"
           "  hostile on | off               answer every query with nonsense (a broken driver)\n"
           "  storm MS                       events as fast as they can be delivered, for MS (at most 60000)\n"
           "  help                           this text\n"
           "NETWORK is an SSID or a BSSID such as 00:1D:4F:10:00:05.";
}

bool ParseCommandWords(const std::string& text, std::vector<std::string>& words, std::string& error) {
    const json doc = json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.is_array() || doc.empty() || doc.size() > 64) {
        error = "a command is a JSON array of 1 to 64 words";
        return false;
    }
    words.clear();
    for (const json& w : doc) {
        if (!w.is_string()) {
            error = "every word of a command is a string";
            return false;
        }
        words.push_back(w.get<std::string>());
    }
    return true;
}

bool ParseMilliseconds(const std::string& text, uint64_t& ms) {
    long long v = 0;
    if (!ParseInt(text, 0, 24LL * 3600 * 1000, v)) return false;
    ms = uint64_t(v);
    return true;
}

bool RunControlCommand(Card& card, const std::vector<std::string>& words, std::string& reply) {
    if (words.empty()) {
        reply = "no command; try \"help\"";
        return false;
    }
    const std::string& cmd = words[0];
    const size_t argc = words.size() - 1;
    auto usage = [&](const char* text) {
        reply = std::string("usage: ") + text;
        return false;
    };
    if (cmd == "help") {
        reply = ControlHelp();
        return true;
    }
    if (cmd == "status") {
        reply = Status(card);
        return true;
    }
    if (cmd == "diagnostics") {
        reply = Diagnostics(card);
        return true;
    }
    if (cmd == "radio") {
        reply = RadioSettings(card);
        return true;
    }
    if (cmd == "statistics") {
        reply = StatisticsText(card);
        return true;
    }
    if (cmd == "networks") {
        std::string out;
        const MacAddress linked = card.connected() ? card.linkBssid() : MacAddress{};
        for (const Network& n : card.networks()) {
            if (!out.empty()) out += "\n";
            out += Describe(n, card.connected() && n.bssid == linked);
        }
        reply = out.empty() ? "no networks" : out;
        return true;
    }
    if (cmd == "card") {
        if (argc != 1 || (words[1] != "out" && words[1] != "in")) return usage("card out | card in");
        if (words[1] == "out") card.pullOut();
        else card.plugIn();
        reply = std::string("card ") + (card.present() ? "present" : "out");
        return true;
    }
    if (cmd == "radio-switch") {
        if (argc != 1 || (words[1] != "off" && words[1] != "on")) return usage("radio-switch off | on");
        card.setRadioSwitch(words[1] == "on");
        reply = std::string("radio switch ") + words[1];
        return true;
    }
    if (cmd == "hostile") {
        if (argc != 1 || (words[1] != "off" && words[1] != "on")) return usage("hostile on | off");
        card.setHostile(words[1] == "on");
        reply = std::string("hostile mode ") + words[1];
        return true;
    }
    if (cmd == "signal" || cmd == "channel") {
        if (argc != 2) return usage(cmd == "signal" ? "signal NETWORK DBM" : "channel NETWORK N");
        Network* n = card.findNetwork(words[1]);
        if (n == nullptr) {
            reply = "no network \"" + words[1] + "\"";
            return false;
        }
        long long v = 0;
        if (cmd == "signal") {
            if (!ParseInt(words[2], -110, -10, v)) {
                reply = "the signal is a whole number of dBm from -110 to -10";
                return false;
            }
            card.setSignal(*n, int32_t(v));
            reply = n->ssid + " now at " + words[2] + " dBm";
            return true;
        }
        if (!ParseInt(words[2], 1, 165, v) || !IsValidChannel(uint32_t(v)) ||
            IsFiveGigahertz(uint32_t(v)) != (n->band == Band::A)) {
            reply = "channel " + words[2] + " is not a channel of this network's band";
            return false;
        }
        n->channel = uint32_t(v);
        reply = n->ssid + " now on channel " + words[2];
        return true;
    }
    if (cmd == "add") {
        if (argc == 0) return usage("add KEY=VALUE... | add '{JSON}'");
        json obj;
        std::string error;
        if (argc == 1 && !words[1].empty() && words[1][0] == '{') {
            obj = json::parse(words[1], nullptr, false);
            if (obj.is_discarded()) {
                reply = "the network is not valid JSON";
                return false;
            }
        } else if (!WordsToNetwork(words, obj, error)) {
            reply = error;
            return false;
        }
        auto n = ParseNetworkObject(obj, error);
        if (!n) {
            reply = error;
            return false;
        }
        const std::string ssid = n->ssid;
        if (!card.addNetwork(std::move(*n), error)) {
            reply = error;
            return false;
        }
        reply = "added " + ssid;
        return true;
    }
    if (cmd == "remove") {
        if (argc != 1) return usage("remove NETWORK");
        if (!card.removeNetwork(words[1])) {
            reply = "no network \"" + words[1] + "\"";
            return false;
        }
        reply = "removed " + words[1];
        return true;
    }
    reply = "unknown command \"" + cmd + "\"; try \"help\"";
    return false;
}

}  // namespace tembrel::sim
