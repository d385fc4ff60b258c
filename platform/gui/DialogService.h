#pragma once
// Every message box and file dialog of the program goes through this one service, so that
// tests replace it (ScriptedDialogService.h) and run without modal windows.

#include <QString>

class QWidget;

namespace tembrel {

enum class MessageIcon { None, Exclamation, Information, Question, Stop };

struct FileDialogOptions {
    QString title;          // empty: "Open" or "Save As"
    QString directory;      // folder shown first; empty: the current folder
    QString fileName;       // name proposed in the name field
    QString filter;         // Windows form "cfg Files (*.cfg)|*.cfg||" or Qt form "cfg Files (*.cfg)"
    QString defaultSuffix;  // appended when the typed name has none: "cfg"
};

class DialogService {
public:
    virtual ~DialogService() = default;

    // A modal box with an OK button. An empty title means the service's own (the program's).
    void showMessage(QWidget* parent, const QString& text, MessageIcon icon = MessageIcon::Exclamation,
                     const QString& title = {}) {
        doShowMessage(parent, text, icon, title);
    }
    // A modal box with Yes (the default button) and No; true for Yes.
    bool askYesNo(QWidget* parent, const QString& text, MessageIcon icon = MessageIcon::Question,
                  const QString& title = {}) {
        return doAskYesNo(parent, text, icon, title);
    }
    // The chosen existing file, or "" when cancelled.
    QString openFile(QWidget* parent, const FileDialogOptions& options) { return doOpenFile(parent, options); }
    // The chosen file to write, or "" when cancelled. The folder exists; an existing file was
    // confirmed for overwriting and is not read-only.
    QString saveFile(QWidget* parent, const FileDialogOptions& options) { return doSaveFile(parent, options); }

private:
    virtual void doShowMessage(QWidget* parent, const QString& text, MessageIcon icon, const QString& title) = 0;
    virtual bool doAskYesNo(QWidget* parent, const QString& text, MessageIcon icon, const QString& title) = 0;
    virtual QString doOpenFile(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual QString doSaveFile(QWidget* parent, const FileDialogOptions& options) = 0;
};

// "desc|*.a;*.b|desc2|*.c||" as a Qt name filter "desc (*.a *.b);;desc2 (*.c)". A description
// that already names its patterns in parentheses is kept as it is; text without '|' is taken
// to be a Qt filter already.
QString QtNameFilter(const QString& filter);

}  // namespace tembrel
