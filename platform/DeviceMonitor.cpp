#include "DeviceMonitor.h"

#include "DeviceName.h"

#include <QHash>
#include <QPointer>
#include <QSocketNotifier>

#include <libudev.h>
#include <unistd.h>

#include <cstring>

namespace tembrel {

namespace {

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevUnref>;

// Without the udev daemon (containers, minimal systems) no event would ever arrive.
constexpr char kUdevControl[] = "/run/udev/control";

void AddProperties(udev_device* device, std::map<std::string, std::string>& into) {
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_device_get_properties_list_entry(device)) {
        const char* name = udev_list_entry_get_name(entry);
        const char* value = udev_list_entry_get_value(entry);
        if (name && value) into.emplace(name, value);  // keeps what is already there
    }
}

void AddAttributes(udev_device* device, std::initializer_list<const char*> names,
                   std::map<std::string, std::string>& into) {
    for (const char* name : names) {
        if (const char* value = udev_device_get_sysattr_value(device, name)) into.emplace(name, value);
    }
}

// The bus device's data first, then the network device's own properties as a fallback
// (a remove event carries those from the udev database, while the bus device is gone).
DeviceIdentity IdentityOf(udev_device* net) {
    DeviceIdentity identity;
    // Parents belong to the child device: not unreferenced here.
    if (udev_device* pci = udev_device_get_parent_with_subsystem_devtype(net, "pci", nullptr)) {
        identity.bus = "pci";
        AddProperties(pci, identity.properties);
        AddAttributes(pci, {"vendor", "device", "subsystem_vendor", "subsystem_device", "revision"},
                      identity.attributes);
    } else if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(net, "usb", "usb_device")) {
        identity.bus = "usb";
        AddProperties(usb, identity.properties);
        AddAttributes(usb, {"idVendor", "idProduct"}, identity.attributes);
    } else if (udev_device* card = udev_device_get_parent_with_subsystem_devtype(net, "pcmcia", nullptr)) {
        identity.bus = "pcmcia";
        AddProperties(card, identity.properties);
        AddAttributes(card, {"prod_id1", "prod_id2"}, identity.attributes);
    }
    AddProperties(net, identity.properties);
    if (identity.bus.empty()) {
        if (const auto it = identity.properties.find("ID_BUS"); it != identity.properties.end()) {
            identity.bus = it->second;
        }
    }
    return identity;
}

QString InterfaceName(udev_device* device) {
    const char* name = udev_device_get_sysname(device);
    return name ? QString::fromLocal8Bit(name) : QString();
}

}  // namespace

struct UdevDeviceMonitor::Udev {
    UdevPtr<udev> context;
    UdevPtr<udev_monitor> monitor;
    std::unique_ptr<QSocketNotifier> notifier;
    QHash<QString, QString> names;  // interface name -> device name, for removals
};

UdevDeviceMonitor::UdevDeviceMonitor(QObject* parent) : DeviceMonitor(parent) {}

UdevDeviceMonitor::~UdevDeviceMonitor() = default;

bool UdevDeviceMonitor::start() {
    if (udev_) return true;
    if (access(kUdevControl, F_OK) != 0) {
        reason_ = QStringLiteral("udev is not running on this machine");
        return false;
    }
    auto state = std::make_unique<Udev>();
    state->context.reset(udev_new());
    if (!state->context) {
        reason_ = QStringLiteral("udev is not available");
        return false;
    }
    state->monitor.reset(udev_monitor_new_from_netlink(state->context.get(), "udev"));
    if (!state->monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(state->monitor.get(), "net", nullptr) < 0 ||
        udev_monitor_enable_receiving(state->monitor.get()) < 0) {
        reason_ = QStringLiteral("cannot listen to udev events");
        return false;
    }

    // Names of the devices already present, for their later removal.
    UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(state->context.get()));
    if (enumerate && udev_enumerate_add_match_subsystem(enumerate.get(), "net") >= 0 &&
        udev_enumerate_scan_devices(enumerate.get()) >= 0) {
        udev_list_entry* entry;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
            UdevPtr<udev_device> device(
                udev_device_new_from_syspath(state->context.get(), udev_list_entry_get_name(entry)));
            if (!device) continue;
            state->names.insert(InterfaceName(device.get()),
                                QString::fromStdString(BuildDeviceName(IdentityOf(device.get()))));
        }
    }

    state->notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(state->monitor.get()),
                                                        QSocketNotifier::Read);
    connect(state->notifier.get(), &QSocketNotifier::activated, this, &UdevDeviceMonitor::receive);
    udev_ = std::move(state);
    reason_.clear();
    return true;
}

void UdevDeviceMonitor::receive() {
    const QPointer<UdevDeviceMonitor> self(this);  // a receiver may delete the monitor
    while (self && udev_) {
        UdevPtr<udev_device> device(udev_monitor_receive_device(udev_->monitor.get()));
        if (!device) return;
        const char* action = udev_device_get_action(device.get());
        if (!action) continue;
        const QString interfaceName = InterfaceName(device.get());
        if (std::strcmp(action, "add") == 0) {
            const QString name = QString::fromStdString(BuildDeviceName(IdentityOf(device.get())));
            udev_->names.insert(interfaceName, name);
            emit deviceChanged(TEMBREL_DEVICE_ARRIVAL, name, interfaceName);
        } else if (std::strcmp(action, "remove") == 0) {
            QString name = udev_->names.take(interfaceName);
            if (name.isEmpty()) name = QString::fromStdString(BuildDeviceName(IdentityOf(device.get())));
            emit deviceChanged(TEMBREL_DEVICE_REMOVE_COMPLETE, name, interfaceName);
        } else if (std::strcmp(action, "move") == 0) {
            // A renamed interface keeps its device.
            const char* oldPath = udev_device_get_property_value(device.get(), "DEVPATH_OLD");
            if (oldPath) {
                const QString oldName = QString::fromLocal8Bit(oldPath).section(QLatin1Char('/'), -1);
                udev_->names.insert(interfaceName, udev_->names.take(oldName));
            }
        }
    }
}

}  // namespace tembrel
