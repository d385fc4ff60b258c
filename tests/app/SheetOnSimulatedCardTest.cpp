// The main window on the simulated card: a prepared prefer-list profile connects by itself, the
// Network Status page shows the network, the icon says "Connected", and Exit saves the store.

#include "adapter/DriverLoader.h"
#include "ui/ControlId.h"
#include "app/CZarn9100Sheet.h"
#include "pages/monitoring/CMainPage.h"
#include "pages/monitoring/MainPageIds.h"
#include "tests/support/MemorySettings.h"
#include "tests/support/ScriptedDialogService.h"
#include "tests/support/WaitUntil.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QTemporaryDir>

#include <dlfcn.h>

#include <chrono>
#include <cstring>
#include <functional>

namespace tembrel {
namespace {

bool PumpUntil(const std::function<bool()>& done) { return testing_support::WaitUntil(done, 30000); }

ProfilePtr Wpa2Profile(const char* name, const char* ssid, const char* passphrase) {
    auto p = NewEmptyProfile();
    SetProfileName(*p, name);
    SetProfileSsid(*p, ssid);
    p->networkType = ZARN9100_NETWORK_INFRASTRUCTURE;
    p->wirelessMode = kWirelessModeAny;
    p->authMode = 9;    // WPA2-PSK
    p->encryption = 3;  // AES
    std::memcpy(p->passphrase, passphrase, std::strlen(passphrase));
    p->passphraseLength = static_cast<uint32_t>(std::strlen(passphrase));
    p->keepAdapterSettings = 1;
    p->inPreferList = 1;
    return p;
}

QString LabelText(QWidget& root, int id) {
    const QLabel* label = ui::ControlById<QLabel>(root, id);
    return label ? label->text() : QString();
}

TEST(SheetOnSimulatedCard, ConnectsThePreferListProfileAndSavesAtExit) {
    const QString bin = qEnvironmentVariable("TEMBREL_BIN_DIR");
    DriverLoadResult loaded = LoadDriverLibrary((bin + "/libTembrel.so").toStdString());
    ASSERT_TRUE(loaded.loaded) << loaded.error;

    QTemporaryDir dir;
    const std::string store = (dir.path() + "/Data.cfg").toStdString();
    {
        ProfileList prepared;
        // The prefer list is walked in list order: "<Default>" (any open network) comes second.
        prepared.Append(Wpa2Profile("Home", "Home-WPA2", "correct horse battery"));
        prepared.Append(NewDefaultProfile());
        ASSERT_TRUE(SaveProfiles(store, prepared).ok());
    }

    MemorySettings settings;
    settings.set(settings::kAutoLink, 0);  // no Auto Link question in between
    ScriptedDialogService dialogs;
    SheetContext context{*loaded.library, settings, dialogs, 1, store};
    context.supervisorPeriodMs = 300;
    context.supervisorPauseMs = 50;
    CZarn9100Sheet sheet(std::move(context));
    sheet.OnInitDialog();

    ASSERT_TRUE(PumpUntil([&] {
        const auto s = sheet.pageContext().snapshot();
        return s.connected != 0 && s.ssid() == "Home-WPA2";
    })) << "the supervisor did not connect the prefer-list profile; snapshot SSID \""
         << std::string(sheet.pageContext().snapshot().ssid()) << "\"";
    EXPECT_TRUE(PumpUntil([&] { return LabelText(sheet, monitoring::ids::kSsid) == "Home-WPA2"; }))
        << LabelText(sheet, monitoring::ids::kSsid).toStdString();
    EXPECT_TRUE(PumpUntil([&] { return sheet.trayState() == 1; }));
    ASSERT_NE(sheet.pageContext().connector().profileInUse(), nullptr);
    EXPECT_EQ(ProfileName(*sheet.pageContext().connector().profileInUse()), "Home");

    // The network goes away: the link drops and the next pass connects the next prefer-list
    // profile, "<Default>", to the strongest open network.
    auto control = reinterpret_cast<int (*)(const char*, char*, uint32_t)>(
        dlsym(dlopen((bin + "/libTembrel.so").toLocal8Bit().constData(), RTLD_NOW | RTLD_NOLOAD), "TembrelSimControl"));
    ASSERT_NE(control, nullptr);
    char reply[256];
    ASSERT_EQ(control(R"(["remove","Home-WPA2"])", reply, sizeof reply), 0) << reply;
    EXPECT_TRUE(PumpUntil([&] {
        const auto s = sheet.pageContext().snapshot();
        return s.connected != 0 && s.ssid() == "Orvix-Open-G";
    })) << "snapshot SSID \"" << std::string(sheet.pageContext().snapshot().ssid()) << "\"";

    // The card is pulled: no link facts stay behind on Network Status.
    sheet.show();
    ASSERT_EQ(control(R"(["card","out"])", reply, sizeof reply), 0) << reply;
    QWidget& status = sheet.pageTabs().mainPage();
    EXPECT_TRUE(PumpUntil([&] { return LabelText(status, monitoring::ids::kStatus) == "Card Unplugged"; }))
        << LabelText(status, monitoring::ids::kStatus).toStdString();
    for (int id : {monitoring::ids::kSsid, monitoring::ids::kSecurity, monitoring::ids::kBssid,
                   monitoring::ids::kLinkSpeed, monitoring::ids::kIpAddress})
        EXPECT_EQ(LabelText(status, id).toStdString(), "") << id;

    // The profile in use moved to the head of the list, and Exit writes that order.
    sheet.Exit();
    ProfileList saved;
    ASSERT_TRUE(ReadProfileFile(store, saved).ok());
    ASSERT_EQ(saved.Count(), 2u);
    EXPECT_TRUE(IsDefaultProfile(*saved.At(0)));
    EXPECT_EQ(ProfileName(*saved.At(1)), "Home");
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace tembrel
