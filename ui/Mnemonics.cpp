#include "ui/Mnemonics.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QTabBar>
#include <QWidget>

namespace tembrel::ui {
namespace {

void Claim(QMap<QString, QStringList>& claims, const QString& text) {
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (!key.isEmpty()) claims[key.toString()] << text;
}

}  // namespace

QStringList MnemonicClashes(const QWidget& window) {
    QMap<QString, QStringList> claims;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible() || w->window() != &window) continue;
        if (const auto* button = qobject_cast<const QAbstractButton*>(w))
            Claim(claims, button->text());
        else if (const auto* label = qobject_cast<const QLabel*>(w); label && label->buddy())
            Claim(claims, label->text());
        else if (const auto* group = qobject_cast<const QGroupBox*>(w); group && group->isCheckable())
            Claim(claims, group->title());
        else if (const auto* tabs = qobject_cast<const QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i) Claim(claims, tabs->tabText(i));
    }
    QStringList clashes;
    for (auto it = claims.cbegin(); it != claims.cend(); ++it)
        if (it.value().size() > 1) clashes << it.key() + ": " + it.value().join(" | ");
    return clashes;
}

}  // namespace tembrel::ui
