#pragma once
// The up and down arrows beside a threshold edit: each step writes the edit's value plus or
// minus one, kept within the spin range, as a plain integer.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace tembrel::advanced {

class SpinButtons : public QWidget {
    Q_OBJECT
public:
    SpinButtons(QLineEdit& buddy, int minimum, int maximum, QWidget* parent = nullptr);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }
    // Names the arrows for assistive technology after the edit's caption ("Fragment Threshold:
    // up"), so that they say what they change.
    void nameAfter(const QString& caption);
    // One step up (+1) or down (-1), as a click on an arrow.
    void step(int delta);

signals:
    // The new text, already written into the edit.
    void stepped(const QString& text);

private:
    QLineEdit& buddy_;
    int minimum_;
    int maximum_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace tembrel::advanced
