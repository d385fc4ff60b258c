#pragma once
// The system-wide radio hot key, Alt+F2. On X11 the key is grabbed on every root window, so
// that it works whichever window has the focus; elsewhere (Wayland, offscreen) it cannot be
// registered and the caller says so.

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <vector>

namespace tembrel {

class HotKey : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HotKey() override = default;

    // False when the key cannot be registered: no X11 display, or another client owns it.
    virtual bool registerKey() = 0;
    virtual void unregisterKey() = 0;

signals:
    void activated();
};

class X11HotKey final : public HotKey, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11HotKey(QObject* parent = nullptr);
    ~X11HotKey() override;

    bool registerKey() override;
    void unregisterKey() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Grab {
        std::uint32_t root;
        std::uint8_t keycode;
        std::uint16_t modifiers;
    };
    std::vector<Grab> grabs_;
    std::vector<std::uint8_t> keycodes_;
    std::uint16_t ignoredModifiers_ = 0;  // CapsLock and NumLock
    bool filterInstalled_ = false;
};

// Hot key for tests: registration succeeds or fails as told; press() stands for the key.
class FakeHotKey final : public HotKey {
public:
    explicit FakeHotKey(bool available = true, QObject* parent = nullptr)
        : HotKey(parent), available_(available) {}
    bool registerKey() override {
        registered_ = available_;
        return available_;
    }
    void unregisterKey() override { registered_ = false; }
    bool registered() const { return registered_; }
    void press() {
        if (registered_) emit activated();
    }

private:
    bool available_;
    bool registered_ = false;
};

}  // namespace tembrel
