#include "Environment.h"

#include "NetworkJson.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <climits>
#include <fstream>
#include <sstream>
#include <iterator>
#include <map>
#include <set>

namespace tembrel::sim {

using nlohmann::json;

namespace {

// An input iterator that publishes how far the parser has read, so that SAX callbacks know
// the current position in the text.
class TrackingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TrackingIterator(const char* p, const char** cursor) : p_(p), cursor_(cursor) {}
    reference operator*() const { return *p_; }
    TrackingIterator& operator++() {
        ++p_;
        if (cursor_ != nullptr) *cursor_ = p_;
        return *this;
    }
    TrackingIterator operator++(int) {
        TrackingIterator old = *this;
        ++*this;
        return old;
    }
    bool operator==(const TrackingIterator& o) const { return p_ == o.p_; }
    bool operator!=(const TrackingIterator& o) const { return p_ != o.p_; }

private:
    const char* p_;
    const char** cursor_;
};

// Records the line where each top-level key and each element of "networks" begins.
class LineLocator : public nlohmann::json_sax<json> {
public:
    LineLocator(const char* begin, const char** cursor) : counted_(begin), cursor_(cursor) {}
    std::map<std::string, size_t> keyLines;
    std::vector<size_t> networkLines;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override {
        if (depth_ == 2 && inNetworks_) networkLines.push_back(line());
        ++depth_;
        return true;
    }
    bool end_object() override {
        --depth_;
        return true;
    }
    bool key(string_t& k) override {
        if (depth_ == 1) {
            keyLines[k] = line();
            lastTopKey_ = k;
        }
        return true;
    }
    bool start_array(std::size_t) override {
        if (depth_ == 1) inNetworks_ = lastTopKey_ == "networks";
        ++depth_;
        return true;
    }
    bool end_array() override {
        --depth_;
        if (depth_ == 1) inNetworks_ = false;
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) override {
        errorByte = position;
        return false;
    }
    size_t errorByte = 0;  // where the parser gave up

private:
    // Counts on from the previous call, so that a file of many keys is read in linear time.
    size_t line() {
        for (; counted_ < *cursor_; ++counted_) line_ += *counted_ == '\n' ? 1 : 0;
        return line_;
    }
    const char* counted_;
    size_t line_ = 1;
    const char** cursor_;
    int depth_ = 0;
    bool inNetworks_ = false;
    std::string lastTopKey_;
};

size_t LineOfByte(const std::string& text, size_t byte) {
    size_t line = 1;
    for (size_t i = 0; i < byte && i < text.size(); ++i) line += text[i] == '\n' ? 1 : 0;
    return line;
}

bool ParseHexKey(const std::string& hex, std::vector<uint8_t>& out) {
    if (hex.size() != 10 && hex.size() != 26) return false;
    out.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned v = 0;
        for (size_t k = 0; k < 2; ++k) {
            const int c = std::tolower(static_cast<unsigned char>(hex[i + k]));
            if (!std::isxdigit(c)) return false;
            v = v * 16 + unsigned(std::isdigit(c) ? c - '0' : c - 'a' + 10);
        }
        out.push_back(uint8_t(v));
    }
    return true;
}

template <class T>
bool GetInteger(const json& obj, const char* key, T lo, T hi, T& out, std::string& error) {
    if (!obj.contains(key)) return true;
    const json& v = obj.at(key);
    // A number above the signed 64-bit range is stored unsigned; read as long long it would wrap.
    const bool wraps =
        v.is_number_unsigned() && v.get<unsigned long long>() > static_cast<unsigned long long>(LLONG_MAX);
    if (!v.is_number_integer() || wraps || v.get<long long>() < lo || v.get<long long>() > hi) {
        error = std::string("\"") + key + "\" must be a whole number from " + std::to_string(lo) + " to " +
                std::to_string(hi);
        return false;
    }
    out = T(v.get<long long>());
    return true;
}

bool GetString(const json& obj, const char* key, size_t maxLength, std::string& out, std::string& error) {
    if (!obj.contains(key)) return true;
    const json& v = obj.at(key);
    if (!v.is_string() || v.get<std::string>().size() > maxLength) {
        error = std::string("\"") + key + "\" must be a text of at most " + std::to_string(maxLength) + " bytes";
        return false;
    }
    out = v.get<std::string>();
    return true;
}

bool GetBool(const json& obj, const char* key, bool& out, std::string& error) {
    if (!obj.contains(key)) return true;
    if (!obj.at(key).is_boolean()) {
        error = std::string("\"") + key + "\" must be true or false";
        return false;
    }
    out = obj.at(key).get<bool>();
    return true;
}

bool OnlyKnownKeys(const json& obj, std::initializer_list<const char*> known, std::string& error) {
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        bool ok = false;
        for (const char* k : known) ok = ok || it.key() == k;
        if (!ok) {
            error = "unknown key \"" + it.key() + "\"";
            return false;
        }
    }
    return true;
}

bool ParseEapMethods(const json& v, unsigned& out, std::string& error) {
    if (!v.is_array()) {
        error = "\"eap\" must be a list such as [\"peap\", \"tls\"]";
        return false;
    }
    out = 0;
    for (const json& m : v) {
        const std::string name = m.is_string() ? m.get<std::string>() : "";
        if (name == "tls") out |= kEapTls;
        else if (name == "peap") out |= kEapPeap;
        else if (name == "leap") out |= kEapLeap;
        else if (name == "ttls") out |= kEapTtls;
        else {
            // Only a scalar is quoted back: dumping a nested value recurses once per level.
            error = "\"eap\" names tls, peap, leap or ttls, not " + (m.is_primitive() ? m.dump() : m.type_name());
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<Network> ParseNetworkObject(const json& obj, std::string& error) {
    if (!obj.is_object()) {
        error = "a network must be an object";
        return std::nullopt;
    }
    if (!OnlyKnownKeys(obj, {"ssid", "bssid", "channel", "band", "signal", "security", "cipher", "key", "keyText",
                             "keyIndex", "passphrase", "eap", "identity", "password", "hidden", "adhoc", "autoLink",
                             "beaconInterval"},
                       error))
        return std::nullopt;
    Network n;
    if (!obj.contains("ssid")) {
        error = "\"ssid\" is missing";
        return std::nullopt;
    }
    if (!GetString(obj, "ssid", 32, n.ssid, error)) return std::nullopt;
    const auto bssid = obj.contains("bssid") && obj.at("bssid").is_string()
                           ? abi::ParseMac(obj.at("bssid").get<std::string>())
                           : std::nullopt;
    if (!bssid) {
        error = "\"bssid\" must be six hexadecimal bytes such as \"00:1D:4F:10:00:01\"";
        return std::nullopt;
    }
    n.bssid = *bssid;
    if (!obj.contains("channel")) {
        error = "\"channel\" is missing";
        return std::nullopt;
    }
    if (!GetInteger<uint32_t>(obj, "channel", 1, 165, n.channel, error)) return std::nullopt;
    if (!IsValidChannel(n.channel)) {
        error = "channel " + std::to_string(n.channel) + " does not exist";
        return std::nullopt;
    }
    n.band = IsFiveGigahertz(n.channel) ? Band::A : Band::G;
    std::string band;
    if (!GetString(obj, "band", 1, band, error)) return std::nullopt;
    if (!band.empty()) {
        if (band != "a" && band != "b" && band != "g") {
            error = "\"band\" must be \"a\", \"b\" or \"g\"";
            return std::nullopt;
        }
        n.band = band == "a" ? Band::A : band == "b" ? Band::B : Band::G;
        if ((n.band == Band::A) != IsFiveGigahertz(n.channel)) {
            error = "band " + band + " does not have channel " + std::to_string(n.channel);
            return std::nullopt;
        }
    }
    if (!GetInteger<int32_t>(obj, "signal", -110, -10, n.levelDbm, error)) return std::nullopt;
    n.rssiDbm = n.levelDbm;
    std::string security = "open";
    if (!GetString(obj, "security", 16, security, error)) return std::nullopt;
    if (!ParseSecurity(security, n.security)) {
        error = "\"security\" must be open, wep-open, wep-shared, wpa-psk, wpa2-psk, wpa-eap, wpa2-eap or ccx-leap";
        return std::nullopt;
    }
    n.cipher = DefaultCipher(n.security);
    std::string cipher;
    if (!GetString(obj, "cipher", 4, cipher, error)) return std::nullopt;
    if (!cipher.empty()) {
        const bool wpa = n.security == Security::WpaPsk || n.security == Security::Wpa2Psk ||
                         n.security == Security::WpaEap || n.security == Security::Wpa2Eap;
        if (!wpa || (cipher != "tkip" && cipher != "aes")) {
            error = "\"cipher\" is \"tkip\" or \"aes\", and only for WPA and WPA2 networks";
            return std::nullopt;
        }
        n.cipher = cipher == "tkip" ? Cipher::Tkip : Cipher::Aes;
    }
    if (!GetInteger<uint32_t>(obj, "keyIndex", 1, 4, n.wepKeyIndex, error)) return std::nullopt;
    std::string hex, keyText;
    if (!GetString(obj, "key", 26, hex, error) || !GetString(obj, "keyText", 13, keyText, error)) return std::nullopt;
    if (!hex.empty() && !ParseHexKey(hex, n.wepKey)) {
        error = "\"key\" must be 10 or 26 hexadecimal digits";
        return std::nullopt;
    }
    if (!keyText.empty()) {
        if (keyText.size() != 5 && keyText.size() != 13) {
            error = "\"keyText\" must be 5 or 13 characters";
            return std::nullopt;
        }
        n.wepKey.assign(keyText.begin(), keyText.end());
    }
    const bool wep = n.security == Security::WepOpen || n.security == Security::WepShared;
    if (wep && n.wepKey.empty()) {
        error = "a WEP network needs \"key\" or \"keyText\"";
        return std::nullopt;
    }
    if (!GetString(obj, "passphrase", 63, n.passphrase, error)) return std::nullopt;
    if ((n.security == Security::WpaPsk || n.security == Security::Wpa2Psk) && n.passphrase.size() < 8) {
        error = "a WPA-PSK network needs a \"passphrase\" of 8 to 63 characters";
        return std::nullopt;
    }
    const bool eap = n.security == Security::WpaEap || n.security == Security::Wpa2Eap || n.security == Security::CcxLeap;
    if (eap) n.eapMethods = n.security == Security::CcxLeap ? kEapLeap : kEapPeap | kEapTtls | kEapTls | kEapLeap;
    if (obj.contains("eap") && !ParseEapMethods(obj.at("eap"), n.eapMethods, error)) return std::nullopt;
    if (!GetString(obj, "identity", 255, n.identity, error) || !GetString(obj, "password", 255, n.password, error))
        return std::nullopt;
    if (eap && n.identity.empty()) {
        error = "an 802.1X network needs an \"identity\"";
        return std::nullopt;
    }
    if (!GetBool(obj, "hidden", n.hidden, error) || !GetBool(obj, "adhoc", n.adHoc, error)) return std::nullopt;
    if (n.adHoc && !(n.security == Security::Open || wep)) {
        error = "an ad-hoc station is open or uses WEP";
        return std::nullopt;
    }
    if (!GetInteger<uint16_t>(obj, "beaconInterval", 20, 1000, n.beaconIntervalTu, error)) return std::nullopt;
    if (obj.contains("autoLink")) {
        const json& al = obj.at("autoLink");
        if (!al.is_object() || !OnlyKnownKeys(al, {"state", "tag", "pin", "silent"}, error)) {
            if (error.empty()) error = "\"autoLink\" must be an object with state, tag, pin and silent";
            return std::nullopt;
        }
        n.autoLink.present = true;
        if (!GetInteger<int>(al, "state", 0, 2, n.autoLink.state, error) ||
            !GetInteger<uint8_t>(al, "tag", 0, 255, n.autoLink.apTag, error) ||
            !GetString(al, "pin", 31, n.autoLink.pin, error) || !GetBool(al, "silent", n.autoLink.silent, error))
            return std::nullopt;
        if (n.autoLink.state == 0 && n.autoLink.pin.size() < 8) {
            error = "an unconfigured Auto Link access point needs a \"pin\" of 8 to 31 characters";
            return std::nullopt;
        }
        if (n.autoLink.state == 0 && n.security != Security::Open) {
            error = "an unconfigured Auto Link access point is open";
            return std::nullopt;
        }
    }
    return n;
}

std::optional<Environment> ParseEnvironment(const std::string& text, std::string& error) {
    json doc;
    try {
        doc = json::parse(text);
    } catch (const json::exception& e) {
        // A syntax error knows its byte; a number beyond the range of a double (out_of_range) does
        // not, and a SAX pass finds where the parser stopped.
        size_t byte = 0;
        if (const auto* syntax = dynamic_cast<const json::parse_error*>(&e)) {
            byte = syntax->byte;
        } else {
            const char* cursor = text.data();
            LineLocator stop(text.data(), &cursor);
            json::sax_parse(TrackingIterator(text.data(), &cursor), TrackingIterator(text.data() + text.size(), nullptr),
                            &stop);
            byte = stop.errorByte;
        }
        std::string reason = e.what();
        if (const size_t column = reason.find("column"); column != std::string::npos) {
            const size_t colon = reason.find(": ", column);
            if (colon != std::string::npos) reason = reason.substr(colon + 2);
        } else if (const size_t bracket = reason.find("] "); bracket != std::string::npos) {
            reason = reason.substr(bracket + 2);
        }
        // The parser quotes the text it last read, which may be a passphrase or a password: the
        // message goes to standard error, so it names the line only.
        for (const char* quote : {"; last read:", " parsing '"})
            if (const size_t quoted = reason.find(quote); quoted != std::string::npos) reason.resize(quoted);
        error = "line " + std::to_string(LineOfByte(text, byte == 0 ? 0 : byte - 1)) + ": " + reason;
        return std::nullopt;
    }
    const char* cursor = text.data();
    LineLocator locator(text.data(), &cursor);
    json::sax_parse(TrackingIterator(text.data(), &cursor), TrackingIterator(text.data() + text.size(), nullptr),
                    &locator);
    auto keyLine = [&](const std::string& key) {
        auto it = locator.keyLines.find(key);
        return it == locator.keyLines.end() ? size_t(1) : it->second;
    };
    auto fail = [&](size_t line, const std::string& reason) {
        error = "line " + std::to_string(line) + ": " + reason;
        return std::nullopt;
    };
    if (!doc.is_object()) return fail(1, "the environment must be a JSON object");
    std::string reason;
    for (auto it = doc.begin(); it != doc.end(); ++it) {
        const std::string& k = it.key();
        if (k != "networks" && k != "mac" && k != "hostInterface" && k != "regionCode" && k != "cardPresent" &&
            k != "radioSwitch" && k != "zeroConfigActive")
            return fail(keyLine(k), "unknown key \"" + k + "\"");
    }
    Environment env;
    env.networks.clear();
    if (doc.contains("mac")) {
        const auto mac = doc["mac"].is_string() ? abi::ParseMac(doc["mac"].get<std::string>()) : std::nullopt;
        if (!mac) return fail(keyLine("mac"), "\"mac\" must be six hexadecimal bytes such as \"02:7E:3C:4C:01:01\"");
        env.mac = *mac;
    }
    if (!GetString(doc, "hostInterface", 15, env.hostInterface, reason)) return fail(keyLine("hostInterface"), reason);
    if (env.hostInterface.find('/') != std::string::npos || env.hostInterface == "." || env.hostInterface == "..")
        return fail(keyLine("hostInterface"), "\"hostInterface\" must be an interface name");
    if (!GetInteger<uint32_t>(doc, "regionCode", 0, 0xff, env.regionCode, reason)) return fail(keyLine("regionCode"), reason);
    if (!GetBool(doc, "cardPresent", env.cardPresent, reason)) return fail(keyLine("cardPresent"), reason);
    if (!GetBool(doc, "radioSwitch", env.radioSwitchOn, reason)) return fail(keyLine("radioSwitch"), reason);
    if (!GetBool(doc, "zeroConfigActive", env.zeroConfigActive, reason)) return fail(keyLine("zeroConfigActive"), reason);
    if (doc.contains("networks")) {
        const json& list = doc["networks"];
        if (!list.is_array()) return fail(keyLine("networks"), "\"networks\" must be a list");
        // A set, not a scan of the networks so far: a large file would take quadratic time.
        std::set<MacAddress> bssids;
        for (size_t i = 0; i < list.size(); ++i) {
            const size_t line = i < locator.networkLines.size() ? locator.networkLines[i] : keyLine("networks");
            auto n = ParseNetworkObject(list[i], reason);
            if (!n) return fail(line, "network " + std::to_string(i + 1) + ": " + reason);
            if (!bssids.insert(n->bssid).second)
                return fail(line, "network " + std::to_string(i + 1) + ": BSSID " + FormatMac(n->bssid) +
                                      " is used twice");
            env.networks.push_back(std::move(*n));
        }
    }
    return env;
}

std::string DefaultRouteInterface(const std::string& routeTable) {
    std::ifstream in(routeTable);
    std::string line;
    std::getline(in, line);  // the column names
    for (int lines = 0; lines < 1024 && std::getline(in, line); ++lines) {
        std::istringstream fields(line);
        std::string name, destination;
        if (fields >> name >> destination && destination == "00000000" && name.size() <= 15 &&
            name.find('/') == std::string::npos)
            return name;
    }
    return {};
}

std::optional<MacAddress> ReadInterfaceMac(const std::string& name, const std::string& sysfsRoot) {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    std::ifstream in(sysfsRoot + "/" + name + "/address");
    std::string text;
    if (!in || !std::getline(in, text)) return std::nullopt;
    return abi::ParseMac(text);
}

}  // namespace tembrel::sim
