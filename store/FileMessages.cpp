#include "store/FileMessages.h"

#include <filesystem>
#include <system_error>

std::string cannotcreatefilemessage(const std::string& path, const std::string& reason) {
    const std::filesystem::path given(std::u8string(path.begin(), path.end()));
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(given, error);
    if (error)
        full = given;
    const std::u8string text = full.u8string();
    return "Cannot create file \"" + std::string(text.begin(), text.end()) + "\". " + reason;
}
