#pragma once
// A personal certificate store for tests: the certificates it was given, in that order; counts
// how often it was read.

#include "platform/CertificateStore.h"

#include <vector>

namespace tembrel {

class FakeCertificateStore final : public CertificateStore {
public:
    FakeCertificateStore() = default;
    explicit FakeCertificateStore(std::vector<Certificate> certificates) : certificates_(std::move(certificates)) {}

    std::vector<Certificate> certificates() const override {
        ++reads_;
        return certificates_;
    }
    void set(std::vector<Certificate> certificates) { certificates_ = std::move(certificates); }
    int reads() const { return reads_; }

private:
    std::vector<Certificate> certificates_;
    mutable int reads_ = 0;
};

}  // namespace tembrel
