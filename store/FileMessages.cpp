#include "store/FileMessages.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

std::string cannotcreatefilemessage(const std::string& path, const std::string& reason) {
    const std::filesystem::path given(std::u8string(path.begin(), path.end()));
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(given, error);
    if (error)
        full = given;
    const std::u8string text = full.u8string();
    return "Cannot create file \"" + std::string(text.begin(), text.end()) + "\". " + reason;
}

#ifdef _WIN32
std::string windowserrortext(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string result;
    if (length && buffer) {
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        result.resize(static_cast<std::size_t>(size));
        WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), result.data(), size, nullptr,
                            nullptr);
    }
    LocalFree(buffer);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    return result;
}
#endif
