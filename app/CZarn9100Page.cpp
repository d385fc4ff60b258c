#include "CZarn9100Page.h"

namespace tembrel {

CZarn9100Page::CZarn9100Page(CZarn9100Sheet& sheet, const QString& caption, int dialogId, QWidget* parent)
    : QWidget(parent), sheet_(sheet), caption_(caption), dialogId_(dialogId) {
    setProperty("controlId", dialogId);
    setObjectName(caption);
}

void CZarn9100Page::OnAdapterState(int) { adapterState_ = 0; }

void CZarn9100Page::OnLibraryEvent(quintptr, qintptr, const QString&) {}

}  // namespace tembrel
