#include "AboutInfo.h"

#include "adapter/RegionTable.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace tembrel {

std::string BoundedText(const char* buffer, size_t capacity) {
    const void* end = std::memchr(buffer, '\0', capacity);
    return std::string(buffer, end != nullptr ? static_cast<const char*>(end) - buffer : capacity);
}

std::string FileVersionText(const std::optional<FileVersion>& version, const std::string& date) {
    if (!version) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (*version)[0], (*version)[1], (*version)[2], (*version)[3]);
    return std::string(text) + " (" + date + ")";
}

std::string FileVersionText(const std::filesystem::path& file) {
    if (file.empty()) return {};
    return FileVersionText(ReadStampedVersion(file), FileDateText(file));
}

std::string FirmwareText(uint32_t firmware) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", firmware >> 24, (firmware >> 16) & 0xFF, (firmware >> 8) & 0xFF,
                  firmware & 0xFF);
    return text;
}

std::string MacText(const MacAddress& mac) {
    char text[24];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X %02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

AboutTexts CollectAboutTexts(DriverLibrary& library, const AdapterHandle& handle, const AboutSources& sources) {
    AboutTexts texts;
    texts.utility = FileVersionText(sources.program);
    texts.library = FileVersionText(sources.library);
    auto lease = handle.lease();
    if (!lease) return texts;
    const ZARN9100_HANDLE h = lease.get();
    uint32_t value = 0;
    if (library.QueryChipVersion(h, &value) == 0) texts.hardware = std::to_string(value) + ".0";
    if (library.QueryFirmwareVersion(h, &value) == 0) texts.firmware = FirmwareText(value);
    std::vector<char> buffer(kDriverTextBytes, '\0');
    if (library.QueryDriverVersion(h, buffer.data(), kDriverTextBytes) == 0)
        texts.driver = BoundedText(buffer.data(), kDriverTextBytes);
    std::fill(buffer.begin(), buffer.end(), '\0');
    if (library.QueryDriverDate(h, buffer.data(), kDriverTextBytes) == 0)
        texts.driver += " (" + BoundedText(buffer.data(), kDriverTextBytes) + ")";
    MacAddress mac{};
    if (library.GetMacAddress(h, mac.data(), uint32_t(mac.size())) == 0) texts.macAddress = MacText(mac);
    texts.region = std::string(LookupRegion(sources.regionCode).name);
    return texts;
}

}  // namespace tembrel
