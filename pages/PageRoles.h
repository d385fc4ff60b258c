#pragma once
// What a page may read and do, in four roles; a page keeps a reference to each role it uses, so
// that its header says what of the window it touches. PageContext hands out all four.

#include "adapter/AdapterHandle.h"
#include "adapter/DriverLibrary.h"
#include "adapter/RadioState.h"
#include "adapter/StopFlag.h"
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

// The card. Every call takes a lease on the handle for the length of the call:
//   if (auto lease = card.handle().lease()) card.library().QueryRssi(lease.get(), &rssi);
class CardRole {
public:
    virtual DriverLibrary& library() = 0;
    virtual const AdapterHandle& handle() const = 0;
    // The file the driver library was loaded from ("" when none could be loaded).
    virtual std::string libraryPath() const = 0;
    virtual std::optional<MacAddress> macAddress() const = 0;  // nullopt without a card
    virtual uint32_t regionCode() const = 0;
    // Radio as last set or reported (see RadioState).
    virtual uint32_t radioState() const = 0;
    // Held while a page scans or connects, so that the supervisor leaves the card alone.
    virtual StopFlag& stopping() = 0;
    virtual bool monitorMode() const = 0;
    virtual int osFamily() const = 0;

protected:
    ~CardRole() = default;
};

// The connection.
class ConnectionRole {
public:
    virtual ConnectionSnapshot snapshot() const = 0;
    // The connection's encryption status; a "key absent" value is read again from the card.
    virtual uint32_t encryptionStatus() = 0;
    virtual ProfileConnector& connector() = 0;
    virtual SupervisorFlags& supervisorFlags() = 0;

protected:
    ~ConnectionRole() = default;
};

// The profile list.
class ProfilesRole {
public:
    virtual ProfileList& profiles() = 0;
    virtual const std::string& profileStorePath() const = 0;
    // Notification out: the profile list changed through `page` (import, wizard, site survey);
    // every other page is told through CZarn9100Page::OnProfilesChanged.
    virtual void profilesChanged(const QWidget* page) = 0;

protected:
    ~ProfilesRole() = default;
};

// Settings, folders, dialogs and the system's services.
class EnvironmentRole {
public:
    virtual Settings& settings() = 0;
    virtual DialogService& dialogs() = 0;
    // The folder of the program's data files (Data.cfg, Tembrel.ini, Region.cfg, certificates/).
    virtual std::filesystem::path dataFolder() const = 0;
    virtual const IpHelper& ipHelper() const = 0;
    // The personal certificate store ("MY").
    virtual const CertificateStore& certificateStore() const = 0;
    // The window that message boxes of a page belong to.
    virtual QWidget* dialogParent() = 0;

protected:
    ~EnvironmentRole() = default;
};

}  // namespace tembrel
