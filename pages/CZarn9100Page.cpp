#include "CZarn9100Page.h"
#include "ui/ControlId.h"

namespace tembrel {

CZarn9100Page::CZarn9100Page(PageContext& context, const QString& caption, int dialogId, QWidget* parent)
    : QWidget(parent), context_(context), caption_(caption), dialogId_(dialogId) {
    ui::SetControlId(*this, dialogId);
    setObjectName(caption);
}

void CZarn9100Page::OnAdapterState(int) { adapterState_ = 0; }

void CZarn9100Page::OnLibraryEvent(quintptr, qintptr, const QString&) {}

}  // namespace tembrel
