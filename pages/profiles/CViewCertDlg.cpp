#include "pages/profiles/CViewCertDlg.h"

#include "pages/profiles/CredentialIds.h"
#include "pages/profiles/logic/CertificateChoice.h"
#include "ui/ControlId.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tembrel {

CViewCertDlg::CViewCertDlg(const Certificate& certificate, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("View Certificate"));
    auto* layout = new QVBoxLayout(this);

    const std::vector<CertificateField> rows = ViewRowsOf(certificate);
    list_ = new QTableWidget(static_cast<int>(rows.size()), 2, this);
    list_->setTabKeyNavigation(false);  // Tab goes on to the buttons
    ui::SetControlId(*list_, credentials::ids::kFieldList);
    list_->setAccessibleName(QStringLiteral("Certificate"));
    list_->horizontalHeader()->hide();
    list_->verticalHeader()->hide();
    list_->setShowGrid(true);
    list_->setWordWrap(false);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->viewport()->installEventFilter(this);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const auto& field = rows[static_cast<std::size_t>(row)];
        list_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(field.label)));
        auto* value = new QTableWidgetItem(QString::fromStdString(field.value));
        // Long values (the key, a long name) are cut in the cell; the tip and the box below the
        // list show them whole.
        value->setToolTip(value->text());
        list_->setItem(row, 1, value);
    }
    list_->resizeRowsToContents();
    // Wide enough for the longest label in its quarter; as high as the nine rows.
    list_->setMinimumWidth(4 * (list_->fontMetrics().horizontalAdvance(QStringLiteral("Signature Algorithm")) + 16));
    list_->setFixedHeight(list_->verticalHeader()->length() + 2 * list_->frameWidth());
    layout->addWidget(list_);

    value_ = new QPlainTextEdit(this);
    ui::SetControlId(*value_, credentials::ids::kFieldValue);
    value_->setReadOnly(true);
    value_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    value_->setWordWrapMode(QTextOption::WrapAnywhere);  // a key is one long run of digits
    value_->setFixedHeight(5 * value_->fontMetrics().lineSpacing() + 2 * value_->frameWidth() + 8);
    layout->addWidget(value_);
    connect(list_, &QTableWidget::currentCellChanged, this, [this](int row) {
        const QTableWidgetItem* item = row >= 0 ? list_->item(row, 1) : nullptr;
        value_->setPlainText(item ? item->text() : QString());
    });
    list_->setCurrentCell(0, 0);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ui::SetControlId(*ok, credentials::ids::kOk);
    ok->setDefault(true);
    layout->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

bool CViewCertDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::Resize) {
        // A quarter (less one pixel) for the labels, three quarters for the values.
        const int width = static_cast<QResizeEvent*>(event)->size().width();
        list_->setColumnWidth(0, std::max(0, width / 4 - 1));
        list_->setColumnWidth(1, width * 3 / 4);
    }
    return QDialog::eventFilter(watched, event);
}

bool CViewCertDlg::ShowFor(const CertificateStore& store, std::string_view name, const CertificateHash& hash,
                           QWidget* parent) {
    if (name.empty()) return false;
    const std::optional<Certificate> certificate = FindCertificate(store.certificates(), name, hash);
    if (!certificate) return false;
    CViewCertDlg viewer(*certificate, parent);
    viewer.exec();
    return true;
}

}  // namespace tembrel
