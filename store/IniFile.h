#pragma once
// The configuration file, read once and held in memory. Never written.

#include <string>
#include <utility>
#include <vector>

// The rules, which differ from one INI reader to the next, are this program's own:
// - the bytes are read as UTF-16 after a UTF-16 byte order mark (either order), else as UTF-8, or as code
//   page 1250 when they are not valid UTF-8; a leading UTF-8 byte order mark is dropped (editors write
//   one, and it would hide the first section);
// - lines end at CR LF, LF or CR; each is trimmed of blanks and control characters;
// - empty lines and lines that begin with ";" are skipped;
// - "[name]" (first character "[", last "]") opens a section; the name is trimmed;
// - "key=value" in a section gives the key (trimmed) and the value (the trimmed text after the first "=");
//   lines before the first section, and lines in a section without "=", are ignored;
// - section and key names compare without regard to ASCII case; for a key given more than once the first
//   one counts, also across repeated sections of the same name. Values are never unquoted.
class IniFile {
public:
    // An empty configuration.
    IniFile() = default;

    // The configuration held in the bytes of a file.
    static IniFile fromtext(const std::string& bytes);

    // Reads the file at the UTF-8 path. A file that cannot be read fails with std::runtime_error
    // "Cannot read file "<path>". <system description>".
    static IniFile load(const std::string& path);

    // The value of the key in the section, or the default when either is missing. A key present with an
    // empty value gives the empty string, not the default.
    std::string readstring(const std::string& section, const std::string& key, const std::string& def) const;

private:
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
    };
    std::vector<Entry> entries_;
};
