#pragma once
// The Admin page: copies the profile list to a file of the user's choice and appends the profiles
// of such a file to the list.

#include "pages/CZarn9100Page.h"
#include "platform/gui/DialogService.h"

class QPushButton;

namespace tembrel {

class CAdminTool : public CZarn9100Page {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Admin";
    static constexpr int kDialogId = 107;
    static constexpr int kIdImport = 1081;
    static constexpr int kIdExport = 1082;

    // The line under the file's path in the box shown when a file could not be read or written.
    static constexpr const char* kReadFailedText = "The file could not be read.";
    static constexpr const char* kWriteFailedText = "The file could not be written.";

    explicit CAdminTool(PageContext& context, QWidget* parent = nullptr);

    // The file dialogs of both buttons: "*.cfg" files, "cfg" added to a name without a suffix.
    static FileDialogOptions FileOptions();

    // "&Import Profiles": the chosen file's records are appended to the list and fixed up.
    void OnImportProfiles();
    // "&Export Profiles": the list is written to the chosen file.
    void OnExportProfiles();

signals:
    // The profile list gained the records of an imported file (and was re-sorted).
    void profilesImported();

private:
    // The parts of the window this page uses.
    ProfilesRole& profiles_;
    EnvironmentRole& environment_;
    void tellFailure(const QString& path, const char* text, const std::string& reason);
};

}  // namespace tembrel
