#pragma once
// Ctrl+Tab / Ctrl+Shift+Tab and Ctrl+PgDown / Ctrl+PgUp switch the pages of a tab widget from
// every control of its window, as in a property sheet. Qt only switches while the focus is in
// the tab widget and no control there keeps the keys (a combo box or an item view does), and
// never from the window's own buttons below the pages.

#include <QObject>

class QTabWidget;

namespace tembrel::ui {

// Installs the keys for `tabs`; they live as long as the tab widget.
void switchPagesFromEveryControl(QTabWidget& tabs);

class PageSwitchKeys : public QObject {
    Q_OBJECT
public:
    explicit PageSwitchKeys(QTabWidget& tabs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTabWidget& tabs_;
};

}  // namespace tembrel::ui
