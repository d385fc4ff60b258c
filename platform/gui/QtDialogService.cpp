#include "QtDialogService.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMessageBox>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

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

// Qt's own file dialog opens its detail view with columns of fixed widths (or those it kept from
// the last time), which cut long file names and dates. Each folder, once read, sizes every
// column to its contents and caption; the user may still drag any of them wider or narrower. A
// desktop's native dialog has no such view and is left alone.
void FitColumnsToNames(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!view || !model) return;
    view->header()->setSectionResizeMode(QHeaderView::Interactive);
    QObject::connect(model, &QFileSystemModel::directoryLoaded, view, [view] {
        // The rows of the folder are sorted in after the signal.
        QTimer::singleShot(0, view, [view] {
            const QAbstractItemView& contents = *view;  // where the content width is public
            for (int column = 0; column < view->header()->count(); ++column)
                view->setColumnWidth(column, std::max(contents.sizeHintForColumn(column),
                                                      view->header()->sectionSizeHint(column)));
        });
    });
}

void Prepare(QFileDialog& dialog, const FileDialogOptions& options) {
    FitColumnsToNames(dialog);
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
