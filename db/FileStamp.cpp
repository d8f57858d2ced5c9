#include "db/FileStamp.h"

#include <filesystem>
#include <fstream>

namespace sqldb {

FileStamp filestamp(const std::string& path) noexcept {
    FileStamp stamp;
    try {
        const std::filesystem::path file(std::u8string(path.begin(), path.end()));
        std::error_code error;
        stamp.size = std::filesystem::file_size(file, error);
        if (error)
            return {};
        const auto modified = std::filesystem::last_write_time(file, error);
        if (error)
            return {};
        stamp.modified = static_cast<std::int64_t>(modified.time_since_epoch().count());
        // Bytes 24 to 27 of the header, big-endian. A commit that leaves size and time equal (within the
        // file system's time resolution) still raises it.
        std::ifstream in(file, std::ios::binary);
        unsigned char bytes[4] = {};
        if (in.seekg(24) && in.read(reinterpret_cast<char*>(bytes), 4))
            stamp.counter = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                            (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
        stamp.present = true;
    } catch (...) {
        return {};
    }
    return stamp;
}

} // namespace sqldb
