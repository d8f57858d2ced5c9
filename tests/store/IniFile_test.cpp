#include "store/IniFile.h"
#include "store/NewFile.h"
#include "store/TextEncoding.h"

#include "db/testfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string readfile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

} // namespace

TEST(IniFile, ReadsTheDirKeyByTheRules) {
    struct Row {
        std::string text;
        std::string expected; // value of database/dir, "<def>" for the default
    } rows[] = {
        {"[database]\ndir=C:\\Jegyzetek", "C:\\Jegyzetek"}, // the plain case
        {"[DATABASE]\r\nDIR=x", "x"},                       // names without regard to case
        {"  [ database ]  \n   dir   =   x y   \n", "x y"}, // trimmed everywhere, inner blank kept
        {"[database]\ndir=a=b", "a=b"},                     // the value after the first "="
        {"[database]\ndir=", ""},                           // present but empty: not the default
        {"dir=before\n[database]\n", "<def>"},              // lines before any section ignored
        {"[database]\n;dir=commented\n", "<def>"},          // comment line
        {"[database]\n  ; dir=commented\n", "<def>"},       // a comment after blanks
        {"[other]\ndir=x\n", "<def>"},                      // another section
        {"[database]\ndir=first\ndir=second\n", "first"},   // the first key counts
        {"[database]\ndir=first\n[x]\n[database]\ndir=second\n", "first"}, // also across repeated sections
        {"[database]\rdir=cr\r", "cr"},                                    // bare CR line ends
        {"[database]\ndir=\"quoted\"", "\"quoted\""},                      // no unquoting
        {"[database\ndir=x", "<def>"},                                     // no "]": not a section
        {"\xEF\xBB\xBF[database]\ndir=bom", "bom"},                        // a UTF-8 byte order mark
        {"[database]\ndir=\t tab \t", "tab"},                              // tabs are blanks too
        {"[database]\ndir", "<def>"},                                      // a line without "="
        {"", "<def>"},                                                     // an empty file
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IniFile::fromtext(row.text).readstring("database", "dir", "<def>"), row.expected)
            << row.text;
    }
}

TEST(IniFile, DecodesCodePage1250WhenNotUtf8) {
    // "Dokumentumok\Jegyzetek ő" in code page 1250: 0xF5 is "ő", invalid as UTF-8.
    const IniFile cp = IniFile::fromtext("[database]\ndir=C:\\Jegyz\xE9tek \xF5\xFB");
    EXPECT_EQ(cp.readstring("database", "dir", ""), "C:\\Jegyzétek őű");
    const IniFile utf8 = IniFile::fromtext("[database]\ndir=C:\\Jegyzétek őű");
    EXPECT_EQ(utf8.readstring("database", "dir", ""), "C:\\Jegyzétek őű");
}

TEST(TextEncoding, RecognisesUtf8AndMapsCodePage1250) {
    struct Row {
        std::string bytes;
        bool valid;
    } rows[] = {
        {"plain", true},
        {"őű€😀", true},
        {"\xC3", false},             // cut sequence
        {"\xC0\xAF", false},         // overlong
        {"\xE0\x80\xAF", false},     // overlong, three bytes
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\x80", false},             // lone continuation byte
    };
    for (const Row& row : rows)
        EXPECT_EQ(isvalidutf8(row.bytes), row.valid) << row.bytes;
    EXPECT_EQ(cp1250toutf8("\x80\x8A\x9A\xA3\xB3\xC8\xE8\xD5\xF5\xDB\xFB\x81"), "€ŠšŁłČčŐőŰű\xC2\x81");
}

TEST(NewFile, CreatesWholeFilesAndNeverReplaces) {
    TestFolder folder;
    const std::string target = folder.file("pinlet.db");
    EXPECT_TRUE(createnewfile(target, "first"));
    EXPECT_EQ(readfile(target), "first");
    EXPECT_FALSE(createnewfile(target, "second")); // kept as it was
    EXPECT_EQ(readfile(target), "first");

    std::ofstream(folder.file("empty.db")).close();
    EXPECT_FALSE(createnewfile(folder.file("empty.db"), "x")); // whatever its size
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "empty.db"), 0u);

    const std::string missing = folder.file("nincs/pinlet.db");
    try {
        createnewfile(missing, "x");
        FAIL() << "created a file in a missing folder";
    } catch (const std::runtime_error& error) {
        // Then the system's description, in the system's words.
        const std::string expected = "Cannot create file \"" + missing + "\". ";
        EXPECT_EQ(std::string(error.what()).substr(0, expected.size()), expected);
        EXPECT_GT(std::string(error.what()).size(), expected.size());
    }
    // Nothing but the files asked for: no temporary is left.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++files;
    EXPECT_EQ(files, 2);
}
