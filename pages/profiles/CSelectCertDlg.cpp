#include "pages/profiles/CSelectCertDlg.h"

#include "pages/profiles/CViewCertDlg.h"
#include "pages/profiles/CredentialIds.h"
#include "pages/profiles/logic/CertificateChoice.h"
#include "ui/ControlId.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tembrel {

namespace {

constexpr int kHashRole = Qt::UserRole;

}  // namespace

CSelectCertDlg::CSelectCertDlg(const CertificateStore& store, std::string& certificateName, CertificateHash& hash,
                               QWidget* parent)
    : QDialog(parent), store_(store), certificateName_(certificateName), hash_(hash) {
    using namespace credentials::ids;
    setWindowTitle(QStringLiteral("Select Certificate"));
    auto* layout = new QVBoxLayout(this);

    auto* group = new QGroupBox(QStringLiteral("Personal Certificates"), this);
    ui::SetControlId(*group, kCertificateGroup);
    auto* groupLayout = new QVBoxLayout(group);
    list_ = new QTableWidget(0, 3, group);
    list_->setTabKeyNavigation(false);  // Tab goes on to the buttons
    ui::SetControlId(*list_, kCertificateList);
    list_->setAccessibleName(QStringLiteral("Personal Certificates"));
    list_->setHorizontalHeaderLabels({QStringLiteral("Issuer"), QStringLiteral("Subject"), QStringLiteral("Valid Before")});
    list_->verticalHeader()->hide();
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(true);
    list_->setWordWrap(false);
    list_->setTextElideMode(Qt::ElideRight);
    list_->horizontalHeader()->setHighlightSections(false);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->viewport()->installEventFilter(this);
    list_->setMinimumSize(420, 160);
    groupLayout->addWidget(list_);
    // A store of more files than are read says so under the list.
    if (const std::size_t leftOut = store_.filesLeftOut(); leftOut > 0) {
        auto* note = new QLabel(QStringLiteral("%1 more certificate files are not listed: only the first %2 by name are read.")
                                    .arg(leftOut)
                                    .arg(kMaxCertificateFiles),
                                group);
        note->setObjectName(QStringLiteral("filesLeftOut"));
        note->setWordWrap(true);
        groupLayout->addWidget(note);
    }
    layout->addWidget(group);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    view_ = ui::MakeButton("&View", this, kView);
    QPushButton* select = ui::MakeButton("&Select", this, kOk);
    QPushButton* cancel = ui::MakeButton("&Cancel", this, kCancel);
    for (QPushButton* button : {view_, select, cancel}) buttons->addWidget(button);
    select->setDefault(true);
    layout->addLayout(buttons);

    connect(view_, &QPushButton::clicked, this, &CSelectCertDlg::OnView);
    connect(select, &QPushButton::clicked, this, &CSelectCertDlg::OnSelect);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // A click or a key that changes the selection: "&View" follows whether a row is selected.
    connect(list_, &QTableWidget::itemSelectionChanged, this, [this] { view_->setEnabled(selectedRow() >= 0); });

    fill();
    view_->setEnabled(false);
}

void CSelectCertDlg::fill() {
    list_->setRowCount(0);
    for (const Certificate& certificate : store_.certificates()) {
        const CertificateListRow row = ListRowOf(certificate);
        const int at = list_->rowCount();
        list_->insertRow(at);
        auto* issuer = new QTableWidgetItem(QString::fromStdString(row.issuer));
        issuer->setData(kHashRole, QByteArray(reinterpret_cast<const char*>(row.hash.data()),
                                              static_cast<qsizetype>(row.hash.size())));
        list_->setItem(at, 0, issuer);
        list_->setItem(at, 1, new QTableWidgetItem(QString::fromStdString(row.subject)));
        list_->setItem(at, 2, new QTableWidgetItem(QString::fromStdString(row.validBefore)));
        // A value cut to its column is read whole in its tooltip.
        for (int column = 0; column < list_->columnCount(); ++column)
            list_->item(at, column)->setToolTip(list_->item(at, column)->text());
    }
}

bool CSelectCertDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::Resize) {
        // Three equal columns, the first one pixel narrower, all in sight: a long name is cut
        // with an ellipsis (its tooltip has it whole), and the user may widen any column.
        const int width = static_cast<QResizeEvent*>(event)->size().width();
        const int third = width / 3;
        const int first = std::max(0, third - 1);
        list_->setColumnWidth(0, first);
        list_->setColumnWidth(1, third);
        list_->setColumnWidth(2, std::max(0, width - first - third));
    }
    return QDialog::eventFilter(watched, event);
}

int CSelectCertDlg::selectedRow() const {
    const auto rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

CertificateHash CSelectCertDlg::rowHash(int row) const {
    CertificateHash hash{};
    const QByteArray bytes = list_->item(row, 0)->data(kHashRole).toByteArray();
    if (bytes.size() == static_cast<qsizetype>(hash.size())) std::copy(bytes.begin(), bytes.end(), hash.begin());
    return hash;
}

void CSelectCertDlg::OnView() {
    const int row = selectedRow();
    if (row < 0) return;
    CViewCertDlg::ShowFor(store_, list_->item(row, 0)->text().toStdString(), rowHash(row), this);
}

void CSelectCertDlg::OnSelect() {
    // Without a selection the caller's certificate stays as it was.
    if (const int row = selectedRow(); row >= 0) {
        certificateName_ = CertificateNameOf(list_->item(row, 0)->text().toStdString());
        hash_ = rowHash(row);
    }
    accept();
}

}  // namespace tembrel
