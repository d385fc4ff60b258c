#include "pages/profiles/CWepKeyDlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "pages/profiles/ProfileControls.h"
#include "platform/Settings.h"
#include "platform/gui/DialogService.h"
#include "ui/UserText.h"
#include "ui/ControlId.h"
#include "ui/Notice.h"

namespace tembrel {

CWepKeyDlg::CWepKeyDlg(WEP_KEY_SET& keys, Settings& settings, DialogService& dialogs, QWidget* parent)
    : QDialog(parent), keys_(keys), settings_(settings), dialogs_(dialogs) {
    setWindowTitle("Configure WEP Key");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    layout->addLayout(top);
    format_ = ui::WithId(new QComboBox(this), kIdFormat);
    size_ = ui::WithId(new QComboBox(this), kIdSize);
    top->addWidget(MakeLabel("Key Format:", this, 0, format_), 0, 0);
    top->addWidget(format_, 0, 1);
    top->addWidget(MakeLabel("Key Size", this, 0, size_), 1, 0);
    top->addWidget(size_, 1, 1);
    top->setColumnStretch(1, 1);

    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    grid->addWidget(new QLabel("Transmit Key", this), 0, 0);
    grid->addWidget(new QLabel("Key Value", this), 0, 1);
    radioGroup_ = new QButtonGroup(this);
    for (int k = 0; k < 4; ++k) {
        radios_[k] = ui::WithId(new QRadioButton(QString("Key %1").arg(k + 1), this), kIdRadio1 + k);
        edits_[k] = ui::WithId(new QLineEdit(this), kIdKey1 + k);
        edits_[k]->setAccessibleName(QString("Key %1 value").arg(k + 1));
        // Room for the 26 digits of a 104-bit key.
        edits_[k]->setMinimumWidth(edits_[k]->fontMetrics().horizontalAdvance(QString(28, QLatin1Char('0'))));
        radioGroup_->addButton(radios_[k], k + 1);
        grid->addWidget(radios_[k], k + 1, 0);
        grid->addWidget(edits_[k], k + 1, 1);
        ui::onUserText(edits_[k], this, [this, k] { return Text(editor_.text(k + 1)); },
                       [this, k](const QString& text) { onKeyEdited(k + 1, text); });
    }
    grid->setColumnStretch(1, 1);

    // Said in the dialog, not in a message box, so that typing goes on undisturbed.
    cutNotice_ = ui::WithId(new QLabel(this), kIdCutNotice);
    cutNotice_->setWordWrap(true);
    ui::exposeAsNotice(*cutNotice_);
    switch_ = ui::WithId(new QPushButton(this), kIdSwitch);
    auto* notice = new QHBoxLayout;
    notice->addWidget(cutNotice_, 1);
    notice->addWidget(switch_);
    layout->addLayout(notice);
    cutNotice_->hide();
    switch_->hide();
    connect(switch_, &QPushButton::clicked, this, &CWepKeyDlg::onSwitch);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = ui::MakeButton("&OK", this, kIdOk);
    auto* cancel = ui::MakeButton("&Cancel", this, kIdCancel);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &CWepKeyDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CWepKeyDlg::reject);
    connect(radioGroup_, &QButtonGroup::idClicked, this, [this](int key) { editor_.selectTransmitKey(key); });
    connect(size_, &QComboBox::activated, this, &CWepKeyDlg::onSize);
    connect(format_, &QComboBox::activated, this, &CWepKeyDlg::onFormat);

    editor_.open(keys_, WepKeyFormatFromSetting(settings_.read(settings::kWepKeyFmt)));
    FillChoices(*format_, {{"ASCII Characters", 0}, {"Hexadecimal Digits", 1}}, static_cast<int>(editor_.format()));
    fillSizes();
    showTexts();
}

void CWepKeyDlg::fillSizes() {
    const WepKeyFormat format = editor_.format();
    FillChoices(*size_,
                {{WepKeySizeText(format, WepKeySize::Bits40), 0}, {WepKeySizeText(format, WepKeySize::Bits104), 1}},
                static_cast<int>(editor_.size()));
}

void CWepKeyDlg::showTexts() {
    for (int k = 1; k <= 4; ++k) {
        QLineEdit* edit = edits_[k - 1];
        const QString text = Text(editor_.text(k));
        if (edit->text() != text) edit->setText(text);
    }
    showRadios();
}

void CWepKeyDlg::showRadios() {
    radioGroup_->setExclusive(false);
    for (int k = 1; k <= 4; ++k) {
        radios_[k - 1]->setEnabled(editor_.radioEnabled(k));
        radios_[k - 1]->setChecked(editor_.transmitKey() == k);
    }
    radioGroup_->setExclusive(true);
}

void CWepKeyDlg::onKeyEdited(int key, const QString& text) {
    QLineEdit* edit = edits_[key - 1];
    const std::string typed = Utf8(text);
    const FilteredKeyText shown = editor_.editKey(key, typed);
    if (shown.changed || shown.text != typed) {
        edit->setText(Text(shown.text));
        edit->setCursorPosition(static_cast<int>(shown.caret));
    }
    showRadios();
    showCutNotice(key);
}

void CWepKeyDlg::showCutNotice(int key) {
    if (!editor_.cut(key)) {
        if (noticeKey_ == key || noticeKey_ == 0) {
            noticeKey_ = 0;
            cutNotice_->hide();
            switch_->hide();
        }
        return;
    }
    noticeKey_ = key;
    const WepKeyChoice current{editor_.format(), editor_.size()};
    const std::optional<WepKeyChoice> fits = WepKeyChoiceFor(editor_.wanted(key), current);
    ui::setNoticeText(*cutNotice_, Text(WepKeyCutNotice(key, current, fits)));
    cutNotice_->show();
    if (fits) switch_->setText(Text("&Switch to " + WepKeyChoiceText(*fits)));
    switch_->setVisible(fits.has_value());
}

void CWepKeyDlg::onSwitch() {
    const int key = noticeKey_;
    if (key == 0) return;
    const auto fits = WepKeyChoiceFor(editor_.wanted(key), {editor_.format(), editor_.size()});
    if (!fits) return;
    const bool agreed = fits->size != editor_.size() && editor_.otherKeysEntered(key)
                            ? dialogs_.askYesNo(this, kSizeQuestion, MessageIcon::Question)
                            : true;
    if (!editor_.switchTo(key, *fits, agreed)) return;
    settings_.write(settings::kWepKeyFmt, static_cast<int>(editor_.format()));
    SelectValue(*format_, static_cast<int>(editor_.format()));
    fillSizes();
    showTexts();
    showCutNotice(key);
    edits_[key - 1]->setFocus();
}

void CWepKeyDlg::onSize(int index) {
    const auto size = static_cast<WepKeySize>(ValueAt(*size_, index));
    const bool agreed = editor_.sizeChangeNeedsConsent() && size != editor_.size()
                            ? dialogs_.askYesNo(this, kSizeQuestion, MessageIcon::Question)
                            : true;
    editor_.changeSize(size, agreed);
    SelectValue(*size_, static_cast<int>(editor_.size()));
    showTexts();
}

void CWepKeyDlg::onFormat(int index) {
    const auto format = static_cast<WepKeyFormat>(ValueAt(*format_, index));
    settings_.write(settings::kWepKeyFmt, static_cast<int>(format));
    editor_.changeFormat(format);
    fillSizes();
    showTexts();
}

void CWepKeyDlg::accept() {
    if (const auto problem = editor_.check()) {
        dialogs_.showMessage(this, Text(*problem), MessageIcon::Exclamation);
        return;
    }
    editor_.apply(keys_);
    QDialog::accept();
}

}  // namespace tembrel
