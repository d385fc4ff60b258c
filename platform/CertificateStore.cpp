#include "CertificateStore.h"

namespace tembrel {

namespace {

class FolderCertificateStore final : public CertificateStore {
public:
    explicit FolderCertificateStore(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::vector<Certificate> certificates() const override { return {}; }

private:
    std::filesystem::path folder_;
};

}  // namespace

std::unique_ptr<CertificateStore> MakeFolderCertificateStore(std::filesystem::path folder) {
    return std::make_unique<FolderCertificateStore>(std::move(folder));
}

}  // namespace tembrel
