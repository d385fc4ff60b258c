#include "ui/AccessibleTabBar.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QTabBar>
#include <QToolButton>

#include <map>

namespace tembrel::ui {
namespace {

QString withoutMnemonic(QString text) {
    // "&&" is a literal ampersand; a single "&" marks the mnemonic.
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) text.remove(i, 1);
    }
    return text;
}

// One tab: not a widget of its own, so an interface of its own kept by the strip's interface.
class AccessibleTab final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleTab(QTabBar* bar, int index) : bar_(bar), index_(index) {}

    bool isValid() const override { return bar_ && index_ < bar_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QString text(QAccessible::Text kind) const override {
        if (!isValid()) return {};
        if (kind == QAccessible::Name) return withoutMnemonic(bar_->tabText(index_));
        if (kind == QAccessible::Description) return bar_->tabToolTip(index_);
        return {};
    }

    QRect rect() const override {
        if (!isValid()) return {};
        const QRect tab = bar_->tabRect(index_);
        return QRect(bar_->mapToGlobal(tab.topLeft()), tab.size());
    }

    QAccessible::State state() const override {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        st.selectable = true;
        st.selected = bar_->currentIndex() == index_;
        st.focusable = bar_->focusPolicy() != Qt::NoFocus;
        st.focused = st.selected && bar_->hasFocus();
        st.disabled = !bar_->isTabEnabled(index_);
        st.invisible = !bar_->isVisible() || !bar_->isTabVisible(index_) || bar_->tabRect(index_).isEmpty();
        st.offscreen = st.invisible;
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction() && isValid() && bar_->isTabEnabled(index_)) bar_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QTabBar> bar_;
    int index_;
};

class AccessibleTabStrip final : public QAccessibleWidget {
public:
    explicit AccessibleTabStrip(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}

    ~AccessibleTabStrip() override {
        for (const auto& [index, id] : tabs_) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return bar()->count() + static_cast<int>(scrollButtons().size()); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0) return nullptr;
        if (index < bar()->count()) {
            if (const auto found = tabs_.find(index); found != tabs_.end()) return QAccessible::accessibleInterface(found->second);
            auto* tab = new AccessibleTab(bar(), index);
            tabs_[index] = QAccessible::registerAccessibleInterface(tab);
            return tab;
        }
        const auto buttons = scrollButtons();
        const auto button = static_cast<std::size_t>(index - bar()->count());
        return button < buttons.size() ? QAccessible::queryAccessibleInterface(buttons[button]) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        for (const auto& [index, id] : tabs_)
            if (QAccessible::accessibleInterface(id) == child) return index;
        const auto buttons = scrollButtons();
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (child->object() == buttons[i]) return bar()->count() + static_cast<int>(i);
        return -1;
    }

    QAccessibleInterface* focusChild() const override {
        return bar()->hasFocus() && bar()->currentIndex() >= 0 ? child(bar()->currentIndex()) : nullptr;
    }

    QString text(QAccessible::Text kind) const override {
        // Named, as Qt names it, by the current page.
        if (kind == QAccessible::Name && bar()->currentIndex() >= 0) {
            return withoutMnemonic(bar()->tabText(bar()->currentIndex()));
        }
        return QAccessibleWidget::text(kind);
    }

private:
    QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }
    // Only the scroll buttons shown: hidden ones would count in "1 of N".
    std::vector<QToolButton*> scrollButtons() const {
        std::vector<QToolButton*> shown;
        for (QToolButton* button : bar()->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
            if (button->isVisibleTo(bar())) shown.push_back(button);
        return shown;
    }

    mutable std::map<int, QAccessible::Id> tabs_;
};

}  // namespace

QAccessibleInterface* tabBarAccessible(QTabBar* bar) {
    return new AccessibleTabStrip(bar);
}

}  // namespace tembrel::ui
