#include "pages/logic/ReadmeTexts.h"

#include <filesystem>

namespace tembrel {

namespace {

constexpr const char* kExampleInterface = "wlan0";

// Interface names: at most 15 bytes, no blanks or slashes (the kernel's rule), printable.
bool IsInterfaceName(const std::string& name) {
    if (name.empty() || name.size() > 15 || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c <= 0x20 || c >= 0x7f || c == '/' || c == ':') return false;
    }
    return true;
}

}  // namespace

bool IsLinuxCardLibrary(const std::string& libraryPath) {
    return std::filesystem::path(libraryPath).filename() == "libTembrelWpa.so";
}

std::string InterfaceOfDescription(const std::string& description) {
    constexpr std::string_view kMarker = "interface ";
    const size_t at = description.rfind(kMarker);
    if (at == std::string::npos) return {};
    const std::string name = description.substr(at + kMarker.size());
    return IsInterfaceName(name) ? name : std::string();
}

std::vector<std::string> ReadmeTexts(const std::string& libraryPath, const std::string& deviceDescription) {
    if (!IsLinuxCardLibrary(libraryPath)) {
        return {
            "Orvix LX-7700 Utility can not provide fully support because Windows XP Zero Configuration is enabled!",
            "You can disable Windows XP Zero Configuration to get fully support from Orvix LX-7700 Utility by doing "
            "the following:",
            "1. Double click at tray icon of Wireless Network Connection Status",
            "2. Click button <Properties>",
            "3. Click tab <Wireless Networks>",
            "4. Uncheck checkbox <Use Windows to configure my wireless network settings>",
            "5. Click button <OK>",
        };
    }
    const std::string known = InterfaceOfDescription(deviceDescription);
    const std::string iface = known.empty() ? kExampleInterface : known;
    const std::string leadIn =
        known.empty() ? "You can hand the card's interface over to Orvix LX-7700 Utility by doing the following "
                        "(wlan0 stands for its name, which ip link lists):"
                      : "You can hand " + iface + " over to Orvix LX-7700 Utility by doing the following:";
    return {
        "Orvix LX-7700 Utility can not provide fully support because NetworkManager controls the "
        "interface" + (known.empty() ? std::string() : " " + known) + "!",
        leadIn,
        "1. Run: nmcli device set " + iface + " managed no",
        "2. Put ctrl_interface=DIR=/run/wpa_supplicant GROUP=netdev and update_config=0 in "
        "/etc/wpa_supplicant/wpa_supplicant-" + iface + ".conf",
        "3. Run: sudo systemctl enable --now wpa_supplicant@" + iface,
        "4. Run: sudo usermod -aG netdev $USER, then log in again",
        "5. Start Orvix LX-7700 Utility again",
    };
}

}  // namespace tembrel
