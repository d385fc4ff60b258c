#pragma once
// A call that may block for long (SetSsid waits for a whole 802.1x exchange on a real card) run
// on a thread of its own while the user-interface thread goes on handling events: the window
// repaints, the wait cursor shows and the notification-area menu (Exit) answers. The caller
// still gets the result before it goes on, so the order of its own steps does not change; it
// keeps its page busy meanwhile, so the page cannot start a second one.

#include <functional>

namespace tembrel::ui {

int RunWhileResponsive(const std::function<int()>& work);

}  // namespace tembrel::ui
