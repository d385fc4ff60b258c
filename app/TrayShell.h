#pragma once
// The notification area as CTrayIcon sees it: one record describing the icon, and the three
// operations of the shell (add, modify, delete) that take it. The production shell is
// QtTrayShell; tests record the calls.

#include <QString>

#include <functional>

namespace tembrel {

// Mouse messages the icon reports through its callback (the numbers the main window acts on).
namespace TrayMouse {
constexpr unsigned kLeftButtonUp = 0x202;
constexpr unsigned kLeftDoubleClick = 0x203;  // restores the window
constexpr unsigned kRightButtonUp = 0x205;    // opens the icon's menu
constexpr unsigned kMiddleButtonUp = 0x208;
}  // namespace TrayMouse

// Receives the icon's mouse events: the callback message given to CTrayIcon::Create and the
// mouse message.
using TrayCallback = std::function<void(unsigned message, unsigned mouseMessage)>;

struct TrayIconRecord {
    // Which fields of the record the shell is to apply.
    enum Flag : unsigned {
        kMessage = 0x01,  // window and callbackMessage
        kIcon = 0x02,     // iconResource
        kTip = 0x04,      // tooltip
        kInfo = 0x10,     // balloonText, balloonTitle, balloonTimeoutMs
    };
    static constexpr int kTooltipCapacity = 128;  // characters, the terminating zero included
    static constexpr int kBalloonCapacity = 256;
    static constexpr int kBalloonTimeoutMs = 5000;

    unsigned iconId = 0;  // the same for the icon's whole life
    unsigned flags = 0;
    TrayCallback window;
    unsigned callbackMessage = 0;
    int iconResource = 0;  // resource id of the icon shown; 0 while none is
    QString tooltip;
    QString balloonText;  // empty: remove a balloon that is showing
    QString balloonTitle;
    int balloonTimeoutMs = kBalloonTimeoutMs;
};

class TrayShell {
public:
    enum class Operation { Add, Modify, Delete };

    virtual ~TrayShell() = default;
    // Applies the fields the record's flags name. Returns false when the shell refused.
    virtual bool Notify(Operation operation, const TrayIconRecord& record) = 0;
};

}  // namespace tembrel
