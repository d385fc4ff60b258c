#pragma once
// The icon's menu: one popup "&Zarn9100 Configuration Utility" holding "&Restore",
// "&Turn Radio Off" and "E&xit". Choosing an item emits command() with the item's id, as a
// menu command would reach the main window. Each item carries its control id (ui/ControlId.h).

#include <QMenu>
#include <QObject>

namespace tembrel {

class CTrayMenu : public QObject {
    Q_OBJECT
public:
    static constexpr int kRestore = 32778;
    static constexpr int kToggleRadio = 32772;
    static constexpr int kExit = 32781;

    explicit CTrayMenu(QObject* parent = nullptr);

    // The whole menu; its first submenu is the popup that CTrayIcon::ShowMenu opens.
    QMenu* menu() { return &root_; }
    QMenu* popup() { return &popup_; }
    // The item with the given id, or nullptr.
    QAction* item(int id) const;
    // The radio item reads "Turn Radio Off" or "Turn Radio On" after the radio state.
    void SetItemText(int id, const QString& text);

signals:
    void command(int id);

private:
    void AddItem(const QString& text, int id);

    QMenu root_;
    QMenu popup_;
};

}  // namespace tembrel
