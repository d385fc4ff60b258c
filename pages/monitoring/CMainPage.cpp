#include "pages/monitoring/CMainPage.h"

#include "pages/monitoring/MainPageIds.h"

#include <QVBoxLayout>

namespace tembrel {

CMainPage::CMainPage(CZarn9100Sheet& sheet, monitoring::MainPageSource& source, const IpHelper& ipHelper,
                     QWidget* parent)
    : CZarn9100Page(sheet, "Network Status", monitoring::ids::kPage, parent),
      content_(new monitoring::MainPageWidget(source, ipHelper, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content_);
}

void CMainPage::OnAdapterState(int usable) {
    adapterState_ = usable == 0 ? 1 : 0;
    content_->onAdapterState(usable != 0);
}

void CMainPage::OnLibraryEvent(quintptr code, qintptr, const QString& text) {
    content_->notify(code, text);
}

void CMainPage::OnSetActive() {
    content_->activate();
}

bool CMainPage::OnKillActive() {
    content_->deactivate();
    return true;
}

void CMainPage::RefreshLink() {
    content_->refreshLink();
}

}  // namespace tembrel
