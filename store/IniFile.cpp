#include "store/IniFile.h"

#include "store/TextEncoding.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

bool sameascii(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

IniFile IniFile::fromtext(const std::string& bytes) {
    const std::string text = textfiletoutf8(bytes);

    IniFile result;
    bool insection = false;
    std::string section;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = trimmed(text.substr(start, end - start));
        // CR LF is one line end.
        start = end + ((end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ? 2 : 1);

        if (line.empty() || line[0] == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = trimmed(line.substr(1, line.size() - 2));
            insection = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!insection || equals == std::string::npos)
            continue;
        result.entries_.push_back(
            {section, trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1))});
    }
    return result;
}

IniFile IniFile::load(const std::string& path) {
    const std::filesystem::path where(std::u8string(path.begin(), path.end()));
    std::error_code error;
    if (std::filesystem::is_directory(where, error))
        throw std::runtime_error("Cannot read file \"" + path + "\". " + std::strerror(EISDIR));
    std::ifstream file(where, std::ios::binary);
    if (!file)
        throw std::runtime_error("Cannot read file \"" + path + "\". " + std::strerror(errno));
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad())
        throw std::runtime_error("Cannot read file \"" + path + "\". " + std::strerror(errno));
    return fromtext(bytes.str());
}

std::string IniFile::readstring(const std::string& section, const std::string& key,
                                const std::string& def) const {
    for (const Entry& entry : entries_) {
        if (sameascii(entry.section, section) && sameascii(entry.key, key))
            return entry.value;
    }
    return def;
}
