#pragma once
// The dialog clock on Qt timers (real time).

#include "ui/logic/DialogClock.h"

namespace tembrel::ui {

class QtDialogClock final : public DialogClock {
public:
    std::unique_ptr<DialogTimer> start(std::chrono::milliseconds interval, std::function<void()> onTimeout) override;
};

}  // namespace tembrel::ui
