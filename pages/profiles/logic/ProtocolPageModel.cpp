#include "pages/profiles/logic/ProtocolPageModel.h"

namespace tembrel {

std::vector<Choice> ProtocolPageModel::PowerSaveChoices() { return {{"Continuous Access", 0}, {"Max Power Save", 1}}; }
std::vector<Choice> ProtocolPageModel::PreambleChoices() { return {{"Auto", 1}, {"Short", 2}, {"Long", 3}}; }

void ProtocolPageModel::load(const PROFILE_RECORD& record) {
    keep_ = record.keepAdapterSettings != 0;
    powerSave_ = record.powerSaveMode;
    preamble_ = record.preamble;
    txRate_ = record.txRate;
    fragThreshold_ = record.fragThreshold;
    rtsThreshold_ = record.rtsThreshold;
    fragText_ = std::to_string(fragThreshold_);
    rtsText_ = std::to_string(rtsThreshold_);
}

void ProtocolPageModel::store(PROFILE_RECORD& record, bool createMode) const {
    record.keepAdapterSettings = keep_ ? 1 : 0;
    if (!keep_) {
        record.powerSaveMode = powerSave();
        record.preamble = preamble_;
        record.txRate = txRate_;
        record.fragThreshold = ParseThreshold(fragText_).value_or(fragThreshold_);
        record.rtsThreshold = ParseThreshold(rtsText_).value_or(rtsThreshold_);
    } else if (createMode) {
        record.fragThreshold = kMaxFragThreshold;
        record.rtsThreshold = kMaxRtsThreshold;
    }
}

void ProtocolPageModel::setKeep(bool keep) {
    keep_ = keep;
    if (keep_) return;
    if (!Offers(PowerSaveChoices(), powerSave_)) powerSave_ = 0;
    if (!Offers(PreambleChoices(), preamble_)) preamble_ = 1;
    if (!Offers(txRateChoices(), txRate_)) txRate_ = 255;
}

void ProtocolPageModel::setAdHoc(bool adHoc) { adHoc_ = adHoc; }

void ProtocolPageModel::setBand(uint32_t band, bool changedByUser) {
    band_ = band;
    if (changedByUser && !Offers(txRateChoices(), txRate_)) txRate_ = 255;
}

void ProtocolPageModel::reset() {
    powerSave_ = 0;
    preamble_ = 1;
    txRate_ = 255;
    fragText_ = std::to_string(kMaxFragThreshold);
    rtsText_ = std::to_string(kMaxRtsThreshold);
}

std::optional<std::string> ProtocolPageModel::check() const {
    if (keep_) return std::nullopt;
    const std::optional<uint32_t> frag = ParseThreshold(fragText_);
    const std::optional<uint32_t> rts = ParseThreshold(rtsText_);
    if (!frag || !rts) return std::string(kNotAnIntegerMessage);
    std::string message = ThresholdMessage(*frag, *rts);
    if (message.empty()) return std::nullopt;
    return message;
}

}  // namespace tembrel
