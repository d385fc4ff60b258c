#include "pages/profiles/CProfileManager.h"

#include "pages/profiles/CProfileWizard.h"
#include "pages/profiles/logic/ProfileManagerRules.h"
#include "platform/gui/DialogService.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "ui/BusyScope.h"
#include "ui/logic/ResponsiveWait.h"
#include "ui/ControlId.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHelpEvent>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QToolTip>
#include <QVBoxLayout>

namespace tembrel {

namespace {

constexpr int kCheckStripWidth = 16;  // pixels of the list where the check boxes are

// Icons 154 (a profile) and 153 (the profile in use): project art drawn in code.
QIcon ProfileIcon(bool inUse) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(70, 90, 120), 1));
    painter.setBrush(QColor(235, 240, 250));
    painter.drawRect(QRectF(2.5, 1.5, 10, 13));
    for (int y = 5; y <= 11; y += 3) painter.drawLine(QPointF(4.5, y), QPointF(10.5, y));
    if (inUse) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 170, 0));
        painter.drawEllipse(QRectF(8, 8, 8, 8));
        painter.setPen(QPen(Qt::white, 1.5));
        painter.drawLine(QPointF(9.8, 12), QPointF(11.5, 13.8));
        painter.drawLine(QPointF(11.5, 13.8), QPointF(14.3, 10));
    }
    return QIcon(pixmap);
}

// Whether the item shows the "in use" icon, so that its description can follow its box.
constexpr int kShownInUseRole = Qt::UserRole + 1;

// The icon shows "in use" and the box the prefer list; a screen reader hears both in the
// item's description, as the box's state alone says nothing about what it stands for (and
// Qt 6.4 does not tell the accessibility bus that an unchecked item has a box at all).
void ShowItemState(QListWidgetItem& item, bool inUse) {
    item.setIcon(ProfileIcon(inUse));
    item.setData(kShownInUseRole, inUse);
    const QString preferred = item.checkState() == Qt::Checked ? "in the prefer list (box checked)"
                                                               : "not in the prefer list (box not checked)";
    item.setData(Qt::AccessibleDescriptionRole, inUse ? "in use, " + preferred : preferred);
}

const PROFILE_RECORD* RecordOf(const QListWidgetItem* item) {
    return item ? reinterpret_cast<const PROFILE_RECORD*>(item->data(Qt::UserRole).value<quintptr>()) : nullptr;
}

}  // namespace

CProfileManager::CProfileManager(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, kCaption, kDialogId, parent), card_(context), connection_(context), profiles_(context), environment_(context) {
    buildControls();
}

void CProfileManager::buildControls() {
    list_ = new QListWidget(this);
    ui::SetControlId(*list_, kIdList);
    list_->setAccessibleName("Profiles");
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setIconSize(QSize(16, 16));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->viewport()->installEventFilter(this);

    auto* group = new QGroupBox("Profile Setting", this);
    ui::SetControlId(*group, kIdSettingGroup);
    pane_ = new CProfileWizard(CProfileWizard::Mode::Pane, context(), group);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(2, 6, 2, 2);
    groupLayout->addWidget(pane_);

    apply_ = ui::MakeButton("&Apply Profile", this, kIdApply);
    moveUp_ = ui::MakeButton("Move &Up", this, kIdMoveUp);
    moveDown_ = ui::MakeButton("Move &Down", this, kIdMoveDown);
    delete_ = ui::MakeButton("D&elete", this, kIdDelete);
    create_ = ui::MakeButton("&Create...", this, kIdCreate);
    save_ = ui::MakeButton("&Save", this, kIdSave);
    save_->setEnabled(false);

    menu_ = new QMenu(this);
    const std::pair<int, const char*> entries[] = {{kCmdSwitch, "Switch to this Profile"},
                                                   {kCmdAddToPrefer, "Add to Prefer List"},
                                                   {kCmdRemoveFromPrefer, "Remove from Prefer List"},
                                                   {kCmdAddAllToPrefer, "Add all profiles to Prefer List"},
                                                   {kCmdEmptyPrefer, "Empty Prefer List"}};
    for (const auto& [id, text] : entries) {
        QAction* action = menu_->addAction(QString::fromLatin1(text));
        ui::SetControlId(*action, id);
        connect(action, &QAction::triggered, this, [this, id = id] { OnMenuCommand(id); });
    }

    connect(list_, &QListWidget::currentItemChanged, this, [this] {
        if (!filling_) onSelectionChanged();
    });
    // Every change of a box, by mouse or by the space bar, reaches the record.
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (filling_) return;
        profile_manager::SetPreferred(profiles_.profiles(), RecordOf(item), item->checkState() == Qt::Checked);
        const QScopedValueRollback quiet(filling_, true);
        ShowItemState(*item, item->data(kShownInUseRole).toBool());
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { OnApplyProfile(); });
    connect(list_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (list_->currentItem()) menu_->exec(list_->viewport()->mapToGlobal(at));
    });
    connect(pane_, &CProfileWizard::modified, this, [this] { save_->setEnabled(true); });
    connect(apply_, &QPushButton::clicked, this, &CProfileManager::OnApplyProfile);
    connect(moveUp_, &QPushButton::clicked, this, [this] { OnMove(-1); });
    connect(moveDown_, &QPushButton::clicked, this, [this] { OnMove(+1); });
    connect(delete_, &QPushButton::clicked, this, &CProfileManager::OnDelete);
    connect(create_, &QPushButton::clicked, this, &CProfileManager::OnCreate);
    connect(save_, &QPushButton::clicked, this, &CProfileManager::OnSave);

    auto* buttons = new QVBoxLayout;
    for (auto* button : {apply_, moveUp_, moveDown_, delete_, create_, save_}) buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addWidget(list_, 0, 0);
    layout->addLayout(buttons, 0, 1);
    layout->addWidget(group, 0, 2);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(2, 5);
    setTabOrder(list_, apply_);
    setTabOrder(apply_, moveUp_);
    setTabOrder(moveUp_, moveDown_);
    setTabOrder(moveDown_, delete_);
    setTabOrder(delete_, create_);
    setTabOrder(create_, save_);
    setTabOrder(save_, pane_);
}

bool CProfileManager::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (help->pos().x() < kCheckStripWidth && list_->itemAt(help->pos()))
            QToolTip::showText(help->globalPos(), QString::fromLatin1(kPreferTip), list_);
        else
            QToolTip::hideText();
        return true;
    }
    return CZarn9100Page::eventFilter(watched, event);
}

ProfilePtr CProfileManager::selectedRecord() const {
    const PROFILE_RECORD* wanted = RecordOf(list_->currentItem());
    if (!wanted) return nullptr;
    for (const auto& record : profiles_.profiles().Snapshot())
        if (record.get() == wanted) return record;
    return nullptr;
}

void CProfileManager::OnSetActive() { fillList(); }

void CProfileManager::OnProfilesChanged() {
    if (isVisible()) fillList(RecordOf(list_->currentItem()), false);
}

void CProfileManager::fillList(const PROFILE_RECORD* select, bool strictInUseTest) {
    filling_ = true;
    list_->clear();
    const ConnectionSnapshot snapshot = connection_.snapshot();
    const ProfilePtr inUse = connection_.connector().profileInUse();
    const bool link = profile_manager::LinkExists(snapshot);
    QListWidgetItem* toSelect = nullptr;
    for (const auto& [record, fields] : profile_manager::ListRows(profiles_.profiles())) {
        const std::string_view name = ProfileName(fields);
        auto* item = new QListWidgetItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        item->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(record.get())));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(fields.inPreferList == 1 ? Qt::Checked : Qt::Unchecked);
        const bool shownInUse = strictInUseTest ? profile_manager::ShowsInUse(fields, record == inUse, snapshot)
                                                : record == inUse && link;
        ShowItemState(*item, shownInUse);
        list_->addItem(item);
        if (record.get() == select || (!select && shownInUse && !toSelect)) toSelect = item;
    }
    if (!toSelect && list_->count() > 0) toSelect = list_->item(0);
    list_->setCurrentItem(toSelect);
    filling_ = false;
    onSelectionChanged();
}

void CProfileManager::focusList() {
    // After the page's own actions only, never when the page is visited: the focus stays where the
    // user moved it, and a screen reader says the page's name.
    if (isVisible()) list_->setFocus();
}

void CProfileManager::onSelectionChanged() {
    updateButtons();
    if (const ProfilePtr record = selectedRecord()) {
        pane_->LoadProfileIntoPages(record);
        pane_->EnablePages(!IsDefaultProfile(*record));
    }
    updateIcons(false);
    save_->setEnabled(false);
}

void CProfileManager::updateButtons() {
    const ProfileSequence records = profiles_.profiles().Snapshot();
    const PROFILE_RECORD* wanted = RecordOf(list_->currentItem());
    std::optional<std::size_t> index;
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].get() == wanted) index = i;
    const auto states = profile_manager::ButtonsFor(records, index, connection_.connector().profileInUse(),
                                                    profile_manager::LinkExists(connection_.snapshot()));
    apply_->setEnabled(states.apply);
    moveUp_->setEnabled(states.moveUp);
    moveDown_->setEnabled(states.moveDown);
    delete_->setEnabled(states.remove);
    pane_->setEnabled(states.pane);
}

void CProfileManager::updateIcons(bool strictInUseTest) {
    const ConnectionSnapshot snapshot = connection_.snapshot();
    const ProfilePtr inUse = connection_.connector().profileInUse();
    const bool link = profile_manager::LinkExists(snapshot) && card_.handle().held();
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        const bool isInUse = inUse && RecordOf(item) == inUse.get();
        const bool shown = strictInUseTest ? isInUse && profile_manager::ShowsInUse(*inUse, true, snapshot) : isInUse && link;
        ShowItemState(*item, shown);
    }
}

void CProfileManager::followListOrder() {
    // The supervisor moves the profile it connects to the head of its group: the items follow,
    // keeping the selection and anything typed into the pane.
    const ProfileSequence records = profiles_.profiles().Snapshot();
    const QScopedValueRollback quiet(filling_, true);
    const PROFILE_RECORD* current = RecordOf(list_->currentItem());
    for (int i = 0; i < static_cast<int>(records.size()); ++i)
        for (int j = i; j < list_->count(); ++j)
            if (RecordOf(list_->item(j)) == records[static_cast<size_t>(i)].get()) {
                if (j != i) list_->insertItem(i, list_->takeItem(j));
                break;
            }
    selectRecord(current);
}

void CProfileManager::selectRecord(const PROFILE_RECORD* record) {
    for (int i = 0; i < list_->count(); ++i)
        if (RecordOf(list_->item(i)) == record) list_->setCurrentRow(i);
}

void CProfileManager::OnLibraryEvent(quintptr code, qintptr, const QString&) {
    // Any event may come after the supervisor reordered the list (a link it made, its walk).
    followListOrder();
    updateButtons();
    if (code == ZARN9100_EVENT_LINK_DOWN || code == ZARN9100_EVENT_LINK_UP || code == ZARN9100_EVENT_ADHOC_LINK_UP ||
        code == ZARN9100_EVENT_LINK_LOST) {
        updateIcons(true);
        updateButtons();
        // Moving the selection reloads the pane: only while it holds no unsaved edits.
        if (save_->isEnabled()) return;
        const ProfilePtr inUse = connection_.connector().profileInUse();
        const bool qualifies = inUse && profile_manager::ShowsInUse(*inUse, true, connection_.snapshot());
        const PROFILE_RECORD* target = qualifies ? inUse.get() : (list_->count() > 0 ? RecordOf(list_->item(0)) : nullptr);
        if (target && target != RecordOf(list_->currentItem())) selectRecord(target);
    } else if (code == ZARN9100_EVENT_ASSOCIATION_REFUSED) {
        if (!card_.stopping().set() && !profile_manager::LinkExists(connection_.snapshot())) {
            for (int i = 0; i < list_->count(); ++i) ShowItemState(*list_->item(i), false);
        }
    }
}

bool CProfileManager::OnKillActive() {
    if (!save_->isEnabled()) return true;
    OnSave();
    return !save_->isEnabled();
}

void CProfileManager::OnCreate() {
    // Data.cfg holds no more than the list may; asked before the wizard, so no work is lost.
    if (profiles_.profiles().Count() >= kMaxProfiles) {
        environment_.dialogs().showMessage(this, QString::fromStdString(ProfileListFullText()),
                                           MessageIcon::Exclamation);
        return;
    }
    const ProfilePtr made = CProfileWizard::CreateProfile(context(), this);
    if (!made || !profiles_.profiles().Append(made)) return;
    profiles_.profiles().SortByNetworkType();
    fillList(made.get(), false);
    focusList();
    pane_->ShowFirstPage();
    profiles_.profilesChanged(this);
}

void CProfileManager::OnDelete() {
    const ProfilePtr record = selectedRecord();
    if (!record || IsDefaultProfile(*record)) return;
    const bool link = profile_manager::LinkExists(connection_.snapshot());
    const ProfilePtr inUse = connection_.connector().profileInUse();
    if (link && record == inUse) return;
    const int row = list_->currentRow();
    profiles_.profiles().Remove(record.get());
    // Nothing may keep pointing at a profile that is gone.
    if (record == inUse) connection_.connector().SetProfileInUse(nullptr);
    fillList(nullptr, false);
    if (list_->count() > 0) list_->setCurrentRow(std::min(row, list_->count() - 1));
    focusList();
    profiles_.profilesChanged(this);
}

void CProfileManager::OnSave() {
    const ProfilePtr record = selectedRecord();
    if (!record) {
        save_->setEnabled(false);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = pane_->CollectProfile();
    QApplication::restoreOverrideCursor();
    if (saved) {
        profiles_.profiles().SortByNetworkType();
        fillList(record.get(), false);
        focusList();
        profiles_.profilesChanged(this);
    }
    // A failed check keeps "&Save", so that leaving the page can be refused.
    save_->setEnabled(!saved);
}

void CProfileManager::OnMove(int direction) {
    const ProfilePtr record = selectedRecord();
    if (!record) return;
    if (profiles_.profiles().Step(record.get(), direction)) {
        fillList(record.get(), false);
        focusList();
        profiles_.profilesChanged(this);
    }
}

void CProfileManager::OnApplyProfile() {
    if (!card_.handle().held()) {
        environment_.dialogs().showMessage(this, "No card is present: the profile cannot be applied.",
                                           MessageIcon::Exclamation);
        return;
    }
    const ProfilePtr record = selectedRecord();
    if (!record) return;
    if (!IsDefaultProfile(*record) && !pane_->CollectProfile()) return;
    profiles_.profiles().SortByNetworkType();
    fillList(record.get(), false);
    {
        ui::BusyScope busy(*this, card_.stopping());
        save_->setEnabled(false);
        create_->setEnabled(false);
        pane_->ShowFirstPage();
        ui::RunWhileResponsive([&] { return connection_.connector().ConnectProfile(record, kCaption); });
        fillList(record.get());
    }
    create_->setEnabled(true);
    updateButtons();
    save_->setEnabled(false);
    focusList();
    profiles_.profilesChanged(this);
}

void CProfileManager::OnMenuCommand(int id) {
    const ProfilePtr record = selectedRecord();
    switch (id) {
    case kCmdSwitch:
        OnApplyProfile();
        return;
    case kCmdAddToPrefer:
    case kCmdRemoveFromPrefer:
        if (record) profile_manager::SetPreferred(profiles_.profiles(), record.get(), id == kCmdAddToPrefer);
        break;
    case kCmdAddAllToPrefer:
    case kCmdEmptyPrefer:
        profile_manager::SetAllPreferred(profiles_.profiles(), id == kCmdAddAllToPrefer);
        break;
    default:
        return;
    }
    filling_ = true;
    const auto rows = profile_manager::ListRows(profiles_.profiles());
    for (int i = 0; i < list_->count(); ++i) {
        QListWidgetItem* item = list_->item(i);
        for (const auto& row : rows)
            if (row.record.get() == RecordOf(item))
                item->setCheckState(row.fields.inPreferList == 1 ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
}

}  // namespace tembrel
