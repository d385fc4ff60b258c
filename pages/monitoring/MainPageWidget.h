#pragma once
// The Network Status page's controls, bound to MainPageModel. The page class of the sheet hosts
// one of these; tests drive it directly through a MainPageSource.

#include "pages/monitoring/GraphControl.h"
#include "pages/monitoring/logic/MainPageModel.h"

#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QTimer;

namespace tembrel::ui {
class SignalBar;
}

namespace tembrel::monitoring {

class MainPageWidget : public QWidget, private MainPageOutput {
    Q_OBJECT
public:
    MainPageWidget(MainPageSource& source, const IpHelper& ipHelper, QWidget* parent = nullptr);
    ~MainPageWidget() override;

    // The page builds two CGraphCtrl strip charts. Tests (or another chart) replace them here:
    // the widgets must implement GraphControl; the page reparents them and gives them ids 5001/5002.
    template <typename Graph>
    void setGraphs(Graph* transmit, Graph* receive) {
        installGraph(transmit, transmit, kTransmitSlot);
        installGraph(receive, receive, kReceiveSlot);
    }

    const MainPageModel& model() const { return model_; }
    bool timerActive() const;

public slots:
    void activate();
    void deactivate();
    void onAdapterState(bool usable);
    void notify(quintptr code, const QString& text);
    void refreshLink();
    // The one-second timer's work; public so that tests step it without waiting.
    void onTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static constexpr int kTransmitSlot = 0;
    static constexpr int kReceiveSlot = 1;

    void installGraph(QWidget* widget, GraphControl* control, int slot);
    void buildControls();
    void applyView();
    void applyProfiles();
    void onProfileActivated(int index);
    void syncTimer();
    void describeGraphs();

    // MainPageOutput
    void graphSetRange(Graph graph, uint32_t low, uint32_t high) override;
    void graphAddValue(Graph graph, uint32_t value) override;
    void graphsStep(int count) override;
    void setBusyUi(bool busy) override;

    MainPageModel model_;
    QTimer* timer_ = nullptr;
    QComboBox* profiles_ = nullptr;
    std::vector<ProfilePtr> shownProfiles_;
    ui::SignalBar* signalBar_ = nullptr;
    QLabel* linkIcon_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* ssid_ = nullptr;
    QLabel* networkType_ = nullptr;
    QLabel* bssid_ = nullptr;
    QLabel* security_ = nullptr;
    QLabel* linkSpeed_ = nullptr;
    QLabel* dhcp_ = nullptr;
    QLabel* ipAddress_ = nullptr;
    QLabel* subnetMask_ = nullptr;
    QLabel* defaultGateway_ = nullptr;
    QGroupBox* channelGroup_ = nullptr;
    QLabel* txRate_ = nullptr;
    QLabel* rxRate_ = nullptr;
    QLabel* txTop_ = nullptr;
    QLabel* txMiddle_ = nullptr;
    QLabel* rxTop_ = nullptr;
    QLabel* rxMiddle_ = nullptr;
    QWidget* graphPlaces_[2] = {nullptr, nullptr};
    QWidget* graphWidgets_[2] = {nullptr, nullptr};
    QLabel* bottomLabels_[2] = {nullptr, nullptr};
    GraphControl* graphs_[2] = {nullptr, nullptr};
    std::unique_ptr<GraphControl> ownedControls_[2];
    // The rate and scale texts the accessible names and descriptions were last composed from.
    std::optional<std::array<std::string, 6>> describedTexts_;
    bool busyCursor_ = false;
    // The timer's values arrived while the window was hidden and are not on the controls yet.
    bool viewStale_ = false;
    // The page was active when the window was hidden: its tick rests until the window returns.
    bool pausedWhileHidden_ = false;
};

// The link icon for an icon resource id (project art drawn in code).
QPixmap linkIconPixmap(int iconId);
// Shows the link icon on the label, named for assistive technology by the band or "not connected".
void showLinkIcon(QLabel& label, int iconId);

}  // namespace tembrel::monitoring
