#pragma once
// A folder of the test's own under /tmp, removed with all it holds when its owner goes: declare
// it before the members that write there (programs, cards), so that they end first.

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace tembrel::testing {

class TempFolder {
public:
    // /tmp/<prefix>XXXXXX; made() says whether it could be made.
    explicit TempFolder(const std::string& prefix) {
        std::string pattern = "/tmp/" + prefix + "XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        if (made()) std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool made() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }

private:
    std::filesystem::path path_;
};

}  // namespace tembrel::testing
