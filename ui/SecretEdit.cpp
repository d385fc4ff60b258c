#include "ui/SecretEdit.h"

#include "ui/Accessibility.h"
#include "ui/AccessibleLineEdit.h"

#include <QLineEdit>

namespace tembrel::ui {
namespace {

constexpr char kSecretProperty[] = "exposedAsSecret";
constexpr QChar kMask(0x25CF);  // BLACK CIRCLE, as Qt masks password edits

class AccessibleSecretEdit final : public AccessibleLineEdit {
public:
    explicit AccessibleSecretEdit(QLineEdit* edit) : AccessibleLineEdit(edit, QAccessible::EditableText) {}

    QAccessible::State state() const override {
        QAccessible::State st = AccessibleLineEdit::state();
        st.passwordEdit = true;
        return st;
    }

protected:
    QString shown(int start, int end) const override {
        const auto [from, to] = clamped(start, end);
        return QString(to - from, kMask);
    }
};

}  // namespace

void exposeAsSecret(QLineEdit& edit) {
    installAccessibility();
    edit.setProperty(kSecretProperty, true);
}

bool isExposedAsSecret(const QLineEdit& edit) {
    return edit.property(kSecretProperty).toBool();
}

QAccessibleInterface* secretEditAccessible(QLineEdit* edit) {
    return new AccessibleSecretEdit(edit);
}

}  // namespace tembrel::ui
