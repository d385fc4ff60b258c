#pragma once
// The Protocol page's values and rules without its window: "Do not change settings", power
// save, preamble, transmit rate and the two thresholds (kept as the edits' texts until checked).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/profiles/logic/ProfileInputRules.h"
#include "profiles/ProfileRecord.h"

namespace tembrel {

class ProtocolPageModel {
public:
    static std::vector<Choice> PowerSaveChoices();  // "Continuous Access" 0, "Max Power Save" 1
    static std::vector<Choice> PreambleChoices();   // "Auto" 1, "Short" 2, "Long" 3

    void load(const PROFILE_RECORD& record);
    // Call after check() passed. keepAdapterSettings always; with the keep flag clear the radio
    // fields; with it set, in create mode, the default thresholds.
    void store(PROFILE_RECORD& record, bool createMode) const;

    // The wizard's ad-hoc flag and band. Ad-Hoc forces "Continuous Access"; a band the user
    // changed drops a transmit rate the new band lacks back to "Auto".
    void setAdHoc(bool adHoc);
    void setBand(uint32_t band, bool changedByUser);

    std::vector<Choice> txRateChoices() const { return TxRateChoices(band_); }

    bool keep() const { return keep_; }
    uint32_t powerSave() const { return adHoc_ ? 0 : powerSave_; }
    bool powerSaveForced() const { return adHoc_; }
    uint32_t preamble() const { return preamble_; }
    uint32_t txRate() const { return txRate_; }
    const std::string& fragText() const { return fragText_; }
    const std::string& rtsText() const { return rtsText_; }
    uint32_t band() const { return band_; }

    // User actions.
    // Clearing the box puts each list on a value it offers: a preamble or rate it lacks (such as
    // the zeros a created "Do not change settings" profile holds) becomes "Auto", a power save
    // value "Continuous Access", so no stored record sends the card a value it does not know.
    void setKeep(bool keep);
    void choosePowerSave(uint32_t value) { powerSave_ = value; }
    void choosePreamble(uint32_t value) { preamble_ = value; }
    void chooseTxRate(uint32_t value) { txRate_ = value; }
    void setFragText(std::string_view text) { fragText_ = std::string(text); }
    void setRtsText(std::string_view text) { rtsText_ = std::string(text); }
    // "&Reset": first entries of the lists and the default thresholds; the keep flag stays.
    void reset();

    // With the keep flag clear: an edit without a non-negative integer, or a threshold out of
    // range, is refused with its message. With the flag set the thresholds are not used.
    std::optional<std::string> check() const;

private:
    bool keep_ = true;
    bool adHoc_ = false;
    uint32_t band_ = 255;
    uint32_t powerSave_ = 0;
    uint32_t preamble_ = 1;
    uint32_t txRate_ = 255;
    uint32_t fragThreshold_ = kMaxFragThreshold;
    uint32_t rtsThreshold_ = kMaxRtsThreshold;
    std::string fragText_ = std::to_string(kMaxFragThreshold);
    std::string rtsText_ = std::to_string(kMaxRtsThreshold);
};

}  // namespace tembrel
