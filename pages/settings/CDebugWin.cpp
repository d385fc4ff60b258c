#include "pages/settings/CDebugWin.h"

#include "platform/Settings.h"
#include "ui/TableRowNames.h"
#include "ui/BusyCursor.h"
#include "ui/ControlId.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tembrel {

namespace {

struct GroupIds {
    RegisterGroup group;
    const char* title;
    int index, value, read, write;
    // The first group keeps "&Read" and "&Write"; the later ones give way to other letters, so
    // that each Alt+letter works one button.
    const char* readText;
    const char* writeText;
};
constexpr GroupIds kGroups[] = {
    {RegisterGroup::Rf, "RF Registers", CDebugWin::kIdRfIndex, CDebugWin::kIdRfValue, CDebugWin::kIdRfRead,
     CDebugWin::kIdRfWrite, "&Read", "&Write"},
    {RegisterGroup::Baseband, "Baseband Registers", CDebugWin::kIdBbIndex, CDebugWin::kIdBbValue,
     CDebugWin::kIdBbRead, CDebugWin::kIdBbWrite, "R&ead", "Wr&ite"},
    {RegisterGroup::Mac, "MAC Registers", CDebugWin::kIdMacIndex, CDebugWin::kIdMacValue, CDebugWin::kIdMacRead,
     CDebugWin::kIdMacWrite, "Re&ad", "Wri&te"},
};

QLineEdit* HexEdit(QWidget* parent, int id, int length, const QString& name) {
    auto* edit = new QLineEdit(parent);
    ui::SetControlId(*edit, id);
    edit->setMaxLength(length);
    edit->setAccessibleName(name);
    edit->setMaximumWidth(90);
    // Only hexadecimal digits stay; lower-case digits become upper case.
    // Any change, also one made by assistive technology; cleaning again changes nothing.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
        const HexEditText clean = CleanHexEdit(text.toStdString(), edit->cursorPosition());
        if (!clean.changed) return;
        edit->setText(QString::fromStdString(clean.text));
        edit->setCursorPosition(clean.caret);
    });
    return edit;
}

}  // namespace

CDebugWin::CDebugWin(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, kCaption, kDialogId, parent), card_(context), environment_(context) {
    auto* layout = new QGridLayout(this);

    auto* registers = new QVBoxLayout;
    for (const GroupIds& ids : kGroups) {
        auto* box = new QGroupBox(QString::fromLatin1(ids.title), this);
        auto* grid = new QGridLayout(box);
        const RegisterEditLengths lengths = EditLengths(ids.group);
        auto* indexLabel = new QLabel("Index", box);
        auto* valueLabel = new QLabel("Value", box);
        Group& g = group(ids.group);
        g.index = HexEdit(box, ids.index, lengths.index, QString("%1 index").arg(ids.title));
        g.value = HexEdit(box, ids.value, lengths.value, QString("%1 value").arg(ids.title));
        indexLabel->setBuddy(g.index);
        valueLabel->setBuddy(g.value);
        QPushButton* read = ui::MakeButton(ids.readText, box, ids.read);
        QPushButton* write = ui::MakeButton(ids.writeText, box, ids.write);
        grid->addWidget(indexLabel, 0, 0);
        grid->addWidget(g.index, 0, 1);
        grid->addWidget(read, 0, 2);
        grid->addWidget(valueLabel, 1, 0);
        grid->addWidget(g.value, 1, 1);
        grid->addWidget(write, 1, 2);
        const RegisterGroup which = ids.group;
        connect(read, &QPushButton::clicked, this, [this, which] { OnRead(which); });
        connect(write, &QPushButton::clicked, this, [this, which] { OnWrite(which); });
        registers->addWidget(box);
    }
    registers->addWidget(new QLabel("**  Index and value are in hexadecimal format.", this));
    registers->addStretch();
    layout->addLayout(registers, 0, 0, 2, 1);

    auto* calibration = new QGroupBox("RF Calibrated Values", this);
    auto* calibrationLayout = new QGridLayout(calibration);
    table_ = new QTableWidget(4, 3, calibration);
    ui::SetControlId(*table_, kIdCalibrationTable);
    table_->setTabKeyNavigation(false);  // Tab leaves the table for the next control
    table_->setAccessibleName("RF Calibrated Values");
    table_->setHorizontalHeaderLabels({"Register", "Readback", "Valid Range"});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() +
                           4 * table_->verticalHeader()->defaultSectionSize() + 2 * table_->frameWidth());
    showCalibration(CalibrationLabels(1));
    refreshEverySecond_ = new QCheckBox("Refresh every second", calibration);
    ui::SetControlId(*refreshEverySecond_, kIdRefreshEverySecond);
    refreshEverySecond_->setChecked(context.settings().read(settings::kRefreshRfCal) != 0);
    QPushButton* refresh = ui::MakeButton("Refresh", calibration, kIdRefresh);
    calibrationLayout->addWidget(table_, 0, 0, 1, 2);
    calibrationLayout->addWidget(refreshEverySecond_, 1, 0);
    calibrationLayout->addWidget(refresh, 1, 1, Qt::AlignRight);
    layout->addWidget(calibration, 0, 1);

    auto* misc = new QGroupBox("Misc", this);
    auto* miscLayout = new QGridLayout(misc);
    auto* hardwareLabel = new QLabel("Hardware Version:", misc);
    hardware_ = new QLineEdit(misc);
    hardware_->setReadOnly(true);
    ui::SetControlId(*hardware_, kIdHardwareVersion);
    hardware_->setAccessibleName("Hardware Version");
    hardwareLabel->setBuddy(hardware_);
    refreshRate_ = new QCheckBox("Refresh data rate every second", misc);
    ui::SetControlId(*refreshRate_, kIdRefreshRate);
    trace_ = new QCheckBox("Enable DebugView Trace", misc);
    ui::SetControlId(*trace_, kIdTrace);
    trace_->setEnabled(false);
    trace_->hide();
    miscLayout->addWidget(hardwareLabel, 0, 0);
    miscLayout->addWidget(hardware_, 0, 1);
    miscLayout->addWidget(refreshRate_, 1, 0, 1, 2);
    miscLayout->addWidget(trace_, 2, 0, 1, 2);
    layout->addWidget(misc, 1, 1);
    layout->setRowStretch(2, 1);

    timer_ = new QTimer(this);
    timer_->setInterval(kCalibrationPeriodMs);
    connect(timer_, &QTimer::timeout, this, &CDebugWin::onTimer);
    connect(refresh, &QPushButton::clicked, this, &CDebugWin::OnRefresh);
    connect(refreshEverySecond_, &QCheckBox::clicked, this, [this](bool on) {
        refreshFlag_ = on;
        environment_.settings().write(settings::kRefreshRfCal, on ? 1 : 0);
    });
    connect(refreshRate_, &QCheckBox::clicked, this,
            [this](bool on) { environment_.settings().write(settings::kRefreshRatePS, on ? 1 : 0); });
    connect(trace_, &QCheckBox::clicked, this,
            [this](bool on) { environment_.settings().write(settings::kTrace, on ? 1 : 0); });
}

void CDebugWin::OnSetActive() {
    trace_->setChecked(environment_.settings().read(settings::kTrace) != 0);
    refreshRate_->setChecked(environment_.settings().read(settings::kRefreshRatePS) != 0);
    refreshFlag_ = refreshEverySecond_->isChecked();
    environment_.settings().write(settings::kRefreshRfCal, refreshFlag_ ? 1 : 0);

    hardware_->clear();
    if (auto lease = card_.handle().lease()) {
        uint32_t chip = 0;
        if (card_.library().QueryChipVersion(lease.get(), &chip) == 0) hardware_->setText(QString("%1.0").arg(chip));
    }
    if (auto chipType = ReadRegister(card_.library(), card_.handle(), RegisterGroup::Rf, 0))
        showCalibration(CalibrationLabels(*chipType));
    timer_->start();
    OnRefresh();
}

bool CDebugWin::OnKillActive() {
    timer_->stop();
    return true;
}

void CDebugWin::OnRead(RegisterGroup which) {
    if (!card_.handle().held()) return;
    const ui::BusyCursor busy;
    Group& g = group(which);
    g.value->clear();
    const auto index = ParseIndexEdit(g.index->text().toStdString());
    if (!index) return;
    if (auto value = ReadRegister(card_.library(), card_.handle(), which, *index))
        g.value->setText(QString::fromStdString(FormatRegisterValue(*value)));
}

void CDebugWin::OnWrite(RegisterGroup which) {
    if (!card_.handle().held()) return;
    Group& g = group(which);
    const auto index = ParseIndexEdit(g.index->text().toStdString());
    const auto value = ParseHexEdit(g.value->text().toStdString());
    if (!index || !value) return;
    {
        const ui::BusyCursor busy;
        WriteRegister(card_.library(), card_.handle(), which, *index, *value);
    }
    // The read-back follows once the card had its time, without holding up the window.
    QPointer<CDebugWin> self(this);
    const uint32_t written = *index;
    QTimer::singleShot(kWriteSettleMs, this, [self, which, written] {
        if (self) self->readBack(which, written);
    });
}

void CDebugWin::readBack(RegisterGroup which, uint32_t index) {
    if (!card_.handle().held()) return;
    const ui::BusyCursor busy;
    Group& g = group(which);
    g.value->clear();
    if (auto value = ReadRegister(card_.library(), card_.handle(), which, index))
        g.value->setText(QString::fromStdString(FormatRegisterValue(*value)));
}

void CDebugWin::OnRefresh() {
    if (auto table = ReadCalibration(card_.library(), card_.handle())) showCalibration(*table);
}

void CDebugWin::onTimer() {
    if (refreshFlag_) OnRefresh();
}

void CDebugWin::showCalibration(const CalibrationTable& table) {
    for (int row = 0; row < int(table.size()); ++row) {
        const CalibrationRow& r = table[size_t(row)];
        const std::string* cells[] = {&r.label, &r.readback, &r.range};
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(QString::fromStdString(*cells[column]));
            table_->setItem(row, column, item);
        }
    }
    ui::nameRowsByColumn(*table_, 0);
}

}  // namespace tembrel
