#pragma once
// The Network Status page of the main window.

#include "app/CZarn9100Page.h"
#include "pages/monitoring/MainPageWidget.h"

namespace tembrel {

class CMainPage : public CZarn9100Page {
    Q_OBJECT
public:
    CMainPage(CZarn9100Sheet& sheet, monitoring::MainPageSource& source, const IpHelper& ipHelper,
              QWidget* parent = nullptr);

    monitoring::MainPageWidget& content() { return *content_; }

    // Stores the negation of the argument: periodic updates pause while the adapter is unusable.
    void OnAdapterState(int usable) override;
    void OnLibraryEvent(quintptr code, qintptr param, const QString& text) override;
    void OnSetActive() override;
    bool OnKillActive() override;
    // After a radio change.
    void RefreshLink();

private:
    monitoring::MainPageWidget* content_;
};

}  // namespace tembrel
