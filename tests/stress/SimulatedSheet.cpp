#include "SimulatedSheet.h"

#include <dlfcn.h>

#include <QCoreApplication>

#include <algorithm>
#include <cstring>

#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileStore.h"
#include "profiles/ProfileText.h"

namespace tembrel::stress {

namespace {

ProfilePtr HomeProfile() {
    auto p = NewEmptyProfile();
    SetProfileName(*p, "Home");
    SetProfileSsid(*p, "Home-WPA2");
    p->networkType = ZARN9100_NETWORK_INFRASTRUCTURE;
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

}  // namespace

bool Pump(long long ms, const std::function<bool()>& done) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    do {
        if (done && done()) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (Clock::now() < until);
    return done && done();
}

StallMeter::StallMeter() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        const auto now = Clock::now();
        worst_ = std::max(worst_, now - last_);
        last_ = now;
    });
    timer_.start();
}

long long StallMeter::worstMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(worst_).count();
}

void StallMeter::reset() {
    last_ = Clock::now();
    worst_ = {};
}

SimulatedSheet::SimulatedSheet(const std::string& library) : loaded_(LoadDriverLibrary(library)) {
    if (!loaded_.loaded) {
        error_ = loaded_.error;
        return;
    }
    void* self = ::dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
    control_ = self ? reinterpret_cast<int (*)(const char*, char*, uint32_t)>(::dlsym(self, "TembrelSimControl"))
                    : nullptr;
    if (control_ == nullptr) {
        error_ = "not the simulated card";
        return;
    }
    const std::string store = (dir_.path() + "/Data.cfg").toStdString();
    ProfileList prepared;
    prepared.Append(HomeProfile());
    prepared.Append(NewDefaultProfile());
    if (!SaveProfiles(store, prepared).ok()) {
        error_ = "cannot write the store";
        return;
    }
    settings_.set(settings::kAutoLink, 0);  // no Auto Link question in between
    SheetContext context{*loaded_.library, settings_, dialogs_, 1, store};
    context.supervisorPeriodMs = 300;  // the walk every 300 ms instead of 5 s, so that faults meet it often
    context.supervisorPauseMs = 50;
    sheet_ = std::make_unique<CZarn9100Sheet>(std::move(context));
    sheet_->OnInitDialog();
    sheet_->show();
    loaded_.library->SetDeviceNotify(&SimulatedSheet::DeviceNotify, sheet_.get());
}

SimulatedSheet::~SimulatedSheet() {
    if (!sheet_) return;
    sheet_->Exit();
    loaded_.library->SetDeviceNotify(nullptr, nullptr);
    sheet_.reset();
}

// Arrival and removal, as the program's start-up wires them: queued to the user-interface thread.
void SimulatedSheet::DeviceNotify(void* context, uint32_t event, const char* interfaceName) {
    auto* sheet = static_cast<CZarn9100Sheet*>(context);
    const QString name = QString::fromUtf8(interfaceName ? interfaceName : "");
    QMetaObject::invokeMethod(
        sheet,
        [sheet, event, name] {
            if (event == TEMBREL_DEVICE_ARRIVAL) sheet->OnDeviceArrival(name);
            else if (event == TEMBREL_DEVICE_REMOVE_COMPLETE) sheet->OnDeviceRemoveComplete(name);
        },
        Qt::QueuedConnection);
}

bool SimulatedSheet::control(const char* json, std::string* reply) {
    char text[256] = {};
    const bool ok = control_(json, text, sizeof text) == 0;
    if (reply) *reply = text;
    return ok;
}

bool SimulatedSheet::connectedHome() {
    const ConnectionSnapshot s = sheet_->pageContext().snapshot();
    const auto lease = sheet_->adapter().handle().lease();
    return lease && sheet_->pageContext().library().GetConnectStatus(lease.get()) == 1 && s.connected != 0 && s.ssid() == "Home-WPA2";
}

}  // namespace tembrel::stress
