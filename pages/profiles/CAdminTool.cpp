#include "pages/profiles/CAdminTool.h"

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <cstdio>
#include <filesystem>

#include "pages/profiles/logic/AdminTransfer.h"
#include "profiles/ProfileStore.h"
#include "ui/ControlId.h"

namespace tembrel {

namespace {

QLabel* AddText(QGridLayout& layout, QWidget* parent, int row, int column, int columnSpan, const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout.addWidget(label, row, column, 1, columnSpan);
    return label;
}

// The path in the system's own encoding, as the file dialog named it.
std::filesystem::path LocalPath(const QString& path) { return std::filesystem::path(QFile::encodeName(path).toStdString()); }

}  // namespace

CAdminTool::CAdminTool(PageContext& context, QWidget* parent)
    : CZarn9100Page(context, kCaption, kDialogId, parent), profiles_(context), environment_(context) {
    auto* layout = new QGridLayout(this);
    layout->setColumnStretch(1, 1);
    layout->setVerticalSpacing(18);

    QPushButton* import = ui::MakeButton("&Import Profiles", this, kIdImport);
    layout->addWidget(import, 0, 0, Qt::AlignTop);
    AddText(*layout, this, 0, 1, 1,
            "Click <Import Profiles> button and select the file from which you want to import the profile.");
    QPushButton* exportButton = ui::MakeButton("&Export Profiles", this, kIdExport);
    layout->addWidget(exportButton, 1, 0, Qt::AlignTop);
    AddText(*layout, this, 1, 1, 1,
            "Click <Export Profiles> button and select the file where you want to save the profiles.");
    AddText(*layout, this, 2, 0, 2, "All profiles shown in <Profile Manager> page will be saved to the selected source.");
    layout->setRowStretch(3, 1);

    connect(import, &QPushButton::clicked, this, &CAdminTool::OnImportProfiles);
    connect(exportButton, &QPushButton::clicked, this, &CAdminTool::OnExportProfiles);
}

FileDialogOptions CAdminTool::FileOptions() {
    FileDialogOptions options;
    options.filter = QStringLiteral("cfg Files (*.cfg)");
    options.defaultSuffix = QStringLiteral("cfg");
    return options;
}

void CAdminTool::OnImportProfiles() {
    const QString path = environment_.dialogs().openFile(this, FileOptions());
    if (path.isEmpty()) return;
    const StoreResult imported = ImportProfileFile(LocalPath(path), profiles_.profiles());
    // A damaged file keeps the profiles read before the damage, and the user learns how many.
    const std::string damage = ImportDamageText(imported);
    if (!imported && damage.empty()) {
        tellFailure(path, kReadFailedText, imported.reason);
        return;
    }
    if (imported || imported.records > 0) {
        profiles_.profilesChanged(this);
        emit profilesImported();
    }
    if (!damage.empty()) tellFailure(path, damage.c_str(), imported.reason);
}

void CAdminTool::OnExportProfiles() {
    const QString path = environment_.dialogs().saveFile(this, FileOptions());
    if (path.isEmpty()) return;
    const StoreResult exported = ExportProfiles(LocalPath(path), profiles_.profiles(), profiles_.profileStorePath());
    if (!exported) tellFailure(path, kWriteFailedText, exported.reason);
}

void CAdminTool::tellFailure(const QString& path, const char* text, const std::string& reason) {
    // The box is for the user; the system's reason goes where the program's other file errors go.
    std::fprintf(stderr, "Tembrel: %s\n", reason.c_str());
    environment_.dialogs().showMessage(this, QDir::toNativeSeparators(path) + QLatin1Char('\n') + QString::fromLatin1(text),
                                  MessageIcon::Exclamation);
}

}  // namespace tembrel
