#pragma once
// Reacting to what the user puts into a line edit, whatever the source: typing and pasting
// (textEdited) but also text set by a screen reader or a voice-control tool, which Qt reports
// only as textChanged. The program's own refills must not count as the user's change: a refill
// writes exactly what `shown()` returns (the value the page holds), so a change to that text is
// ignored and any other change is the user's.

#include <QLineEdit>
#include <QObject>
#include <QString>

namespace tembrel::ui {

template <typename Shown, typename Changed>
void onUserText(QLineEdit* edit, QObject* receiver, Shown shown, Changed changed) {
    QObject::connect(edit, &QLineEdit::textChanged, receiver, [shown, changed](const QString& text) {
        if (text != shown()) changed(text);
    });
}

}  // namespace tembrel::ui
