#pragma once
// The command line of a build tool as UTF-8 on every platform. Windows hands main() its arguments in the
// ANSI code page, which garbles (or cannot hold) the letters of a build folder such as C:\Users\Gábor;
// the wide command line holds them all.

#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// After windows.h: CommandLineToArgvW is left out of it by WIN32_LEAN_AND_MEAN.
#include <shellapi.h>
#endif

namespace tools {

// The arguments after the program's name.
inline std::vector<std::string> utf8arguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
    std::vector<std::string> result;
#ifdef _WIN32
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) {
        const std::u8string text = std::filesystem::path(wide[i]).u8string();
        result.emplace_back(text.begin(), text.end());
    }
    LocalFree(wide);
#else
    for (int i = 1; i < argc; ++i)
        result.emplace_back(argv[i]);
#endif
    return result;
}

// A path named by UTF-8 text, and back (path::string() would give the ANSI code page on Windows).
inline std::filesystem::path utf8path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}
inline std::string utf8text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace tools
