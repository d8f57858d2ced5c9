#pragma once
// A file that exists only while work on it is under way.

#include <filesystem>
#include <string>
#include <system_error>

namespace sqldb {

// Removes the file and its rollback journal when made (left by an earlier crash, a journal would be rolled
// into the new file as a hot journal) and again when destroyed, unless kept: on every path the work takes.
class ScratchFile {
public:
    explicit ScratchFile(std::string path) : path_(std::move(path)) { remove(); }
    ~ScratchFile() {
        if (!kept_)
            remove();
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& path() const { return path_; }
    // The file has been given another name; nothing is left to remove.
    void keep() { kept_ = true; }

private:
    void remove() noexcept {
        std::error_code ignored;
        std::filesystem::remove(std::filesystem::path(std::u8string(path_.begin(), path_.end())), ignored);
        const std::string journal = path_ + "-journal";
        std::filesystem::remove(std::filesystem::path(std::u8string(journal.begin(), journal.end())),
                                ignored);
    }
    std::string path_;
    bool kept_ = false;
};

} // namespace sqldb
