#pragma once
// Small helpers the profile pages share: labels with their ids and buddies, and drop-down
// lists that carry their values as item data and are filled and selected by value without
// reporting a change (only the user's picks reach the pages, through QComboBox::activated).

#include <QString>

#include <cstdint>
#include <vector>

#include "pages/profiles/logic/ProfileInputRules.h"

class QComboBox;
class QLabel;
class QWidget;

namespace tembrel {

QString Text(const std::string& text);
std::string Utf8(const QString& text);

// Replaces the entries and selects `value` (no selection when the list lacks it).
void FillChoices(QComboBox& combo, const std::vector<Choice>& choices, int64_t value);
// Selects `value` (no selection when the list lacks it), silently.
void SelectValue(QComboBox& combo, int64_t value);
int64_t ValueAt(const QComboBox& combo, int index);

// A label with the given id (0: none) and buddy.
QLabel* MakeLabel(const QString& text, QWidget* parent, int id = 0, QWidget* buddy = nullptr);

}  // namespace tembrel
