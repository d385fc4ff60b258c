#pragma once
// Device monitor for tests: reports exactly the events a test announces.

#include "platform/DeviceMonitor.h"

namespace tembrel {

class FakeDeviceMonitor final : public DeviceMonitor {
public:
    explicit FakeDeviceMonitor(bool available = true, QObject* parent = nullptr)
        : DeviceMonitor(parent), available_(available) {}

    bool start() override {
        started_ = true;
        return available_;
    }
    QString reason() const override {
        return available_ ? QString() : QStringLiteral("device notifications are not available");
    }

    void announce(quint32 event, const QString& deviceName, const QString& interfaceName) {
        emit deviceChanged(event, deviceName, interfaceName);
    }
    bool started() const { return started_; }

private:
    bool available_;
    bool started_ = false;
};

}  // namespace tembrel
