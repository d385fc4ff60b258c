#pragma once
// The Auto Link dialog as the Auto Link flow uses it (connection/AutoLinkDialog.h).

#include "connection/AutoLinkDialog.h"
#include "pages/autolink/CAutoLinkDlg.h"

#include <QPointer>

namespace tembrel {

class AutoLinkDialogRunner final : public AutoLinkDialog {
public:
    AutoLinkDialogRunner(PageContext& context, AutoLinkDlgSetup setup, QWidget* parent);
    ~AutoLinkDialogRunner() override;

    void setCandidates(std::vector<AutoLinkCandidate> candidates) override;
    Outcome exec() override;
    bool done() const override { return dialog_ && dialog_->profilePrepared(); }
    PROFILE_RECORD preparedProfile() const override { return dialog_ ? dialog_->profile() : PROFILE_RECORD{}; }

    CAutoLinkDlg* window() const { return dialog_; }

private:
    QPointer<CAutoLinkDlg> dialog_;  // owned: deleted with this object unless its parent went first
};

}  // namespace tembrel
