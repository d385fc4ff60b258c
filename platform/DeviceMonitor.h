#pragma once
// Arrival and removal of network devices, reported on the thread that owns the monitor with
// Windows-style device names (DeviceName.h) and the interface name ("wlan0").

#include <QObject>
#include <QString>

#include <memory>

namespace tembrel {

class DeviceMonitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DeviceMonitor() override = default;

    // Starts watching. False when device notifications are not available on this machine
    // (reason() says why); the program then goes on without them.
    virtual bool start() = 0;
    virtual QString reason() const = 0;

signals:
    // event: TEMBREL_DEVICE_ARRIVAL or TEMBREL_DEVICE_REMOVE_COMPLETE. deviceName may be empty when the device's
    // bus is not one the names are built for.
    void deviceChanged(quint32 event, const QString& deviceName, const QString& interfaceName);
};

// The udev monitor of the "net" subsystem. The name of a removed device comes from what was
// seen at its arrival (or at start), since its bus device is usually gone by then.
class UdevDeviceMonitor final : public DeviceMonitor {
    Q_OBJECT
public:
    explicit UdevDeviceMonitor(QObject* parent = nullptr);
    ~UdevDeviceMonitor() override;

    bool start() override;
    QString reason() const override { return reason_; }

private:
    struct Udev;
    void receive();

    std::unique_ptr<Udev> udev_;
    QString reason_;
};

}  // namespace tembrel
