#pragma once
// Every control carries its documented numeric id in one dynamic property. Windows set it here,
// and the tray menu, the gallery and the tests look controls up by it here, so that a control
// keeps the same id wherever it is found.

#include <QObject>
#include <QVariant>

class QPushButton;
class QWidget;

namespace tembrel::ui {

inline constexpr char kControlIdProperty[] = "controlId";

inline void SetControlId(QObject& control, int id) { control.setProperty(kControlIdProperty, id); }

// The control's id, or 0 when it has none.
inline int ControlIdOf(const QObject& control) { return control.property(kControlIdProperty).toInt(); }

inline bool HasControlId(const QObject& control) { return control.property(kControlIdProperty).isValid(); }

// `control` with its id set, for use in the expression that creates it.
template <typename W>
W* WithId(W* control, int id) {
    SetControlId(*control, id);
    return control;
}

// A push button with its id; `text` carries its mnemonic.
QPushButton* MakeButton(const char* text, QWidget* parent, int id);

// The first child of `root` of type W with control id `id`, or nullptr.
template <typename W = QWidget>
W* ControlById(const QObject& root, int id) {
    for (W* w : root.findChildren<W*>())
        if (ControlIdOf(*w) == id) return w;
    return nullptr;
}

}  // namespace tembrel::ui
