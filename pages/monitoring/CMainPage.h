#pragma once
// The Network Status page of the main window.

#include "pages/CZarn9100Page.h"
#include "pages/monitoring/MainPageWidget.h"

#include <memory>

namespace tembrel {

class CMainPage : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Network Status";
    explicit CMainPage(PageContext& context, QWidget* parent = nullptr);
    ~CMainPage() override;

    monitoring::MainPageWidget& content() { return *content_; }

    // Stores the negation of the argument: periodic updates pause while the adapter is unusable.
    void OnAdapterState(int usable) override;
    void OnLibraryEvent(quintptr code, qintptr param, const QString& text) override;
    void OnSetActive() override;
    bool OnKillActive() override;
    // After a radio change.
    void RefreshLink();

private:
    std::unique_ptr<monitoring::MainPageSource> source_;
    monitoring::MainPageWidget* content_;
};

}  // namespace tembrel
