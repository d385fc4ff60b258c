#pragma once
// The last page of the create-mode wizard, "Complete.": a summary of the entries of the other
// pages. Finish (the wizard's button) makes the record.

#include <QWidget>

class QLabel;

namespace tembrel {

class CProfileWizard;

class CCompleteWiz : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIdSummary = 1049;
    static constexpr int kIdRight = 1050;

    explicit CCompleteWiz(CProfileWizard& wizard, QWidget* parent = nullptr);

    // Rebuilds the summary from the other pages.
    void refresh();
    QString summary() const;

private:
    CProfileWizard& wizard_;
    QLabel* summary_;
    QLabel* right_;
};

}  // namespace tembrel
