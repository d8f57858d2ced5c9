#pragma once
// What changes in a database file whenever anyone commits to it or replaces it: cheap enough to read once
// a second, so the program notices what another process (or another machine, through a synchronised
// folder) did to the notes.

#include <cstdint>
#include <string>

namespace sqldb {

struct FileStamp {
    bool present = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // the file system's modification time, in its own ticks
    std::uint32_t counter = 0; // the engine's file change counter, raised by every commit in rollback mode

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at the path (UTF-8). A missing or unreadable file gives a stamp that is not
// present. Never throws.
FileStamp filestamp(const std::string& path) noexcept;

} // namespace sqldb
