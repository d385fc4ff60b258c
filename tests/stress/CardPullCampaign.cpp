#include "CardPullCampaign.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <random>

#include "adapter/DriverLoader.h"
#include "app/CZarn9100Sheet.h"
#include "platform/MemorySettings.h"
#include "platform/gui/ScriptedDialogService.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"

namespace tembrel::stress {

namespace {

using Clock = std::chrono::steady_clock;

// Runs the user-interface thread's events for `ms`, or until `done`.
bool Pump(long long ms, const std::function<bool()>& done = {}) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    do {
        if (done && done()) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (Clock::now() < until);
    return done && done();
}

ProfilePtr HomeProfile() {
    auto p = NewEmptyProfile();
    SetProfileName(*p, "Home");
    SetProfileSsid(*p, "Home-WPA2");
    p->networkType = kNetworkTypeInfrastructure;
    p->wirelessMode = kWirelessModeAny;
    p->authMode = 9;    // WPA2-PSK
    p->encryption = 3;  // AES
    const char* passphrase = "correct horse battery";
    std::memcpy(p->passphrase, passphrase, std::strlen(passphrase));
    p->passphraseLength = static_cast<uint32_t>(std::strlen(passphrase));
    p->keepAdapterSettings = 1;
    p->inPreferList = 1;
    return p;
}

// The longest time the user-interface thread went without running its timer: a timer every
// 10 ms measures the gap since its previous run.
class StallMeter {
public:
    StallMeter() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            worst_ = std::max(worst_, now - last_);
            last_ = now;
        });
        timer_.start();
    }
    long long worstMs() const { return std::chrono::duration_cast<std::chrono::milliseconds>(worst_).count(); }

private:
    QTimer timer_;
    Clock::time_point last_ = Clock::now();
    Clock::duration worst_{};
};

}  // namespace

std::vector<Figure> RunCardPullCampaign(const CardPullOptions& options) {
    const std::string c = "card pulls";
    DriverLoadResult loaded = LoadDriverLibrary(options.library);
    if (!loaded.loaded) return {{c, "library", loaded.error, "loaded", false}};
    void* self = ::dlopen(options.library.c_str(), RTLD_NOW | RTLD_NOLOAD);
    auto control = self ? reinterpret_cast<int (*)(const char*, char*, uint32_t)>(::dlsym(self, "TembrelSimControl"))
                        : nullptr;
    if (control == nullptr) return {{c, "library", "not the simulated card", "simulated card", false}};
    auto command = [&](const char* json) {
        char reply[256];
        return control(json, reply, sizeof reply) == 0;
    };

    QTemporaryDir dir;
    const std::string store = (dir.path() + "/Data.cfg").toStdString();
    {
        ProfileList prepared;
        prepared.Append(HomeProfile());
        prepared.Append(NewDefaultProfile());
        if (!SaveProfiles(store, prepared).ok()) return {{c, "store", "cannot write", "written", false}};
    }
    MemorySettings settings;
    settings.set(settings::kAutoLink, 0);  // no Auto Link question in between
    ScriptedDialogService dialogs;
    SheetContext context{*loaded.library, settings, dialogs, 1, store};
    context.supervisorPeriodMs = 300;  // the walk every 300 ms instead of 5 s, so that pulls meet it often
    context.supervisorPauseMs = 50;
    StallMeter stalls;
    CZarn9100Sheet sheet(std::move(context));
    sheet.OnInitDialog();
    sheet.show();

    // Arrival and removal, as the program's start-up wires them: queued to this thread.
    struct Notify {
        CZarn9100Sheet* sheet;
        static void Call(void* context, uint32_t event, const char* interfaceName) {
            auto* n = static_cast<Notify*>(context);
            const QString name = QString::fromUtf8(interfaceName ? interfaceName : "");
            QMetaObject::invokeMethod(
                n->sheet,
                [sheet = n->sheet, event, name] {
                    if (event == TEMBREL_DEVICE_ARRIVAL) sheet->OnDeviceArrival(name);
                    else if (event == TEMBREL_DEVICE_REMOVE_COMPLETE) sheet->OnDeviceRemoveComplete(name);
                },
                Qt::QueuedConnection);
        }
    } notify{&sheet};
    loaded.library->SetDeviceNotify(&Notify::Call, &notify);

    // Connected as the window shows it and as the card says, on a handle opened after the insert.
    auto connectedHome = [&] {
        const ConnectionSnapshot s = sheet.snapshot();
        const auto lease = sheet.adapter().handle().lease();
        return lease && sheet.library().GetConnectStatus(lease.get()) == 1 && s.connected != 0 && s.ssid() == "Home-WPA2";
    };
    const bool firstConnect = Pump(30000, connectedHome);

    std::mt19937 random(options.seed);
    std::size_t connects = 0, scans = 0, walks = 0, refusedCommands = 0;
    const ProfilePtr home = sheet.profiles().At(0);
    for (std::size_t pull = 0; pull < options.pulls; ++pull) {
        switch (random() % 3) {
            case 0:  // the user picks the profile on the Network Status page
                ++connects;
                sheet.adapter().stopping = 1;
                sheet.connector().ConnectProfile(home);
                sheet.adapter().stopping = 0;
                break;
            case 1: {  // a survey scan
                ++scans;
                const auto lease = sheet.adapter().handle().lease();
                if (lease) sheet.library().Scan(lease.get());
                break;
            }
            default:  // leave the card to the supervisor's walk
                ++walks;
                break;
        }
        Pump(random() % 400);
        refusedCommands += command(R"(["card","out"])") ? 0 : 1;
        Pump(random() % 300);
        refusedCommands += command(R"(["card","in"])") ? 0 : 1;
        if (pull + 1 < options.pulls) Pump(random() % 300);
    }
    const auto lastInsert = Clock::now();
    const bool reconnected = Pump(30000, connectedHome);
    const double reconnectS = std::chrono::duration<double>(Clock::now() - lastInsert).count();
    const long long worstStallMs = stalls.worstMs();
    sheet.Exit();
    loaded.library->SetDeviceNotify(nullptr, nullptr);

    char reconnectText[32];
    std::snprintf(reconnectText, sizeof reconnectText, "yes, after %.2f s", reconnectS);
    return {
        {c, "connected before the first pull", firstConnect ? "yes" : "no", "yes", firstConnect},
        {c, "pulls and re-inserts", std::to_string(options.pulls), "", true},
        {c, "pulls during a connect / scan / the supervisor's walk",
         std::to_string(connects) + " / " + std::to_string(scans) + " / " + std::to_string(walks), "", true},
        {c, "card commands refused", std::to_string(refusedCommands), "0", refusedCommands == 0},
        {c, "longest stall of the user-interface thread (ms)", std::to_string(worstStallMs), "at most 3000",
         worstStallMs <= 3000},
        {c, "connected again after the last insert", reconnected ? reconnectText : "no", "yes", reconnected},
    };
}

}  // namespace tembrel::stress
