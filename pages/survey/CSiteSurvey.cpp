#include "pages/survey/CSiteSurvey.h"

#include "adapter/Adapter.h"
#include "connection/EventCodes.h"
#include "pages/survey/CAdvancedFilterDlg.h"
#include "pages/survey/ConfigureNetwork.h"
#include "pages/survey/SurveyIcons.h"
#include "pages/survey/logic/SurveyJoin.h"
#include "platform/Settings.h"
#include "platform/gui/DialogService.h"
#include "profiles/ProfileText.h"
#include "survey/SecurityDetection.h"
#include "ui/BusyScope.h"
#include "ui/logic/ResponsiveWait.h"
#include "ui/TableRowNames.h"
#include "ui/ControlId.h"
#include "ui/Notice.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tembrel {

namespace {

QCheckBox* AddShowBox(QGridLayout& layout, QWidget* parent, int row, int column, int id, const char* text,
                      bool checked) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    ui::SetControlId(*box, id);
    box->setChecked(checked);
    layout.addWidget(box, row, column);
    return box;
}

QString Qt(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CSiteSurvey::CSiteSurvey(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, kCaption, kDialogId, parent), card_(context), connection_(context), profiles_(context), environment_(context),
      buffer_(std::make_unique<ScanBuffer>()) {
    buffer_->fill(0);
    buildControls();
}

void CSiteSurvey::buildControls() {
    auto* group = new QGroupBox("Networks Filter", this);
    auto* boxes = new QGridLayout(group);
    QCheckBox* peer = AddShowBox(*boxes, group, 0, 0, kIdShowPeerToPeer, "Display Peer-To-Peer stations", show_.peerToPeer);
    QCheckBox* g = AddShowBox(*boxes, group, 1, 0, kIdShowG, "Display 802.11g Access Points", show_.g);
    QCheckBox* a = AddShowBox(*boxes, group, 0, 1, kIdShowA, "Display 802.11a Access Points", show_.a);
    a->setEnabled(false);
    QCheckBox* b = AddShowBox(*boxes, group, 1, 1, kIdShowB, "Display 802.11b Access Points", show_.b);
    const std::pair<QCheckBox*, bool survey::ShowFlags::*> flags[] = {
        {peer, &survey::ShowFlags::peerToPeer}, {g, &survey::ShowFlags::g}, {a, &survey::ShowFlags::a},
        {b, &survey::ShowFlags::b}};
    for (const auto& [box, flag] : flags) {
        connect(box, &QCheckBox::clicked, this, [this, flag = flag](bool checked) {
            show_.*flag = checked;
            RebuildList();
        });
    }

    list_ = new QTableWidget(0, 6, this);
    ui::SetControlId(*list_, kIdList);
    list_->setAccessibleName("Networks");
    list_->setHorizontalHeaderLabels({"Network SSID", "MAC Address", "Security", "CH.", "Signal", "Network Type"});
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setTabKeyNavigation(false);  // the arrows move between rows; Tab goes on to the buttons
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(true);
    list_->setSortingEnabled(false);
    list_->setWordWrap(false);
    list_->setIconSize(QSize(16, 16));
    list_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    list_->horizontalHeader()->setHighlightSections(false);
    list_->viewport()->installEventFilter(this);
    list_->installEventFilter(this);  // Return on a row
    // The current row follows the keyboard as well as the mouse; every click re-evaluates
    // "&Associate", also one on the row that is already current.
    connect(list_, &QTableWidget::currentCellChanged, this, [this] { updateAssociateButton(); });
    connect(list_, &QTableWidget::cellClicked, this, [this] { updateAssociateButton(); });
    // A row chosen without moving the current cell (by assistive technology) counts as well.
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateAssociateButton(); });
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this] { OnAssociate(); });

    notice_ = new QLabel(this);
    ui::exposeAsNotice(*notice_);  // a screen reader speaks the line when it comes up
    ui::SetControlId(*notice_, kIdNotice);
    notice_->setWordWrap(true);
    notice_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    notice_->setFocusPolicy(Qt::TabFocus);  // reachable from the keyboard and read by screen readers
    notice_->hide();

    refresh_ = ui::MakeButton("&Refresh", this, kIdRefresh);
    associate_ = ui::MakeButton("&Associate", this, kIdAssociate);
    associate_->setEnabled(false);
    filterButton_ = ui::MakeButton("&Filter", this, kIdFilter);
    // The filter is for diagnostics: offered when the settings file shows the hidden pages.
    const Settings& settings = environment_.settings();
    filterButton_->setVisible(settings.read(settings::kDebugWin) != 0 || settings.read(settings::kTestPage) != 0);
    connect(refresh_, &QPushButton::clicked, this, &CSiteSurvey::OnRefresh);
    connect(associate_, &QPushButton::clicked, this, &CSiteSurvey::OnAssociate);
    connect(filterButton_, &QPushButton::clicked, this, &CSiteSurvey::OnFilter);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(filterButton_);
    buttons->addStretch();
    buttons->addWidget(refresh_);
    buttons->addWidget(associate_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(list_, 1);
    layout->addWidget(notice_);
    layout->addLayout(buttons);
    setTabOrder(peer, g);
    setTabOrder(g, a);
    setTabOrder(a, b);
    setTabOrder(b, list_);
    // "&Associate" follows the list, so that Tab from a chosen row reaches it.
    setTabOrder(list_, associate_);
    setTabOrder(associate_, refresh_);
    setTabOrder(refresh_, notice_);
    setTabOrder(notice_, filterButton_);
}

bool CSiteSurvey::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Return on the highlighted row does what "&Associate" does.
            updateAssociateButton();
            if (associate_->isEnabled()) OnAssociate();
            return true;
        }
    }
    if (watched == list_->viewport() && event->type() == QEvent::Resize) {
        // Column widths in the proportions 2 : 1.5 : 1 : 0.5 : 0.8 : 1.2 of a unit u; these add up
        // to 7u, so u = W / 7 lets every column fit without a scroll bar.
        const int u = list_->viewport()->width() / 7;
        const int widths[] = {2 * u, u * 3 / 2, u, u / 2, u * 4 / 5, u * 6 / 5};
        for (int c = 0; c < 6; ++c) list_->setColumnWidth(c, widths[c]);
    }
    // A click beside the rows chooses none, whichever row was current before.
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonPress &&
        !list_->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).isValid())
        associate_->setEnabled(false);
    return CZarn9100Page::eventFilter(watched, event);
}

void CSiteSurvey::OnSetActive() {
    associate_->setEnabled(false);
    RebuildList();
}

void CSiteSurvey::OnLibraryEvent(quintptr code, qintptr, const QString&) {
    switch (code) {
    case ZARN9100_EVENT_LINK_DOWN:
    case ZARN9100_EVENT_LINK_LOST:
        if (!link_.ssid.empty()) RebuildList();
        break;
    case kEventAdapterOpened:
        scanResult_ = 0;
        RebuildList();
        break;
    case ZARN9100_EVENT_LINK_UP:
    case ZARN9100_EVENT_ADHOC_LINK_UP:
        RebuildList();
        break;
    case ZARN9100_EVENT_ASSOCIATION_REFUSED:
        if (!card_.stopping().set()) RebuildList();
        break;
    default:
        break;
    }
}

void CSiteSurvey::RebuildList() {
    if (!card_.handle().held()) return;
    buffer_->fill(0);
    rows_.clear();
    list_->setRowCount(0);
    const ConnectionSnapshot snapshot = connection_.snapshot();
    link_.connected = snapshot.connected != 0;
    link_.ssid = std::string(snapshot.ssid());
    link_.bssid = snapshot.currentBssid;
    link_.adHoc = snapshot.currentNetworkMode == ZARN9100_NETWORK_ADHOC;
    link_.channel = snapshot.currentChannel;

    bool read = false;
    if (auto lease = card_.handle().lease()) read = ReadScanList(card_.library(), lease.get(), *buffer_);
    if (read) rows_ = survey::BuildSurveyRows(*buffer_, show_, filter_, link_);
    const QString notice = Qt(survey::SurveyNotice(scanResult_, read));
    ui::setNoticeText(*notice_, notice);
    notice_->setVisible(!notice.isEmpty());

    list_->setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const survey::SurveyRow& row = rows_[static_cast<size_t>(r)];
        auto* first = new QTableWidgetItem(survey::RowIconPixmap(row.icon), Qt(row.ssidText));
        first->setData(Qt::UserRole, row.entryIndex);
        list_->setItem(r, 0, first);
        list_->setItem(r, 1, new QTableWidgetItem(Qt(row.macText)));
        list_->setItem(r, 2, new QTableWidgetItem(Qt(row.security)));
        list_->setItem(r, 3, new QTableWidgetItem(QString::number(row.channel)));
        list_->setItem(r, 4, new QTableWidgetItem(QString("%1%").arg(row.signalPercent)));
        list_->setItem(r, 5, new QTableWidgetItem(Qt(row.networkType)));
    }
    ui::nameRowsByColumn(*list_, 0);
    updateAssociateButton();
}

int CSiteSurvey::chosenRow() const {
    const QModelIndexList selected = list_->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void CSiteSurvey::updateAssociateButton() {
    const int r = chosenRow();
    const bool usable = r >= 0 && r < static_cast<int>(rows_.size()) && !rows_[static_cast<size_t>(r)].ssid.empty() &&
                        EntryAt(*buffer_, rows_[static_cast<size_t>(r)].entryIndex).has_value();
    associate_->setEnabled(usable);
}

void CSiteSurvey::OnRefresh() {
    if (!card_.handle().held()) return;
    {
        ui::BusyScope busy(*this, card_.stopping());
        if (auto lease = card_.handle().lease()) scanResult_ = RequestSurveyScan(card_.library(), lease.get(), filter_);
    }
    associate_->setEnabled(false);
    RebuildList();
}

void CSiteSurvey::OnFilter() {
    CAdvancedFilterDlg dialog(filter_, environment_.dialogs(), this);
    dialog.exec();
}

void CSiteSurvey::OnAssociate() {
    const int r = chosenRow();
    if (r < 0 || r >= static_cast<int>(rows_.size())) return;
    const survey::SurveyRow row = rows_[static_cast<size_t>(r)];
    // A network without an SSID cannot be joined by name, from the button or a double click.
    if (row.ssid.empty()) return;
    const auto entry = EntryAt(*buffer_, row.entryIndex);
    if (!entry) return;

    ProfileList& list = profiles_.profiles();
    ProfilePtr record = survey::FindProfileForEntry(list.Snapshot(), *entry);
    const bool isNew = !record;
    // A new profile that the list could not keep would be in use without being stored: refused
    // before anything is asked or joined, as the Profile Manager refuses a new one.
    if (isNew && list.Count() >= kMaxProfiles) {
        environment_.dialogs().showMessage(this, QString::fromStdString(ProfileListFullText()), MessageIcon::Exclamation);
        return;
    }
    if (record) {
        list.Edit([&](ProfileSequence&) { record->inPreferList = 1; });
    } else {
        ScanSecurity security;
        if (entry->privacy() != 0) {
            if (auto lease = card_.handle().lease())
                security = DetectSecurity(card_.library(), lease.get(), entry->macAddress());
        }
        record = survey::NewProfileForEntry(*entry, security, list.Snapshot());
    }

    // The dialog edits a stored profile in place; a join refused with changed security gives
    // that profile back what it had, which may have worked.
    const PROFILE_RECORD before = *record;
    if (entry->privacy() != 0 && !survey::ConfigureNetwork(context(), record, this)) return;

    int result = 1;
    {
        ui::BusyScope busy(*this, card_.stopping());
        result = ui::RunWhileResponsive([&] { return connection_.connector().ConnectProfile(record, kCaption); });
    }
    associate_->setEnabled(false);

    const ConnectionSnapshot snapshot = connection_.snapshot();
    survey::LinkState link{snapshot.connected != 0, snapshot.adHocStarted != 0, std::string(snapshot.ssid()),
                           snapshot.currentNetworkMode};
    if (!isNew && survey::JoinRefused(result, *record, link)) {
        std::optional<std::string> kept;
        list.Edit([&](ProfileSequence&) { kept = survey::KeepPreviousSecurity(*record, before); });
        if (kept) {
            profiles_.profilesChanged(this);
            environment_.dialogs().showMessage(this, QString::fromStdString(*kept), MessageIcon::Information);
        }
    }
    switch (survey::FollowUpAfterConnect(result, isNew, *record, link)) {
    case survey::JoinFollowUp::kInsertAndMarkInUse:
        if (isNew) list.Insert(0, record);
        connection_.connector().SetProfileInUse(record);
        if (isNew) profiles_.profilesChanged(this);
        break;
    case survey::JoinFollowUp::kInsertMarkAndRebuild:
        list.Insert(0, record);
        connection_.connector().SetProfileInUse(record);
        profiles_.profilesChanged(this);
        RebuildList();
        break;
    case survey::JoinFollowUp::kDiscardAndClearInUse:
        if (connection_.connector().profileInUse() == record) connection_.connector().SetProfileInUse(nullptr);
        RebuildList();
        break;
    case survey::JoinFollowUp::kRebuild:
        RebuildList();
        break;
    case survey::JoinFollowUp::kNothing:
        break;
    }
}

}  // namespace tembrel
