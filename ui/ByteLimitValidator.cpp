#include "ui/ByteLimitValidator.h"

namespace tembrel::ui {

ByteLimitValidator::ByteLimitValidator(int maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State ByteLimitValidator::validate(QString& input, int&) const {
    // An embedded NUL would end the text early in its field.
    if (input.contains(QChar(0))) return Invalid;
    return input.toUtf8().size() <= maxBytes_ ? Acceptable : Invalid;
}

}  // namespace tembrel::ui
