#include "pages/profiles/ProfileControls.h"
#include "ui/ControlId.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace tembrel {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }

void FillChoices(QComboBox& combo, const std::vector<Choice>& choices, int64_t value) {
    const QSignalBlocker blocker(combo);
    combo.clear();
    for (const Choice& choice : choices) combo.addItem(Text(choice.text), QVariant::fromValue<qlonglong>(choice.value));
    combo.setCurrentIndex(combo.findData(QVariant::fromValue<qlonglong>(value)));
}

void SelectValue(QComboBox& combo, int64_t value) {
    const QSignalBlocker blocker(combo);
    combo.setCurrentIndex(combo.findData(QVariant::fromValue<qlonglong>(value)));
}

int64_t ValueAt(const QComboBox& combo, int index) { return combo.itemData(index).toLongLong(); }

QLabel* MakeLabel(const QString& text, QWidget* parent, int id, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    if (id != 0) ui::SetControlId(*label, id);
    if (buddy) label->setBuddy(buddy);
    return label;
}

}  // namespace tembrel
