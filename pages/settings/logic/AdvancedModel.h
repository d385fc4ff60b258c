#pragma once
// The Advanced page without its window: the card's radio parameters as the page shows them,
// the pending-change bits, Apply (in the driver's fixed order, with the threshold clamps),
// "&Default", "Boost Mode" sent at once, and the four options kept in the settings file.

#include "connection/SupervisorFlags.h"
#include "pages/logic/CardAccess.h"
#include "pages/settings/logic/AdvancedValues.h"
#include "platform/Settings.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tembrel::advanced {

// What the page's controls show.
struct AdvancedView {
    std::string description;
    // The value of each list's selected entry (index: List); nullopt = no selection.
    std::array<std::optional<uint32_t>, kListCount> selected{};
    std::vector<Entry> rates = rateEntries(0);
    std::string fragText = std::to_string(kFragDefault);
    std::string rtsText = std::to_string(kRtsDefault);
    bool powerSaveEnabled = true;
    bool fragEnabled = false;
    bool boostEnabled = false;
    bool boostChecked = false;
    bool autoConnectChecked = false;
    bool autoLinkChecked = false;
    bool tcpIpChecked = false;
};

enum class ApplyResult {
    Sent,          // the pending parameters went to the card
    NoAdapter,     // no card: nothing sent
    NotAnInteger,  // a threshold edit holds no integer: nothing sent, "Please enter an integer."
};

inline constexpr const char* kNotAnIntegerMessage = "Please enter an integer.";

class AdvancedModel {
public:
    AdvancedModel(CardAccess card, Settings& settings, SupervisorFlags& flags);

    const AdvancedView& view() const { return view_; }
    const std::vector<Entry>& entries(List list) const;
    uint32_t pending() const { return pending_; }
    int32_t fragThreshold() const { return frag_; }
    int32_t rtsThreshold() const { return rts_; }

    // The page is shown: pending bits cleared, the rate list rebuilt, values read from the card.
    void pageShown();
    // Values read from the card (and the options from the settings file).
    void refresh();
    // Takes both edits into the threshold values; false (nothing taken) when either is not an integer.
    bool readEdits();
    void clearPending() { pending_ = 0; }

    ApplyResult apply();
    // "&Default": default values selected and sent (everything but boost).
    ApplyResult resetToDefaults();
    // The window's OK: Apply when something is pending.
    ApplyResult applyIfPending();
    // The window's Cancel: unapplied changes forgotten, the controls show the card's values again.
    void discard();

    // The user's changes.
    void select(List list, uint32_t value);
    void editFragThreshold(std::string text);
    void editRtsThreshold(std::string text);
    void boostClicked(bool checked);
    void autoConnectClicked(bool checked);
    void autoLinkClicked(bool checked);
    void tcpIpClicked(bool checked);

private:
    std::optional<uint32_t>& selected(List list) { return view_.selected[static_cast<size_t>(list)]; }
    void selectFirst(List list);
    // Selects the first entry with this value; no such entry leaves the selection as it is.
    void selectValue(List list, uint32_t value);
    void showThresholds();
    void rebuildRates();
    void send();

    CardAccess card_;
    Settings& settings_;
    SupervisorFlags& flags_;
    AdvancedView view_;
    uint32_t pending_ = 0;
    int32_t frag_ = kFragDefault;
    int32_t rts_ = kRtsDefault;
    bool shownOnce_ = false;
};

}  // namespace tembrel::advanced
