#include "app/TrayBalloon.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace tembrel {

namespace {
constexpr int kMaximumTextWidth = 320;  // pixels; longer texts wrap
constexpr int kGap = 4;                 // between the icon and the balloon
}  // namespace

TrayBalloon::TrayBalloon(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    , title_(new QLabel(this))
    , text_(new QLabel(this))
{
    setObjectName(QStringLiteral("trayBalloon"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    title_->setObjectName(QStringLiteral("trayBalloonTitle"));
    text_->setObjectName(QStringLiteral("trayBalloonText"));
    text_->setWordWrap(true);
    text_->setMaximumWidth(kMaximumTextWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(title_);
    layout->addWidget(text_);
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, &TrayBalloon::Remove);
}

void TrayBalloon::ShowMessage(const QString& title, const QString& text, const QRect& anchor, int timeoutMs)
{
    title_->setText(title);
    title_->setVisible(!title.isEmpty());
    text_->setText(text);
    adjustSize();
    Place(anchor);
    show();
    if (timeoutMs > 0)
        timeout_.start(timeoutMs);
    else
        timeout_.stop();
}

void TrayBalloon::Remove()
{
    timeout_.stop();
    hide();
}

void TrayBalloon::mousePressEvent(QMouseEvent*)
{
    Remove();
}

void TrayBalloon::Place(const QRect& anchor)
{
    QScreen* screen = anchor.isEmpty() ? nullptr : QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), size());
    const QRect icon = anchor.isEmpty() ? QRect(area.bottomRight(), QSize(1, 1)) : anchor;
    // Below the icon when it sits in the upper half of the screen (a panel at the top), above it
    // otherwise; right-aligned with it, then pulled inside the screen.
    QPoint at(icon.right() - width() + 1, icon.top() - height() - kGap);
    if (icon.center().y() < area.center().y())
        at.setY(icon.bottom() + kGap + 1);
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width() + 1)));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - height() + 1)));
    move(at);
}

}  // namespace tembrel
