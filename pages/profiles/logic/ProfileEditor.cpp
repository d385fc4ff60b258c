#include "pages/profiles/logic/ProfileEditor.h"

#include "pages/profiles/logic/ProfileInputRules.h"
#include "profiles/ProfileDefaults.h"

namespace tembrel {

namespace {

std::string TextOf(const std::vector<Choice>& choices, int64_t value) {
    const int index = IndexOfValue(choices, value);
    return index < 0 ? std::string() : choices[static_cast<std::size_t>(index)].text;
}

}  // namespace

ProfileEditor::ProfileEditor(WizardMode mode) : mode_(mode) {}

bool ProfileEditor::has(WizardPage page) const { return mode_ != WizardMode::Configure || page == WizardPage::Security; }

void ProfileEditor::load(const PROFILE_RECORD& record) {
    adHoc_ = record.networkType == ZARN9100_NETWORK_ADHOC;
    band_ = adHoc_ ? record.adHocWirelessMode : record.wirelessMode;
    network_.load(record);
    security_.load(record);
    security_.setAdHoc(adHoc_, false);
    protocol_.load(record);
    protocol_.setAdHoc(adHoc_);
    protocol_.setBand(band_, false);
}

void ProfileEditor::networkChangedByUser() {
    adHoc_ = network_.adHoc();
    band_ = network_.band();
    security_.setAdHoc(adHoc_, true);
    protocol_.setAdHoc(adHoc_);
    protocol_.setBand(band_, true);
}

std::optional<PageProblem> ProfileEditor::validate(const ProfileSequence& records, const PROFILE_RECORD* self) {
    if (has(WizardPage::Network))
        if (auto message = network_.checkName(records, self)) return PageProblem{WizardPage::Network, *message};
    if (auto message = security_.check()) return PageProblem{WizardPage::Security, *message};
    if (has(WizardPage::Protocol))
        if (auto message = protocol_.check()) return PageProblem{WizardPage::Protocol, *message};
    return std::nullopt;
}

void ProfileEditor::store(PROFILE_RECORD& record) const {
    if (has(WizardPage::Network)) network_.store(record);
    security_.store(record);
    if (has(WizardPage::Protocol)) protocol_.store(record, mode_ == WizardMode::Create);
}

std::string ProfileEditor::summary() const {
    const auto line = [](const char* label, const std::string& value) { return std::string(label) + value + "\r\n"; };
    const std::vector<Choice> channels = ChannelChoices({1, 14});
    std::string channel = TextOf(channels, network_.channel());
    if (channel.empty()) channel = "Auto Select";
    std::string text;
    text += line("Profile Name = ", network_.name());
    text += line("Network SSID = ", network_.ssid());
    text += line("Network Type = ", TextOf(NetworkPageModel::NetworkTypeChoices(), network_.networkType()));
    text += line("Channel = ", channel);
    text += line("Security = ", TextOf(security_.encryptionChoices(), security_.encryption()));
    text += line("Authentication = ", TextOf(security_.authenticationChoices(), security_.authentication()));
    text += line("Power Mode = ", TextOf(ProtocolPageModel::PowerSaveChoices(), protocol_.powerSave()));
    text += line("Radio Preamble = ", TextOf(ProtocolPageModel::PreambleChoices(), protocol_.preamble()));
    text += line("Transmit Data Rate = ", TextOf(protocol_.txRateChoices(), protocol_.txRate()));
    text += line("Fragmentation Threshold = ", protocol_.fragText());
    text += line("RTS Threshold = ", protocol_.rtsText());
    return text;
}

}  // namespace tembrel
