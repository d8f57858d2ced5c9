#pragma once
// Paths as the store keeps them (UTF-8 text) and as the file system takes them.

#include <filesystem>
#include <string>

#ifdef _WIN32
constexpr char pathseparator = '\\';
#else
constexpr char pathseparator = '/';
#endif

inline std::filesystem::path fspath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
