#include "SheetPageContext.h"

#include "app/CZarn9100Sheet.h"

namespace tembrel {

DriverLibrary& SheetPageContext::library() { return sheet_.library(); }
const AdapterHandle& SheetPageContext::handle() const { return sheet_.adapter().handle(); }
std::string SheetPageContext::libraryPath() const { return sheet_.libraryPath(); }

std::optional<MacAddress> SheetPageContext::macAddress() const {
    if (!sheet_.adapter().handle().held()) return std::nullopt;
    return sheet_.adapter().macAddress();
}

uint32_t SheetPageContext::regionCode() const { return sheet_.adapter().regionCode(); }
uint32_t SheetPageContext::radioState() const { return sheet_.adapter().radioState; }
std::atomic<uint32_t>& SheetPageContext::stopping() { return sheet_.adapter().stopping; }
SupervisorFlags& SheetPageContext::supervisorFlags() { return sheet_.supervisorFlags(); }
bool SheetPageContext::monitorMode() const { return sheet_.isMonitorMode(); }
int SheetPageContext::osFamily() const { return sheet_.osFamily(); }
ConnectionSnapshot SheetPageContext::snapshot() const { return sheet_.snapshot(); }
uint32_t SheetPageContext::encryptionStatus() { return sheet_.EncryptionStatus(); }
ProfileConnector& SheetPageContext::connector() { return sheet_.connector(); }
ProfileList& SheetPageContext::profiles() { return sheet_.profiles(); }
const std::string& SheetPageContext::profileStorePath() const { return sheet_.profileStorePath(); }
std::filesystem::path SheetPageContext::dataFolder() const { return sheet_.dataFolder(); }
Settings& SheetPageContext::settings() { return sheet_.settings(); }
DialogService& SheetPageContext::dialogs() { return sheet_.dialogs(); }
const IpHelper& SheetPageContext::ipHelper() const { return sheet_.ipHelper(); }
const CertificateStore& SheetPageContext::certificateStore() const { return sheet_.certificateStore(); }
QWidget* SheetPageContext::dialogParent() { return &sheet_; }
void SheetPageContext::profilesChanged(const QWidget* page) { sheet_.OnProfilesChanged(page); }

}  // namespace tembrel
