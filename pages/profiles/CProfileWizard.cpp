#include "pages/profiles/CProfileWizard.h"

#include <algorithm>

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "pages/profiles/CAdvSettgPage.h"
#include "pages/profiles/CBasicSettgPage.h"
#include "pages/profiles/CCompleteWiz.h"
#include "pages/profiles/CSecuritySettgPage.h"
#include "pages/profiles/ProfileControls.h"
#include "platform/gui/DialogService.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "ui/ControlId.h"
#include "ui/FirstTabStop.h"
#include "ui/TabOrder.h"

namespace tembrel {

namespace {

constexpr int kNetworkIndex = 0;
constexpr int kSecurityIndex = 1;
constexpr int kProtocolIndex = 2;
constexpr int kCompleteIndex = 3;

const char* const kHeaderTitles[] = {"Please enter the network information:", "Please enter the security settings:",
                                     "Please enter the wireless settings:", "Complete."};

// The create-mode header: the page's title on white, with the program's banner art at the right.
class WizardHeader : public QFrame {
public:
    explicit WizardHeader(QWidget* parent) : QFrame(parent) {
        setFixedHeight(56);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, Qt::black);
        setPalette(p);
        setFrameShape(QFrame::NoFrame);
        title = new QLabel(this);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(16, 0, 72, 0);
        layout->addWidget(title);
    }
    QLabel* title;

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF art(width() - 60, 8, 40, 40);
        QLinearGradient gradient(art.topLeft(), art.bottomRight());
        gradient.setColorAt(0, QColor(0x2f, 0x6f, 0xb5));
        gradient.setColorAt(1, QColor(0x8f, 0xc3, 0xeb));
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawEllipse(art);
        painter.setPen(QPen(Qt::white, 2.5));
        for (int i = 1; i <= 3; ++i) {
            const double r = 5.0 * i;
            painter.drawArc(QRectF(art.center().x() - r, art.center().y() - r + 6, 2 * r, 2 * r), 45 * 16, 90 * 16);
        }
        painter.setPen(QPen(palette().color(QPalette::Mid)));
        painter.drawLine(0, height() - 1, width(), height() - 1);
    }
};

}  // namespace

ProfilePtr CProfileWizard::CreateProfile(PageContext& context, QWidget* parent, const PROFILE_RECORD* seed) {
    CProfileWizard wizard(Mode::Create, context, parent);
    if (seed) wizard.LoadProfileIntoPages(NewProfileCopy(*seed));
    if (wizard.exec() != QDialog::Accepted) return nullptr;
    return wizard.createdProfile();
}

bool CProfileWizard::ConfigureProfile(PageContext& context, QWidget* parent, const ProfilePtr& record) {
    if (!record) return false;
    CProfileWizard wizard(Mode::Configure, context, parent);
    wizard.LoadProfileIntoPages(record);
    // The network is named, and what the user types next goes where the network needs it.
    const std::string ssid = context.profiles().Read([&](const ProfileSequence&) { return std::string(ProfileSsid(*record)); });
    wizard.setWindowTitle(QString("%1 - %2").arg(kConfigureCaption, Text(ssid)));
    if (QWidget* first = wizard.security_->firstFieldToFill()) first->setFocus(Qt::OtherFocusReason);
    return wizard.exec() == QDialog::Accepted;
}

CProfileWizard::CProfileWizard(Mode mode, PageContext& context, QWidget* parent)
    : QDialog(parent), context_(context), editor_(mode) {
    switch (mode) {
    case Mode::Create: buildCreateMode(); break;
    case Mode::Configure: buildConfigureMode(); break;
    case Mode::Pane: buildPaneMode(); break;
    }
}

CProfileWizard::~CProfileWizard() = default;

void CProfileWizard::buildCreateMode() {
    setWindowTitle(kCreateCaption);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    auto* header = new WizardHeader(this);
    headerTitle_ = header->title;
    layout->addWidget(header);

    stack_ = new QStackedWidget(this);
    network_ = new CBasicSettgPage(*this, true, stack_);
    security_ = new CSecuritySettgPage(*this, stack_);
    protocol_ = new CAdvSettgPage(*this, true, stack_);
    completion_ = new CCompleteWiz(*this, stack_);
    int pageIndex = 0;
    for (QWidget* page : std::initializer_list<QWidget*>{network_, security_, protocol_, completion_}) {
        // Named by its title, which a screen reader says when the focus enters the page.
        page->setAccessibleName(kHeaderTitles[pageIndex++]);
        stack_->addWidget(page);
    }
    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 8, 16, 0);
    body->addWidget(stack_);
    layout->addLayout(body, 1);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(12, 0, 12, 0);
    buttons->addStretch(1);
    backButton_ = ui::MakeButton("< &Back", this, kIdBack);
    nextButton_ = ui::MakeButton("&Next >", this, kIdNext);
    finishButton_ = ui::MakeButton("Finish", this, kIdFinish);
    auto* cancel = ui::MakeButton("Cancel", this, kIdCancel);
    for (QPushButton* b : {backButton_, nextButton_, finishButton_, cancel}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(backButton_, &QPushButton::clicked, this, &CProfileWizard::back);
    connect(nextButton_, &QPushButton::clicked, this, &CProfileWizard::next);
    connect(finishButton_, &QPushButton::clicked, this, &CProfileWizard::finish);
    connect(cancel, &QPushButton::clicked, this, &CProfileWizard::reject);
    showPage(kNetworkIndex);
}

void CProfileWizard::buildConfigureMode() {
    setWindowTitle(kConfigureCaption);
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    ui::SetControlId(*tabs, kIdPageTabs);
    security_ = new CSecuritySettgPage(*this, tabs);
    tabs->addTab(security_, "Security");
    layout->addWidget(tabs, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = ui::MakeButton("OK", this, kIdOk);
    auto* cancel = ui::MakeButton("Cancel", this, kIdCancel);
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &CProfileWizard::accept);
    connect(cancel, &QPushButton::clicked, this, &CProfileWizard::reject);
}

void CProfileWizard::buildPaneMode() {
    setWindowFlags(Qt::Widget);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabWidget(this);
    ui::SetControlId(*tabs_, kIdPageTabs);
    network_ = new CBasicSettgPage(*this, false, tabs_);
    tabs_->addTab(network_, "Network Info");
    // Security and Protocol are built into their tabs the first time they are shown.
    for (const char* caption : {"Security", "Protocol"}) {
        auto* slot = new QWidget(tabs_);
        (new QVBoxLayout(slot))->setContentsMargins(0, 0, 0, 0);
        tabs_->addTab(slot, caption);
    }
    layout->addWidget(tabs_);
    // A tab shows the values again each time it becomes active.
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        buildPane(index);
        refreshPages();
    });
}

void CProfileWizard::buildPane(int index) {
    QWidget* slot = tabs_->widget(index);
    if (index == kSecurityIndex && !security_) {
        security_ = new CSecuritySettgPage(*this, slot);
        security_->setPageEnabled(panesEnabled_);
        slot->layout()->addWidget(security_);
        security_->show();  // at once, for a mnemonic typed right after the tab switch
    } else if (index == kProtocolIndex && !protocol_) {
        protocol_ = new CAdvSettgPage(*this, false, slot);
        protocol_->setPageEnabled(panesEnabled_);
        slot->layout()->addWidget(protocol_);
        protocol_->show();  // at once, for a mnemonic typed right after the tab switch
    }
    if (QWidget* built = index == kSecurityIndex ? static_cast<QWidget*>(security_) : protocol_; built && slot->isAncestorOf(built))
        ui::tabOrderAfterBuilding(*tabs_, *built);
}

void CProfileWizard::refreshPages() {
    if (network_) network_->refresh();
    if (security_) security_->refresh();
    if (protocol_) protocol_->refresh();
    if (completion_) completion_->refresh();
}

void CProfileWizard::LoadProfileIntoPages(const ProfilePtr& record) {
    if (!record) return;
    edited_ = record;
    const PROFILE_RECORD copy = context_.profiles().Read([&](const ProfileSequence&) { return *record; });
    editor_.load(copy);
    refreshPages();
    modified_ = false;
    finishFailed_ = false;
    updateWizardButtons();
}

void CProfileWizard::EnablePages(bool enabled) {
    panesEnabled_ = enabled;
    if (network_) network_->setPageEnabled(enabled);
    if (security_) security_->setPageEnabled(enabled);
    if (protocol_) protocol_->setPageEnabled(enabled);
}

void CProfileWizard::ShowFirstPage() {
    if (stack_) showPage(kNetworkIndex);
    if (tabs_) tabs_->setCurrentIndex(0);
}

int CProfileWizard::currentPageIndex() const {
    if (stack_) return stack_->currentIndex();
    if (tabs_) return tabs_->currentIndex();
    return kSecurityIndex;
}

void CProfileWizard::showPage(int index) {
    if (tabs_) {
        tabs_->setCurrentIndex(std::clamp(index, 0, 2));
        return;
    }
    if (!stack_) return;
    index = std::clamp(index, 0, kCompleteIndex);
    stack_->setCurrentIndex(index);
    headerTitle_->setText(kHeaderTitles[index]);
    refreshPages();
    updateWizardButtons();
}

void CProfileWizard::updateWizardButtons() {
    if (!stack_) return;
    const int index = stack_->currentIndex();
    const bool named = !editor_.network().name().empty();
    backButton_->setEnabled(index != kNetworkIndex || finishFailed_);
    nextButton_->setEnabled(index != kCompleteIndex && (index != kNetworkIndex || named));
    finishButton_->setEnabled(index == kCompleteIndex || finishFailed_);
    (index == kCompleteIndex || finishFailed_ ? finishButton_ : nextButton_)->setDefault(true);
}

void CProfileWizard::back() {
    finishFailed_ = false;
    showPage(currentPageIndex() - 1);
    focusPage();
}

void CProfileWizard::next() {
    finishFailed_ = false;
    showPage(currentPageIndex() + 1);
    focusPage();
}

void CProfileWizard::focusPage() {
    // The focus goes with the page (so that a screen reader announces it): to its first field,
    // and on Complete, which has nothing to fill in, to Finish.
    if (!stack_) return;
    QWidget* target = stack_->currentIndex() == kCompleteIndex ? finishButton_ : ui::firstTabStop(*stack_->currentWidget());
    if (target) target->setFocus(Qt::TabFocusReason);
}

void CProfileWizard::pageChanged() {
    modified_ = true;
    updateWizardButtons();
    emit modified();
}

void CProfileWizard::networkChangedByUser() {
    editor_.networkChangedByUser();
    if (security_) security_->refresh();
    if (protocol_) protocol_->refresh();
    pageChanged();
}

bool CProfileWizard::validatePages(const PROFILE_RECORD* self) {
    const std::optional<PageProblem> problem =
        context_.profiles().Read([&](const ProfileSequence& records) { return editor_.validate(records, self); });
    if (!problem) return true;
    const int index = problem->page == WizardPage::Network ? kNetworkIndex
                      : problem->page == WizardPage::Security ? kSecurityIndex
                                                               : kProtocolIndex;
    // The wizard's Finish stays on Complete unless the name is at fault, which only Network Info
    // can mend.
    const bool move = !stack_ || problem->page == WizardPage::Network;
    if (move && index != currentPageIndex() && (stack_ || tabs_)) showPage(index);
    refreshPages();
    context_.dialogs().showMessage(this, Text(problem->message), MessageIcon::Exclamation);
    return false;
}

bool CProfileWizard::storeIntoEdited() {
    if (!edited_) return false;
    const bool mustBeListed = mode() == Mode::Pane;
    return context_.profiles().Edit([&](ProfileSequence& records) {
        const bool listed = std::any_of(records.begin(), records.end(), [&](const ProfilePtr& r) { return r == edited_; });
        if (!listed && mustBeListed) return false;
        PROFILE_RECORD updated = *edited_;
        editor_.store(updated);
        *edited_ = updated;
        return true;
    });
}

bool CProfileWizard::CollectProfile() {
    if (!edited_ || !validatePages(edited_.get())) return false;
    if (!storeIntoEdited()) return false;
    modified_ = false;
    return true;
}

void CProfileWizard::finish() {
    finishFailed_ = false;
    PROFILE_RECORD record = edited_ ? context_.profiles().Read([&](const ProfileSequence&) { return *edited_; })
                                    : MakeEmptyProfile();
    if (!validatePages(nullptr)) {
        finishFailed_ = true;
        updateWizardButtons();
        return;
    }
    editor_.store(record);
    record.inPreferList = 1;
    created_ = NewProfileCopy(record);
    QDialog::accept();
}

void CProfileWizard::accept() {
    switch (mode()) {
    case Mode::Create:
        if (currentPageIndex() == kCompleteIndex || finishFailed_) finish();
        return;
    case Mode::Configure:
        if (CollectProfile()) QDialog::accept();
        return;
    case Mode::Pane: return;
    }
}

void CProfileWizard::reject() {
    if (mode() != Mode::Pane) QDialog::reject();
}

void CProfileWizard::keyPressEvent(QKeyEvent* event) {
    if (mode() == Mode::Pane) {
        QWidget::keyPressEvent(event);  // ignored here, so it reaches the host
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tembrel
