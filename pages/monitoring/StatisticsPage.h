#pragma once
// What both statistics layouts share: the one-second update timer (id 8192), which runs only
// while the page is shown and the card is usable, and one update at once when the page is shown.

#include "pages/CZarn9100Page.h"
#include "pages/logic/CardAccess.h"

class QTimer;

namespace tembrel::monitoring {

class StatisticsPage : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Statistics";
    static constexpr CardUse kCardUse = CardUse::NeedsOpenCard;
    StatisticsPage(PageContext& context, int dialogId, QWidget* parent);

    void OnSetActive() override;
    bool OnKillActive() override;
    // Stores the negation of the argument; updates pause while the card is unusable.
    void OnAdapterState(int usable) override;

    bool timerActive() const;
    // The timer's work; public so that tests step it without waiting.
    void onTimer();

protected:
    CardAccess cardAccess();
    virtual void activateModel() = 0;
    virtual void updateModel() = 0;
    virtual void showView() = 0;
    virtual void adapterUsable(bool) {}
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void syncTimer();

    QTimer* timer_;
    bool active_ = false;
    bool windowHidden_ = false;  // the window was hidden; the timer rests until it returns
};

}  // namespace tembrel::monitoring
