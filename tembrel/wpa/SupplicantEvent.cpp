#include "SupplicantEvent.h"

namespace tembrel::wpa {

std::optional<SupplicantEvent> ParseEvent(const std::string& message) {
    if (message.size() < 3 || message[0] != '<') return std::nullopt;
    const size_t close = message.find('>');
    if (close == std::string::npos || close == 1 || close > 4) return std::nullopt;
    for (size_t i = 1; i < close; ++i) {
        if (message[i] < '0' || message[i] > '9') return std::nullopt;
    }
    const size_t space = message.find(' ', close + 1);
    SupplicantEvent event;
    event.name = message.substr(close + 1, space == std::string::npos ? std::string::npos : space - close - 1);
    if (space != std::string::npos) event.fields = message.substr(space + 1);
    while (!event.fields.empty() && (event.fields.back() == '\n' || event.fields.back() == ' ')) event.fields.pop_back();
    return event;
}

std::string LastField(const std::string& fields, const std::string& key) {
    const std::string word = key + "=";
    size_t at = fields.rfind(" " + word);
    if (at != std::string::npos) ++at;
    else if (fields.compare(0, word.size(), word) == 0) at = 0;
    else return {};
    const size_t begin = at + word.size();
    const size_t end = fields.find(' ', begin);
    return fields.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::string ServerCertificateHash(const std::string& fields) {
    if (fields.compare(0, 8, "depth=0 ") != 0) return {};
    // " tod=1" or " tod=2" may follow the hash; the hash is the last word before it.
    std::string rest = fields;
    const size_t tod = rest.rfind(" tod=");
    if (tod != std::string::npos && rest.find(' ', tod + 1) == std::string::npos) rest.resize(tod);
    const size_t at = rest.rfind(" hash=");
    if (at == std::string::npos) return {};
    const std::string hash = rest.substr(at + 6);
    return IsSha256Hex(hash) ? hash : std::string();
}

std::optional<std::string> NetworkIdOf(const SupplicantEvent& event) {
    size_t at;
    if (event.name == "CTRL-EVENT-CONNECTED") {
        static const std::string kBefore = "- Connection to ", kAfter = " completed [id=";
        constexpr size_t kBssidText = 17;
        at = kBefore.size() + kBssidText;
        if (event.fields.compare(0, kBefore.size(), kBefore) != 0 || event.fields.compare(at, kAfter.size(), kAfter) != 0)
            return std::nullopt;
        at += kAfter.size();
    } else if (event.name == "CTRL-EVENT-SSID-TEMP-DISABLED") {
        if (event.fields.compare(0, 3, "id=") != 0) return std::nullopt;
        at = 3;
    } else {
        return std::nullopt;
    }
    const size_t end = event.fields.find_first_not_of("0123456789", at);
    if (end == at || end == std::string::npos || (event.fields[end] != ' ' && event.fields[end] != ']')) return std::nullopt;
    return event.fields.substr(at, end - at);
}

bool IsSha256Hex(const std::string& text) {
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace tembrel::wpa
