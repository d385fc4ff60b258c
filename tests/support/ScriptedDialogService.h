#pragma once
// Dialog service for tests: records every box and dialog it is asked to show, answers yes/no
// questions and file dialogs from a script, and never opens a window.

#include "platform/gui/DialogService.h"

#include <QStringList>

#include <deque>
#include <vector>

namespace tembrel {

class ScriptedDialogService final : public DialogService {
public:
    enum class Kind { Message, YesNo, OpenFile, SaveFile };

    struct Shown {
        Kind kind;
        QString text;           // message and question text
        MessageIcon icon = MessageIcon::None;
        QString title;          // as requested (empty: the program's)
        FileDialogOptions file;  // file dialogs only
    };

    // Answers in the order the questions come. A question with no answer left gets
    // unscriptedAnswer (No unless changed) and is counted in unscripted().
    void answerYesNo(bool yes) { yesNo_.push_back(yes); }
    // Paths in the order the file dialogs come; "" stands for Cancel. No path left: Cancel.
    void answerFile(const QString& path) { files_.push_back(path); }
    void setUnscriptedAnswer(bool yes) { unscriptedAnswer_ = yes; }

private:
    void doShowMessage(QWidget*, const QString& text, MessageIcon icon, const QString& title) override {
        shown_.push_back({Kind::Message, text, icon, title, {}});
    }
    bool doAskYesNo(QWidget*, const QString& text, MessageIcon icon, const QString& title) override {
        shown_.push_back({Kind::YesNo, text, icon, title, {}});
        if (yesNo_.empty()) {
            ++unscripted_;
            return unscriptedAnswer_;
        }
        const bool answer = yesNo_.front();
        yesNo_.pop_front();
        return answer;
    }
    QString doOpenFile(QWidget*, const FileDialogOptions& options) override {
        shown_.push_back({Kind::OpenFile, {}, MessageIcon::None, options.title, options});
        return nextFile();
    }
    QString doSaveFile(QWidget*, const FileDialogOptions& options) override {
        shown_.push_back({Kind::SaveFile, {}, MessageIcon::None, options.title, options});
        return nextFile();
    }
public:
    const std::vector<Shown>& shown() const { return shown_; }
    // Texts of the message boxes and questions, in order.
    QStringList texts() const {
        QStringList result;
        for (const Shown& s : shown_) {
            if (s.kind == Kind::Message || s.kind == Kind::YesNo) result << s.text;
        }
        return result;
    }
    int unscripted() const { return unscripted_; }
    bool allAnswersUsed() const { return yesNo_.empty() && files_.empty(); }
    void clear() { shown_.clear(); }

private:
    QString nextFile() {
        if (files_.empty()) return {};
        QString path = files_.front();
        files_.pop_front();
        return path;
    }

    std::vector<Shown> shown_;
    std::deque<bool> yesNo_;
    std::deque<QString> files_;
    bool unscriptedAnswer_ = false;
    int unscripted_ = 0;
};

}  // namespace tembrel
