#pragma once
// The Auto Link dialog as far as this version goes: it lists the access points that announce
// Auto Link and lets the user stop the questions; the PIN setup itself is not offered, so the
// flow always ends with "nothing done".

#include "connection/AutoLinkDialog.h"
#include "connection/SupervisorFlags.h"

#include <QDialog>
#include <QPointer>

#include <memory>

class QCheckBox;
class QComboBox;
class QWidget;

namespace tembrel {

class AutoLinkStandInDialog final : public AutoLinkDialog {
public:
    AutoLinkStandInDialog(SupervisorFlags& flags, QWidget* parent);
    ~AutoLinkStandInDialog() override;

    void setCandidates(std::vector<AutoLinkCandidate> candidates) override;
    Outcome exec() override;
    bool done() const override { return false; }
    PROFILE_RECORD preparedProfile() const override { return PROFILE_RECORD{}; }

    QDialog* window() const { return dialog_; }

private:
    SupervisorFlags& flags_;
    QPointer<QDialog> dialog_;  // owned: deleted with this object unless its parent went first
    QComboBox* accessPoints_;
    QCheckBox* doNotAsk_;
};

}  // namespace tembrel
