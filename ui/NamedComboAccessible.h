#pragma once
// A combo box as assistive technology sees it: named by its caption, valued by its current item.

class QAccessibleInterface;
class QComboBox;

namespace tembrel::ui {

QAccessibleInterface* namedComboAccessible(QComboBox* combo);

}  // namespace tembrel::ui
