#pragma once
// An exclusive lock on the data folder, held for as long as the object lives: two copies of the
// program on one Data.cfg would each save their own list at exit, the last one over the other's.
// The single-instance guard cannot see a copy started with another runtime folder; this lock
// lives with the data itself. The kernel releases it when a copy ends in any way, so a crash
// leaves nothing behind, and nothing is created in the folder: the folder itself is locked.

#include <filesystem>
#include <string>

namespace tembrel {

class FolderLock {
public:
    enum class State {
        Held,            // this copy owns the folder
        HeldByAnother,   // another process holds it
        Failed,          // no lock could be taken (the folder cannot be opened, no locks here)
    };

    explicit FolderLock(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    State state() const { return state_; }
    const std::string& error() const { return error_; }  // why Failed

private:
    int fd_ = -1;
    State state_ = State::Failed;
    std::string error_;
};

}  // namespace tembrel
