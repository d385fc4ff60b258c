#pragma once
// The About page's texts: versions of the program and driver library read from their files,
// and the card's facts read through the library.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "platform/FileVersion.h"
#include "platform/IpHelper.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tembrel {

// Buffer size of the driver's version and date texts; a library may fill it without a terminator.
inline constexpr uint32_t kDriverTextBytes = 100;

struct AboutTexts {
    std::string macAddress;     // "%02X %02X %02X %02X %02X %02X"
    std::string region;         // the region's name
    std::string hardware;       // "%d.0" (shown only by pages that show the chip version)
    std::string firmware;       // "%d.%d.%d.%d"
    std::string driver;         // version text + " (" + date text + ")"
    std::string utility;        // the program file's version and date
    std::string library;        // the driver library file's version and its own date
};

// The text of a NUL-terminated string in a buffer of `capacity` bytes, stopping at the end of
// the buffer when the terminator is missing.
std::string BoundedText(const char* buffer, size_t capacity);

// "%d.%d.%d.%d" + " (" + date + ")"; "" without a version.
std::string FileVersionText(const std::optional<FileVersion>& version, const std::string& date);
// The version and date of a binary on disk, as above; "" for an empty path.
std::string FileVersionText(const std::filesystem::path& file);

// The four bytes of the firmware word, most significant first.
std::string FirmwareText(uint32_t firmware);
std::string MacText(const MacAddress& mac);

struct AboutSources {
    std::filesystem::path program;  // the running program's file
    std::filesystem::path library;  // the driver library the loader opened ("" when none)
    uint32_t regionCode = 0;        // the main window's region code
};

// Everything the page shows, in the documented order of reads. Without an adapter only the
// two file versions are filled.
AboutTexts CollectAboutTexts(DriverLibrary& library, const AdapterHandle& handle, const AboutSources& sources);

}  // namespace tembrel
