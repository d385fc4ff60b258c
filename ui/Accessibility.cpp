#include "ui/Accessibility.h"

#include "ui/AccessibleMeter.h"
#include "ui/AccessibleTabBar.h"
#include "ui/NamedComboAccessible.h"
#include "ui/Notice.h"
#include "ui/ReadOnlyField.h"
#include "ui/SecretEdit.h"
#include "ui/SpinEdit.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QWidget>

namespace tembrel::ui {
namespace {

constexpr char kWindowProperty[] = "exposedAsWindow";

QAccessibleInterface* factory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (widget->isWindow() && widget->property(kWindowProperty).toBool()) {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    // A dialog embedded in a page (the Profile Manager's profile pane) is a part of the page.
    if (qobject_cast<QDialog*>(widget) && !widget->isWindow()) {
        return new QAccessibleWidget(widget, QAccessible::Pane);
    }
    if (auto* meter = dynamic_cast<const Meter*>(object)) {
        return meterAccessible(widget, *meter);
    }
    if (auto* edit = qobject_cast<QLineEdit*>(object); edit && isExposedAsSecret(*edit)) {
        return secretEditAccessible(edit);
    }
    if (auto* edit = qobject_cast<QLineEdit*>(object); edit && isExposedAsSpinButton(*edit)) {
        return spinEditAccessible(edit);
    }
    if (auto* label = qobject_cast<QLabel*>(object); label && isExposedAsNotice(*label)) {
        return noticeAccessible(label);
    }
    if (auto* label = qobject_cast<QLabel*>(object); label && isExposedAsReadOnlyField(*label)) {
        return readOnlyFieldAccessible(label);
    }
    if (auto* combo = qobject_cast<QComboBox*>(object)) {
        return namedComboAccessible(combo);
    }
    if (auto* bar = qobject_cast<QTabBar*>(object)) {
        return tabBarAccessible(bar);
    }
    return nullptr;
}

}  // namespace

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

void exposeAsWindow(QWidget& window) {
    installAccessibility();
    window.setProperty(kWindowProperty, true);
}

}  // namespace tembrel::ui
