#include "pages/autolink/AutoLinkDialogRunner.h"

namespace tembrel {

AutoLinkDialogRunner::AutoLinkDialogRunner(PageContext& context, AutoLinkDlgSetup setup, QWidget* parent)
    : dialog_(new CAutoLinkDlg(context, std::move(setup), parent)) {}

AutoLinkDialogRunner::~AutoLinkDialogRunner() { delete dialog_.data(); }

void AutoLinkDialogRunner::setCandidates(std::vector<AutoLinkCandidate> candidates) {
    if (dialog_) dialog_->setCandidates(candidates);
}

AutoLinkDialog::Outcome AutoLinkDialogRunner::exec() {
    if (!dialog_) return Outcome::kOther;
    return dialog_->exec() == QDialog::Accepted ? Outcome::kOk : Outcome::kOther;
}

}  // namespace tembrel
