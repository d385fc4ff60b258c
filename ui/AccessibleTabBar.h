#pragma once
// A tab strip as assistive technology sees it: Qt 6.4 marks the current page tab only as
// focused, so a screen reader cannot tell which page is shown while the focus is elsewhere.
// This interface marks each tab selectable and the current one selected; everything else is as
// Qt has it (tabs, then the strip's scroll buttons; "press" selects a tab).

class QAccessibleInterface;
class QTabBar;

namespace tembrel::ui {

QAccessibleInterface* tabBarAccessible(QTabBar* bar);

}  // namespace tembrel::ui
