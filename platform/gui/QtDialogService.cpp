#include "QtDialogService.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace tembrel {

namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Stop: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

void Prepare(QFileDialog& dialog, const FileDialogOptions& options) {
    if (!options.directory.isEmpty()) dialog.setDirectory(options.directory);
    const QString filter = QtNameFilter(options.filter);
    if (!filter.isEmpty()) dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.fileName.isEmpty()) dialog.selectFile(options.fileName);
}

}  // namespace

QtDialogService::QtDialogService(QString title) : title_(std::move(title)) {}

void QtDialogService::doShowMessage(QWidget* parent, const QString& text, MessageIcon icon,
                                  const QString& title) {
    QMessageBox box(ToQt(icon), title.isEmpty() ? title_ : title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogService::doAskYesNo(QWidget* parent, const QString& text, MessageIcon icon, const QString& title) {
    QMessageBox box(ToQt(icon), title.isEmpty() ? title_ : title, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString QtDialogService::doOpenFile(QWidget* parent, const FileDialogOptions& options) {
    QFileDialog dialog(parent, options.title.isEmpty() ? QStringLiteral("Open") : options.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    Prepare(dialog, options);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

QString QtDialogService::doSaveFile(QWidget* parent, const FileDialogOptions& options) {
    const QString caption = options.title.isEmpty() ? QStringLiteral("Save As") : options.title;
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    Prepare(dialog, options);
    // Ask again until the choice can be written or the user cancels.
    for (;;) {
        if (dialog.exec() != QDialog::Accepted) return {};
        const QString path = dialog.selectedFiles().value(0);
        if (path.isEmpty()) return {};
        const QFileInfo info(path);
        if (!info.absoluteDir().exists()) {
            showMessage(&dialog, QStringLiteral("%1\nThe folder does not exist.\nCheck the path and try again.")
                                     .arg(QDir::toNativeSeparators(path)),
                        MessageIcon::Exclamation, caption);
        } else if (info.exists() && !info.isWritable()) {
            showMessage(&dialog,
                        QStringLiteral("%1\nThis file is set to read-only.\nTry again with a different file name.")
                            .arg(QDir::toNativeSeparators(path)),
                        MessageIcon::Exclamation, caption);
        } else {
            return path;
        }
    }
}

}  // namespace tembrel
