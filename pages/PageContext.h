#pragma once
// What a page of the main window may read and do. The main window implements it; pages see
// nothing else of the window, and tests implement it with their own doubles.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "connection/ConnectionSnapshot.h"
#include "connection/ProfileConnector.h"
#include "connection/SupervisorFlags.h"
#include "platform/IpHelper.h"
#include "profiles/ProfileList.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

class QWidget;

namespace tembrel {

class CertificateStore;
class DialogService;
class Settings;

class PageContext {
public:
    virtual ~PageContext() = default;

    // The card. Every call takes a lease on the handle for the length of the call:
    //   if (auto lease = context.handle().lease()) context.library().QueryRssi(lease.get(), &rssi);
    virtual DriverLibrary& library() = 0;
    virtual const AdapterHandle& handle() const = 0;
    // The file the driver library was loaded from ("" when none could be loaded).
    virtual std::string libraryPath() const = 0;
    virtual std::optional<MacAddress> macAddress() const = 0;  // nullopt without a card
    virtual uint32_t regionCode() const = 0;
    // Radio as last set or reported (ZARN9100_RADIO_OFF, ZARN9100_RADIO_ON, ZARN9100_RADIO_SWITCHED_OFF).
    virtual uint32_t radioState() const = 0;
    // Set while a page scans or connects, so that the supervisor leaves the card alone.
    virtual std::atomic<uint32_t>& stopping() = 0;
    virtual SupervisorFlags& supervisorFlags() = 0;
    virtual bool monitorMode() const = 0;
    virtual int osFamily() const = 0;

    // The connection.
    virtual ConnectionSnapshot snapshot() const = 0;
    // The connection's encryption status; a "key absent" value is read again from the card.
    virtual uint32_t encryptionStatus() = 0;
    virtual ProfileConnector& connector() = 0;

    // Profiles.
    virtual ProfileList& profiles() = 0;
    virtual const std::string& profileStorePath() const = 0;
    // The folder of the program's data files (Data.cfg, Tembrel.ini, Region.cfg, certificates/).
    virtual std::filesystem::path dataFolder() const = 0;

    // Services.
    virtual Settings& settings() = 0;
    virtual DialogService& dialogs() = 0;
    virtual const IpHelper& ipHelper() const = 0;
    // The personal certificate store ("MY").
    virtual const CertificateStore& certificateStore() const = 0;
    // The window that message boxes of a page belong to.
    virtual QWidget* dialogParent() = 0;

    // Notification out: the profile list changed through `page` (import, wizard, site survey);
    // every other page is told through CZarn9100Page::OnProfilesChanged.
    virtual void profilesChanged(const QWidget* page) = 0;
};

}  // namespace tembrel
