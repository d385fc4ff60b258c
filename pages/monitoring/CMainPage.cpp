#include "pages/monitoring/CMainPage.h"

#include "pages/monitoring/ContextMainPageSource.h"
#include "pages/monitoring/MainPageIds.h"

#include <QVBoxLayout>

namespace tembrel {

CMainPage::CMainPage(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, kCaption, monitoring::ids::kPage, parent),
      source_(std::make_unique<ContextMainPageSource>(context)),
      content_(new monitoring::MainPageWidget(*source_, context.ipHelper(), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content_);
}

// The controls use the source: they go before it, not with the widget's children.
CMainPage::~CMainPage() { delete content_; }

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
