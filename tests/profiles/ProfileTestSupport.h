#pragma once
// Shared helpers for the profile tests: named records, file images built by hand, a scratch folder.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "profiles/ProfileFileFormat.h"
#include "profiles/ProfileList.h"
#include "profiles/ProfileText.h"

namespace tembrel::test {

inline ProfilePtr Named(std::string_view name, uint32_t networkType = ZARN9100_NETWORK_INFRASTRUCTURE) {
    ProfilePtr p = NewEmptyProfile();
    SetProfileName(*p, name);
    p->networkType = networkType;
    return p;
}

inline std::vector<std::string> Names(const ProfileSequence& records) {
    std::vector<std::string> names;
    for (const auto& p : records) names.emplace_back(ProfileName(*p));
    return names;
}

inline std::vector<std::string> Names(const ProfileList& list) { return Names(list.Snapshot()); }

using Bytes = std::vector<uint8_t>;

inline void AppendU32(Bytes& out, uint32_t value) {
    for (int b = 0; b < 4; ++b) out.push_back(static_cast<uint8_t>(value >> (8 * b)));
}

// One file entry holding the scrambled `record`, cut or padded to `length` bytes.
inline Bytes Entry(const PROFILE_RECORD& record, uint32_t length = sizeof(PROFILE_RECORD)) {
    Bytes body(length, 0);
    std::memcpy(body.data(), &record, std::min<std::size_t>(length, sizeof record));
    ScrambleRecord(std::span(body).first(std::min<std::size_t>(length, sizeof record)));
    Bytes out;
    AppendU32(out, length);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder per test, removed afterwards.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "tembrel-profiles-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    std::filesystem::path Path(const std::string& name) const { return folder_ / name; }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path folder_;
};

}  // namespace tembrel::test
