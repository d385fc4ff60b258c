#include "pages/monitoring/MainPageWidget.h"

#include "pages/monitoring/CGraphCtrl.h"
#include "pages/monitoring/MainPageIds.h"
#include "ui/SignalBar.h"
#include "ui/ControlId.h"
#include "ui/ReadOnlyField.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tembrel::monitoring {
namespace {

QString qt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* valueLabel(QWidget* parent, int id) {
    auto* label = new QLabel(parent);
    ui::SetControlId(*label, id);
    ui::exposeAsReadOnlyField(*label);
    label->setMinimumWidth(150);
    return label;
}

QLabel* plainLabel(const QString& text, QWidget* parent, int id) {
    auto* label = new QLabel(text, parent);
    ui::SetControlId(*label, id);
    return label;
}

// The page's calls on a strip chart.
class StripChartControl final : public GraphControl {
public:
    explicit StripChartControl(CGraphCtrl& chart) : chart_(chart) {}
    void SetRange(uint32_t low, uint32_t high) override { chart_.SetRange(low, high); }
    void AddValue(uint32_t value) override { chart_.AddValue(value); }
    void Step(int count) override { chart_.StepTimes(count); }

private:
    CGraphCtrl& chart_;
};

// A combo entry's item data: the identity of the record it shows.
QVariant profileKey(const ProfilePtr& profile) {
    return QVariant::fromValue(reinterpret_cast<quintptr>(profile.get()));
}

}  // namespace

QPixmap linkIconPixmap(int iconId) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor colour(128, 128, 128);
    QString letter;
    switch (iconId) {
    case kIconBandG:
        colour = QColor(0, 150, 60);
        letter = "g";
        break;
    case kIconBandB:
        colour = QColor(0, 100, 200);
        letter = "b";
        break;
    case kIconBandA:
        colour = QColor(150, 60, 180);
        letter = "a";
        break;
    default:
        letter = "×";
        break;
    }
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(18);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 32, 30), Qt::AlignCenter, letter);
    return pixmap;
}

void showLinkIcon(QLabel& label, int iconId) {
    if (label.property("iconId").toInt() == iconId) {
        return;
    }
    label.setProperty("iconId", iconId);
    label.setPixmap(linkIconPixmap(iconId));
    const char* band = iconId == kIconBandG   ? "802.11g"
                       : iconId == kIconBandB ? "802.11b"
                       : iconId == kIconBandA ? "802.11a"
                                              : "not connected";
    label.setAccessibleName(QStringLiteral("Link: %1").arg(QLatin1String(band)));
}

MainPageWidget::MainPageWidget(MainPageSource& source, const IpHelper& ipHelper, QWidget* parent)
    : QWidget(parent), model_(source, ipHelper, *this) {
    timer_ = new QTimer(this);
    timer_->setInterval(ids::kTimerPeriodMs);
    timer_->setProperty("timerId", ids::kTimerId);
    connect(timer_, &QTimer::timeout, this, &MainPageWidget::onTimer);
    buildControls();
    applyView();
}

MainPageWidget::~MainPageWidget() {
    if (busyCursor_) {
        QApplication::restoreOverrideCursor();
    }
}

void MainPageWidget::buildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* profileRow = new QHBoxLayout;
    auto* profileLabel = new QLabel("Select Profile", this);
    profileRow->addWidget(profileLabel);
    profiles_ = new QComboBox(this);
    profileLabel->setBuddy(profiles_);
    ui::SetControlId(*profiles_, ids::kProfileCombo);
    profiles_->setMinimumWidth(200);
    connect(profiles_, &QComboBox::activated, this, &MainPageWidget::onProfileActivated);
    profileRow->addWidget(profiles_, 1);
    layout->addLayout(profileRow);

    auto* signalGroup = new QGroupBox("Signal Strength", this);
    auto* signalRow = new QHBoxLayout(signalGroup);
    signalBar_ = new ui::SignalBar(signalGroup);
    ui::SetControlId(*signalBar_, ids::kSignalBar);
    signalBar_->setAccessibleName("Signal Strength");
    signalBar_->setRange(0, kSignalBarMaximum);
    signalRow->addWidget(signalBar_, 1);
    linkIcon_ = new QLabel(signalGroup);
    ui::SetControlId(*linkIcon_, ids::kLinkIcon);
    signalRow->addWidget(linkIcon_);
    layout->addWidget(signalGroup);

    auto* columns = new QHBoxLayout;
    auto* linkForm = new QFormLayout;
    status_ = valueLabel(this, ids::kStatus);
    status_->setWordWrap(true);  // a refusal says why in full
    ssid_ = valueLabel(this, ids::kSsid);
    networkType_ = valueLabel(this, ids::kNetworkType);
    bssid_ = valueLabel(this, ids::kBssid);
    security_ = valueLabel(this, ids::kSecurity);
    linkSpeed_ = valueLabel(this, ids::kLinkSpeed);
    linkForm->addRow("Status:", status_);
    linkForm->addRow("Network SSID:", ssid_);
    linkForm->addRow("Network Type:", networkType_);
    linkForm->addRow("Network BSSID:", bssid_);
    linkForm->addRow("Security:", security_);
    linkForm->addRow("Link Speed:", linkSpeed_);
    columns->addLayout(linkForm, 1);

    auto* tcpIpGroup = new QGroupBox("TCP/IP", this);
    auto* tcpIpForm = new QFormLayout(tcpIpGroup);
    dhcp_ = valueLabel(tcpIpGroup, ids::kDhcp);
    ipAddress_ = valueLabel(tcpIpGroup, ids::kIpAddress);
    subnetMask_ = valueLabel(tcpIpGroup, ids::kSubnetMask);
    defaultGateway_ = valueLabel(tcpIpGroup, ids::kDefaultGateway);
    tcpIpForm->addRow("DHCP Option:", dhcp_);
    tcpIpForm->addRow("IP Address:", ipAddress_);
    tcpIpForm->addRow("Subnet Mask:", subnetMask_);
    tcpIpForm->addRow("Default Gateway:", defaultGateway_);
    // Present in the dialog but never shown; the page attaches no action to them.
    auto* renew = new QPushButton("Renew Lease", tcpIpGroup);
    ui::SetControlId(*renew, ids::kRenewLease);
    renew->hide();
    auto* properties = new QPushButton("Properties", tcpIpGroup);
    ui::SetControlId(*properties, ids::kProperties);
    properties->hide();
    columns->addWidget(tcpIpGroup, 1);
    layout->addLayout(columns);

    channelGroup_ = new QGroupBox(this);
    ui::SetControlId(*channelGroup_, ids::kChannelGroup);
    auto* graphs = new QGridLayout(channelGroup_);
    const struct {
        int rateId, topId, middleId, bottomId, slot;
        QLabel** rate;
        QLabel** top;
        QLabel** middle;
    } sides[] = {
        {ids::kTxRate, ids::kTxTopLabel, ids::kTxMiddleLabel, ids::kTxBottomLabel, kTransmitSlot, &txRate_, &txTop_, &txMiddle_},
        {ids::kRxRate, ids::kRxTopLabel, ids::kRxMiddleLabel, ids::kRxBottomLabel, kReceiveSlot, &rxRate_, &rxTop_, &rxMiddle_},
    };
    for (const auto& side : sides) {
        const int column = side.slot * 2;
        *side.rate = plainLabel({}, channelGroup_, side.rateId);
        graphs->addWidget(*side.rate, 0, column + 1);
        auto* scale = new QVBoxLayout;
        *side.top = plainLabel({}, channelGroup_, side.topId);
        *side.middle = plainLabel({}, channelGroup_, side.middleId);
        scale->addWidget(*side.top, 0, Qt::AlignTop | Qt::AlignRight);
        scale->addStretch();
        scale->addWidget(*side.middle, 0, Qt::AlignRight);
        scale->addStretch();
        bottomLabels_[side.slot] =
            plainLabel(QString::fromLatin1(kBottomScaleLabel.data(), kBottomScaleLabel.size()), channelGroup_, side.bottomId);
        scale->addWidget(bottomLabels_[side.slot], 0, Qt::AlignBottom | Qt::AlignRight);
        graphs->addLayout(scale, 1, column);
        auto* place = new QFrame(channelGroup_);
        place->setFrameShape(QFrame::StyledPanel);
        place->setMinimumSize(160, 100);
        new QVBoxLayout(place);
        place->layout()->setContentsMargins(0, 0, 0, 0);
        graphPlaces_[side.slot] = place;
        graphs->addWidget(place, 1, column + 1);
        auto* chart = new CGraphCtrl(place);
        chart->SetPeriod(0);  // stepped by the page's own one-second tick
        ownedControls_[side.slot] = std::make_unique<StripChartControl>(*chart);
        installGraph(chart, ownedControls_[side.slot].get(), side.slot);
    }
    graphs->setColumnStretch(1, 1);
    graphs->setColumnStretch(3, 1);
    layout->addWidget(channelGroup_, 1);
}

void MainPageWidget::installGraph(QWidget* widget, GraphControl* control, int slot) {
    if (!widget || !control) {
        return;
    }
    // A replacement takes the place of the chart installed before it.
    if (control != ownedControls_[slot].get()) {
        graphs_[slot] = nullptr;
        ownedControls_[slot].reset();
    }
    while (auto* item = graphPlaces_[slot]->layout()->takeAt(0)) {
        if (auto* previous = item->widget()) {
            previous->hide();
            previous->deleteLater();
        }
        delete item;
    }
    ui::SetControlId(*widget, slot == kTransmitSlot ? ids::kTxGraph : ids::kRxGraph);
    widget->setAccessibleName(slot == kTransmitSlot ? "Transmit throughput" : "Receive throughput");
    graphPlaces_[slot]->layout()->addWidget(widget);
    graphWidgets_[slot] = widget;
    describedTexts_.reset();  // the new graph is described at the next view update
    graphs_[slot] = control;
    control->SetRange(1, 1000);
}

bool MainPageWidget::timerActive() const {
    return timer_->isActive();
}

void MainPageWidget::activate() {
    model_.activate();
    syncTimer();
    applyView();
}

void MainPageWidget::deactivate() {
    model_.deactivate();
    syncTimer();
}

void MainPageWidget::onAdapterState(bool usable) {
    model_.onAdapterState(usable);
}

void MainPageWidget::notify(quintptr code, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    model_.notify(static_cast<uint32_t>(code), std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    applyView();
}

void MainPageWidget::refreshLink() {
    model_.refreshLink();
    applyView();
}

void MainPageWidget::onTimer() {
    model_.periodicUpdate();
    // The tick goes on while the window is hidden (the graphs keep their history); filling
    // the controls then would be work nobody sees, so they are filled when the window returns.
    const QWidget* top = window();
    if (top->isHidden() && top->testAttribute(Qt::WA_WState_ExplicitShowHide)) {
        viewStale_ = true;
        return;
    }
    applyView();
}

void MainPageWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (pausedWhileHidden_) {
        // Back on screen: the graphs take the seconds they missed at once, the controls are filled.
        pausedWhileHidden_ = false;
        activate();
    } else if (viewStale_) {
        applyView();
    }
}

void MainPageWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A hidden window shows nothing: the tick rests instead of waking the program every second.
    const QWidget* top = window();
    if (model_.timerRunning() && top->isHidden() && top->testAttribute(Qt::WA_WState_ExplicitShowHide)) {
        pausedWhileHidden_ = true;
        deactivate();
    }
}

void MainPageWidget::syncTimer() {
    // The timer draws nothing while the page is not shown, so it only runs while active.
    if (model_.timerRunning() && !timer_->isActive()) {
        timer_->start();
    } else if (!model_.timerRunning()) {
        timer_->stop();
    }
}

void MainPageWidget::applyProfiles() {
    const auto& view = model_.view();
    if (view.profiles != shownProfiles_) {
        const QSignalBlocker blocker(profiles_);
        profiles_->clear();
        for (const auto& profile : view.profiles) {
            profiles_->addItem(qt(recordText(profile->name, sizeof profile->name)), profileKey(profile));
        }
        shownProfiles_ = view.profiles;
    }
    profiles_->setEnabled(view.profilesEnabled);
    // Each entry carries its record's identity; the selection is made by that, not by position.
    const int index = view.selectedProfile ? profiles_->findData(profileKey(view.selectedProfile)) : -1;
    const QSignalBlocker blocker(profiles_);
    profiles_->setCurrentIndex(index);
}

void MainPageWidget::applyView() {
    viewStale_ = false;
    const auto& view = model_.view();
    status_->setText(qt(view.status));
    ssid_->setText(qt(view.ssid));
    networkType_->setText(qt(view.networkType));
    bssid_->setText(qt(view.bssid));
    security_->setText(qt(view.security));
    linkSpeed_->setText(qt(view.linkSpeed));
    dhcp_->setText(qt(view.dhcp));
    ipAddress_->setText(qt(view.ipAddress));
    subnetMask_->setText(qt(view.subnetMask));
    defaultGateway_->setText(qt(view.defaultGateway));
    channelGroup_->setTitle(qt(view.channelCaption));
    txRate_->setText(qt(view.txRate));
    rxRate_->setText(qt(view.rxRate));
    txTop_->setText(qt(view.txLabels.top));
    txMiddle_->setText(qt(view.txLabels.middle));
    rxTop_->setText(qt(view.rxLabels.top));
    rxMiddle_->setText(qt(view.rxLabels.middle));
    signalBar_->setValue(view.signalBar);
    showLinkIcon(*linkIcon_, view.linkIcon);
    describeGraphs();
    applyProfiles();
}

void MainPageWidget::describeGraphs() {
    // The scale figures are read with what they belong to, not as bare numbers.
    const auto& view = model_.view();
    // Most ticks change none of these texts; the names are composed again only when one did.
    const std::array<std::string, 6> described{view.txRate, view.txLabels.top, view.txLabels.middle,
                                               view.rxRate, view.rxLabels.top, view.rxLabels.middle};
    if (described == describedTexts_) {
        return;
    }
    describedTexts_ = described;
    const struct {
        const char* side;
        const std::string& rate;
        std::string_view prefix;
        QLabel* top;
        QLabel* middle;
    } sides[] = {{"Transmit", view.txRate, kTxRatePrefix, txTop_, txMiddle_},
                 {"Receive", view.rxRate, kRxRatePrefix, rxTop_, rxMiddle_}};
    for (int slot : {kTransmitSlot, kReceiveSlot}) {
        const auto& side = sides[slot];
        const QString scale = QStringLiteral("%1 scale").arg(QLatin1String(side.side));
        side.top->setAccessibleName(QStringLiteral("%1 top: %2").arg(scale, side.top->text()));
        side.middle->setAccessibleName(QStringLiteral("%1 middle: %2").arg(scale, side.middle->text()));
        bottomLabels_[slot]->setAccessibleName(QStringLiteral("%1 bottom: %2").arg(scale, bottomLabels_[slot]->text()));
        if (graphWidgets_[slot]) {
            const QByteArray top = side.top->text().toUtf8();
            graphWidgets_[slot]->setAccessibleDescription(
                qt(graphDescription(side.rate, side.prefix, std::string_view(top.constData(), static_cast<size_t>(top.size())))));
        }
    }
}

void MainPageWidget::onProfileActivated(int index) {
    const QVariant key = profiles_->itemData(index);
    const auto chosen = std::find_if(shownProfiles_.begin(), shownProfiles_.end(),
                                     [&](const ProfilePtr& profile) { return profileKey(profile) == key; });
    if (chosen == shownProfiles_.end()) {
        return;
    }
    model_.chooseProfile(*chosen);
    applyView();
}

void MainPageWidget::graphSetRange(Graph graph, uint32_t low, uint32_t high) {
    if (auto* control = graphs_[graph == Graph::Transmit ? kTransmitSlot : kReceiveSlot]) {
        control->SetRange(low, high);
    }
}

void MainPageWidget::graphAddValue(Graph graph, uint32_t value) {
    if (auto* control = graphs_[graph == Graph::Transmit ? kTransmitSlot : kReceiveSlot]) {
        control->AddValue(value);
    }
}

void MainPageWidget::graphsStep(int count) {
    for (auto* control : graphs_) {
        if (control) {
            control->Step(count);
        }
    }
}

void MainPageWidget::setBusyUi(bool busy) {
    for (auto* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->setEnabled(!busy);
    }
    if (busy && !busyCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busyCursor_ = true;
    } else if (!busy && busyCursor_) {
        QApplication::restoreOverrideCursor();
        busyCursor_ = false;
    }
    applyView();
    repaint();
}

}  // namespace tembrel::monitoring
