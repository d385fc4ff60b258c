#include "ui/logic/Countdown.h"

namespace tembrel::ui {

std::string Countdown::title() const { return " " + std::to_string(remaining()) + " seconds remaining..."; }

}  // namespace tembrel::ui
