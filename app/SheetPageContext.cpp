#include "SheetPageContext.h"

#include "adapter/Adapter.h"
#include "app/SheetContext.h"
#include "connection/StatusRefresher.h"

namespace tembrel {

SheetPageContext::SheetPageContext(SheetContext& context, SheetParts parts)
    : context_(context), parts_(std::move(parts)), ipHelper_(std::move(context.ipHelper)),
      certificates_(std::move(context.certificates)) {
    if (!ipHelper_) ipHelper_ = makeSystemIpHelper();
    if (!certificates_) certificates_ = MakeFolderCertificateStore(dataFolder() / "certificates");
}

SheetPageContext::~SheetPageContext() = default;

DriverLibrary& SheetPageContext::library() { return context_.library; }
const AdapterHandle& SheetPageContext::handle() const { return parts_.adapter.handle(); }
std::string SheetPageContext::libraryPath() const { return context_.libraryPath; }

std::optional<MacAddress> SheetPageContext::macAddress() const {
    if (!parts_.adapter.handle().held()) return std::nullopt;
    return parts_.adapter.macAddress();
}

uint32_t SheetPageContext::regionCode() const { return parts_.adapter.regionCode(); }
uint32_t SheetPageContext::radioState() const { return parts_.adapter.radioState; }
StopFlag& SheetPageContext::stopping() { return parts_.adapter.stopping; }
int SheetPageContext::osFamily() const { return context_.osFamily; }
ConnectionSnapshot SheetPageContext::snapshot() const { return parts_.snapshot.copy(); }
uint32_t SheetPageContext::encryptionStatus() { return parts_.refresher.QueryEncryptionStatus(); }
const std::string& SheetPageContext::profileStorePath() const { return context_.profileStorePath; }

std::filesystem::path SheetPageContext::dataFolder() const {
    return std::filesystem::path(context_.profileStorePath).parent_path();
}

Settings& SheetPageContext::settings() { return context_.settings; }
DialogService& SheetPageContext::dialogs() { return context_.dialogs; }

}  // namespace tembrel
