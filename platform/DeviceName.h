#pragma once
// Windows-style names for network devices, built from udev data, so that the card detection
// that searches names such as "VEN_7E3C&DEV_4C" works unchanged on Linux:
//   PCI     "PCI\VEN_vvvv&DEV_dddd&SUBSYS_ssssSSSS&REV_rr"  (SUBSYS: subsystem device, then vendor)
//   USB     "USB\VID_vvvv&PID_pppp"
//   PCMCIA  "PCMCIA\<product id 1>-<product id 2>"         (blanks as '_')
// Hexadecimal in upper case. The optional SUBSYS and REV parts are left out when unknown.

#include <TembrelCodes.h>

#include <cstdint>
#include <map>
#include <string>

namespace tembrel {

struct DeviceIdentity {
    std::string bus;                                // subsystem of the bus device: "pci", "usb", "pcmcia"
    std::map<std::string, std::string> properties;  // udev properties (PCI_ID, PCI_SUBSYS_ID, ID_VENDOR_ID, ...)
    std::map<std::string, std::string> attributes;  // sysfs attributes (vendor, device, revision, idVendor, ...)
};

// The name, or "" when the bus is unknown or its identifiers are missing or malformed.
std::string BuildDeviceName(const DeviceIdentity& identity);

}  // namespace tembrel
