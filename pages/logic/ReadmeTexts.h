#pragma once
// The Readme page's texts: why the utility runs in monitor mode and how to hand the card over to
// it. Worded for Windows, or for Linux when the loaded library is libTembrelWpa.so, which drives
// the card through a wpa_supplicant of its own and so needs NetworkManager to let go of the
// interface.

#include <string>
#include <vector>

namespace tembrel {

// The library drives a Linux card through wpa_supplicant (its file is libTembrelWpa.so).
bool IsLinuxCardLibrary(const std::string& libraryPath);
// The interface a description like "Wireless interface wlan0" names; "" when it names none.
std::string InterfaceOfDescription(const std::string& description);
// Seven texts: the reason, the lead-in and five steps. `deviceDescription` is the library's
// description of the card ("" when unknown); without an interface the steps use wlan0 as example.
std::vector<std::string> ReadmeTexts(const std::string& libraryPath, const std::string& deviceDescription);

}  // namespace tembrel
