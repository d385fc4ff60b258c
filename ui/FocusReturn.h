#pragma once
// The keyboard goes back to the control that opened a dialog once the dialog closes (message
// boxes, file dialogs, the wizard, the key and credential dialogs), also where no window manager
// hands the focus back: the window of that control is activated again and the control focused.

#include <QHash>
#include <QObject>
#include <QPointer>

class QWidget;

namespace tembrel::ui {

class FocusReturn : public QObject {
    Q_OBJECT
public:
    // Watches every dialog of the application for as long as it lives.
    explicit FocusReturn(QObject* parent = nullptr);
    ~FocusReturn() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void giveBack(QWidget* opener);

    QHash<QObject*, QPointer<QWidget>> openers_;  // dialog shown -> the control focused before it
};

}  // namespace tembrel::ui
