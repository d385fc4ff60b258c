#pragma once
// The dialog service on Qt widgets: QMessageBox and QFileDialog.

#include "platform/gui/DialogService.h"

namespace tembrel {

class QtDialogService final : public DialogService {
public:
    // title: caption of message boxes that do not name their own.
    explicit QtDialogService(QString title);

private:
    void doShowMessage(QWidget* parent, const QString& text, MessageIcon icon, const QString& title) override;
    bool doAskYesNo(QWidget* parent, const QString& text, MessageIcon icon, const QString& title) override;
    QString doOpenFile(QWidget* parent, const FileDialogOptions& options) override;
    QString doSaveFile(QWidget* parent, const FileDialogOptions& options) override;

    QString title_;
};

}  // namespace tembrel
