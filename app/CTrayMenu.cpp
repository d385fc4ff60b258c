#include "app/CTrayMenu.h"
#include "ui/ControlId.h"

#include <QAction>
#include <QVariant>

namespace tembrel {

CTrayMenu::CTrayMenu(QObject* parent)
    : QObject(parent)
{
    popup_.setTitle(QStringLiteral("&Zarn9100 Configuration Utility"));
    root_.addMenu(&popup_);
    AddItem(QStringLiteral("&Restore"), kRestore);
    AddItem(QStringLiteral("&Turn Radio Off"), kToggleRadio);
    AddItem(QStringLiteral("E&xit"), kExit);
}

void CTrayMenu::AddItem(const QString& text, int id)
{
    QAction* action = popup_.addAction(text);
    ui::SetControlId(*action, id);
    connect(action, &QAction::triggered, this, [this, id] { emit command(id); });
}

QAction* CTrayMenu::item(int id) const
{
    for (QAction* action : popup_.actions()) {
        if (ui::ControlIdOf(*action) == id)
            return action;
    }
    return nullptr;
}

void CTrayMenu::SetItemText(int id, const QString& text)
{
    if (QAction* action = item(id))
        action->setText(text);
}

}  // namespace tembrel
