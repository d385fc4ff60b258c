#include "pages/settings/logic/AdvancedModel.h"

#include <TembrelCodes.h>

#include <algorithm>

namespace tembrel::advanced {

AdvancedModel::AdvancedModel(CardAccess card, Settings& settings, SupervisorFlags& flags)
    : card_(std::move(card)), settings_(settings), flags_(flags) {
    selectValue(List::TxAntenna, 2);  // "Antenna 2"
}

const std::vector<Entry>& AdvancedModel::entries(List list) const {
    return list == List::TxRate ? view_.rates : fixedEntries(list);
}

void AdvancedModel::selectFirst(List list) {
    const auto& all = entries(list);
    selected(list) = all.empty() ? std::nullopt : std::optional<uint32_t>(all.front().value);
}

void AdvancedModel::selectValue(List list, uint32_t value) {
    const auto& all = entries(list);
    if (std::any_of(all.begin(), all.end(), [&](const Entry& e) { return e.value == value; })) selected(list) = value;
}

void AdvancedModel::showThresholds() {
    view_.fragText = std::to_string(frag_);
    view_.rtsText = std::to_string(rts_);
}

void AdvancedModel::pageShown() {
    shownOnce_ = true;
    pending_ = 0;
    rebuildRates();
    refresh();
}

void AdvancedModel::rebuildRates() {
    uint32_t mode = 0;
    if (card_.hasAdapter()) {
        const ConnectionSnapshot link = card_.snapshot();
        if (link.connectedOrAdHocStarted()) {
            mode = link.currentWlanMode;
        } else {
            uint32_t queried = 0;
            card_.with([&](DriverLibrary& library, ZARN9100_HANDLE h) {
                if (library.QueryWlanMode(h, &queried) == 0) mode = queried;
            });
        }
    }
    view_.rates = rateEntries(mode);
}

void AdvancedModel::refresh() {
    if (!card_.hasAdapter()) {
        view_.description.clear();
        for (List list : {List::PowerSave, List::Preamble, List::TxAntenna, List::RxAntenna, List::TxRate})
            selected(list).reset();
        frag_ = 0;
        rts_ = 0;
        showThresholds();
        return;
    }
    view_.autoConnectChecked = settings_.read(settings::kAutoConfiguration) == 1;
    view_.tcpIpChecked = settings_.read(settings::kTcpIpUseProfile) == 1;
    view_.autoLinkChecked = flags_.autoLink != 0;

    for (List list : {List::PowerSave, List::Preamble, List::TxAntenna, List::RxAntenna, List::TxRate})
        selectFirst(list);
    frag_ = kFragDefault;
    rts_ = kRtsDefault;

    const ConnectionSnapshot link = card_.snapshot();
    card_.with([&](DriverLibrary& library, ZARN9100_HANDLE h) {
        char description[kDeviceDescCapacity] = {};
        if (library.QueryDeviceDesc(h, description, sizeof description) == 0)
            view_.description = boundedText(description, sizeof description);

        if (view_.description.find(kBoostCardMarker) != std::string::npos) {
            view_.boostEnabled = true;
            uint32_t boost = 0;
            if (library.QueryBoostMode(h, &boost) == 0) view_.boostChecked = boost == 0;
        } else {
            view_.boostEnabled = false;
        }

        view_.powerSaveEnabled = !link.connectedOrAdHocStarted() || link.currentNetworkMode == ZARN9100_NETWORK_INFRASTRUCTURE;

        const struct {
            List list;
            int (DriverLibrary::*query)(ZARN9100_HANDLE, uint32_t*);
        } queries[] = {
            {List::PowerSave, &DriverLibrary::QueryPowerMode}, {List::TxAntenna, &DriverLibrary::QueryTxAntenna},
            {List::RxAntenna, &DriverLibrary::QueryRxAntenna}, {List::TxPower, &DriverLibrary::QueryTxPower},
            {List::TxRate, &DriverLibrary::QueryDataRate},     {List::Preamble, &DriverLibrary::QueryPreamble},
        };
        for (const auto& q : queries) {
            uint32_t value = 0;
            if ((library.*q.query)(h, &value) == 0) selectValue(q.list, value);
        }

        uint32_t value = 0;
        if (library.QueryWepStatus(h, &value) == 0) {
            view_.fragEnabled = true;
            if (library.QueryFragThreshold(h, &value) == 0) frag_ = thresholdFromDriver(value);
        }
        if (library.QueryRTSThreshold(h, &value) == 0) rts_ = thresholdFromDriver(value);
    });
    showThresholds();
}

bool AdvancedModel::readEdits() {
    const auto frag = parseThreshold(view_.fragText);
    const auto rts = parseThreshold(view_.rtsText);
    if (!frag || !rts) return false;
    frag_ = *frag;
    rts_ = *rts;
    return true;
}

ApplyResult AdvancedModel::apply() {
    if (!readEdits()) return ApplyResult::NotAnInteger;
    if (!card_.hasAdapter()) return ApplyResult::NoAdapter;
    frag_ = std::clamp(frag_, kFragMin, kFragMax);
    rts_ = std::clamp(rts_, kRtsMin, kRtsMax);
    send();
    pending_ = 0;
    showThresholds();
    return ApplyResult::Sent;
}

void AdvancedModel::send() {
    const uint32_t boost = view_.boostChecked ? 0 : 1;
    card_.with([&](DriverLibrary& library, ZARN9100_HANDLE h) {
        // A list without a selection has nothing to send.
        auto sendSelected = [&](uint32_t bit, List list, int (DriverLibrary::*set)(ZARN9100_HANDLE, uint32_t)) {
            if ((pending_ & bit) != 0 && selected(list)) (library.*set)(h, *selected(list));
        };
        sendSelected(kPendingPowerSave, List::PowerSave, &DriverLibrary::SetPowerMode);
        sendSelected(kPendingPreamble, List::Preamble, &DriverLibrary::SetPreamble);
        if ((pending_ & kPendingFragThreshold) != 0) library.SetFragThreshold(h, static_cast<uint32_t>(frag_));
        if ((pending_ & kPendingRtsThreshold) != 0) library.SetRTSThreshold(h, static_cast<uint32_t>(rts_));
        sendSelected(kPendingTxPower, List::TxPower, &DriverLibrary::SetTxPower);
        sendSelected(kPendingTxAntenna, List::TxAntenna, &DriverLibrary::SetTxAntenna);
        sendSelected(kPendingRxAntenna, List::RxAntenna, &DriverLibrary::SetRxAntenna);
        sendSelected(kPendingDataRate, List::TxRate, &DriverLibrary::SetDataRate);
        if ((pending_ & kPendingBoost) != 0) library.SetBoostMode(h, boost);
    });
    if ((pending_ & kPendingBoost) != 0) settings_.write(settings::kBoostMode, static_cast<int>(boost));
}

ApplyResult AdvancedModel::resetToDefaults() {
    selected(List::PowerSave) = 0;     // "Continuous Access"
    selected(List::TxRate) = kRateAuto;
    selected(List::Preamble) = 1;      // "Auto"
    selected(List::TxPower) = 4;       // "Auto"
    selected(List::TxAntenna) = 2;     // "Antenna 2"
    selected(List::RxAntenna) = 0xFFFF;  // "Diversity On"
    frag_ = kFragDefault;
    rts_ = kRtsDefault;
    showThresholds();
    pending_ = kPendingDefaults;
    return apply();
}

ApplyResult AdvancedModel::applyIfPending() {
    return pending_ != 0 ? apply() : ApplyResult::Sent;
}

void AdvancedModel::discard() {
    pending_ = 0;
    if (shownOnce_) refresh();
}

void AdvancedModel::select(List list, uint32_t value) {
    selected(list) = value;
    pending_ |= pendingBitsOf(list);
}

void AdvancedModel::editFragThreshold(std::string text) {
    view_.fragText = std::move(text);
    pending_ |= kPendingFragThreshold;
}

void AdvancedModel::editRtsThreshold(std::string text) {
    view_.rtsText = std::move(text);
    pending_ |= kPendingRtsThreshold;
}

void AdvancedModel::boostClicked(bool checked) {
    view_.boostChecked = checked;
    pending_ |= kPendingBoost;
    const uint32_t boost = checked ? 0 : 1;
    card_.with([&](DriverLibrary& library, ZARN9100_HANDLE h) { library.SetBoostMode(h, boost); });
    settings_.write(settings::kBoostMode, static_cast<int>(boost));
}

void AdvancedModel::autoConnectClicked(bool checked) {
    view_.autoConnectChecked = checked;
    settings_.write(settings::kAutoConfiguration, checked ? 1 : 0);
    flags_.autoConfiguration = checked ? 1 : 0;
}

void AdvancedModel::autoLinkClicked(bool checked) {
    view_.autoLinkChecked = checked;
    settings_.write(settings::kAutoLink, checked ? 1 : 0);
    flags_.autoLink = checked ? 1 : 0;
}

void AdvancedModel::tcpIpClicked(bool checked) {
    view_.tcpIpChecked = checked;
    settings_.write(settings::kTcpIpUseProfile, checked ? 1 : 0);
}

}  // namespace tembrel::advanced
