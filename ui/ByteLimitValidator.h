#pragma once
// Limits a line edit by the UTF-8 bytes of its text rather than by characters, for texts that
// end up in fixed-width byte fields (QLineEdit::setMaxLength counts UTF-16 units, so a non-ASCII
// text would overrun its field). Input that would pass the limit is refused as typed.

#include <QValidator>

namespace tembrel::ui {

class ByteLimitValidator : public QValidator {
    Q_OBJECT
public:
    ByteLimitValidator(int maxBytes, QObject* parent = nullptr);

    int maxBytes() const { return maxBytes_; }
    State validate(QString& input, int& position) const override;

private:
    int maxBytes_;
};

}  // namespace tembrel::ui
