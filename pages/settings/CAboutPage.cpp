#include "pages/settings/CAboutPage.h"

#include "pages/settings/logic/AboutInfo.h"
#include "platform/Paths.h"
#include "ui/ControlId.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>

namespace tembrel {

namespace {

// The product picture above the texts (bitmap 148): the project's own art, drawn here.
QPixmap ProductBitmap() {
    QPixmap pixmap(360, 64);
    pixmap.fill(QColor(0x1f, 0x3b, 0x63));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x9c, 0xc8, 0xf0), 3));
    // Three waves rising from a point near the bottom left.
    const QPointF source(40, 52);
    for (int i = 1; i <= 3; ++i) {
        const double r = 11.0 * i;
        painter.drawArc(QRectF(source.x() - r, source.y() - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
    painter.setBrush(QColor(0x9c, 0xc8, 0xf0));
    painter.drawEllipse(source, 3, 3);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPointSize(15);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(76, 8, 280, 30), Qt::AlignLeft | Qt::AlignVCenter, "Orvix LX-7700");
    font.setPointSize(9);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(76, 36, 280, 20), Qt::AlignLeft | Qt::AlignVCenter, "802.11a/b/g Wireless LAN Utility");
    return pixmap;
}

}  // namespace

CAboutPage::CAboutPage(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, kCaption, kDialogId, parent), card_(context), programFile_(ExecutablePath()) {
    auto* layout = new QGridLayout(this);
    auto* bitmap = new QLabel(this);
    ui::SetControlId(*bitmap, kIdBitmap);
    bitmap->setPixmap(ProductBitmap());
    bitmap->setAccessibleName("Orvix LX-7700");
    layout->addWidget(bitmap, 0, 0, 1, 2, Qt::AlignHCenter);

    int row = 1;
    const auto addText = [&](int id, const char* caption, QLabel** labelOut = nullptr) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        auto* text = new QLineEdit(this);
        text->setReadOnly(true);
        ui::SetControlId(*text, id);
        text->setAccessibleName(label->text());
        label->setBuddy(text);
        layout->addWidget(label, row, 0);
        layout->addWidget(text, row, 1);
        ++row;
        if (labelOut) *labelOut = label;
        return text;
    };
    mac_ = addText(kIdMacAddress, "MAC Address:");
    region_ = addText(kIdRegion, "Region code:", &regionLabel_);
    ui::SetControlId(*regionLabel_, kIdRegionLabel);
    QLabel* hardwareLabel = nullptr;
    hardware_ = addText(kIdHardware, "Hardware Version:", &hardwareLabel);
    hardwareLabel->hide();
    hardware_->hide();
    firmware_ = addText(kIdFirmware, "Firmware Version:");
    driver_ = addText(kIdDriver, "NDIS Driver Version:");
    utility_ = addText(kIdUtility, "Configuration Utility Version:");
    library_ = addText(kIdLibrary, "Configuration DLL Version:");
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(row, 1);
}

void CAboutPage::OnSetActive() {
    AboutSources sources{programFile_, card_.libraryPath(), card_.regionCode()};
    const AboutTexts texts = CollectAboutTexts(card_.library(), card_.handle(), sources);
    utility_->setText(QString::fromStdString(texts.utility));
    library_->setText(QString::fromStdString(texts.library));
    // The driver's texts are 8-bit text of unknown encoding: shown byte for byte.
    mac_->setText(QString::fromStdString(texts.macAddress));
    hardware_->setText(QString::fromStdString(texts.hardware));
    firmware_->setText(QString::fromStdString(texts.firmware));
    driver_->setText(QString::fromLatin1(texts.driver.data(), qsizetype(texts.driver.size())));
    region_->setText(QString::fromStdString(texts.region));
    if (card_.handle().held()) regionLabel_->setText("Region Code:");
}

}  // namespace tembrel
