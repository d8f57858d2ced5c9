// A configuration file in each encoding an editor saves it in reads as the same settings.
#include "store/IniFile.h"
#include "store/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The text (ASCII and BMP code points only) as UTF-16 bytes in the given order.
std::string utf16(const std::u16string& text, bool bigendian) {
    std::string bytes;
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigendian ? high : low;
        bytes += bigendian ? low : high;
    }
    return bytes;
}

TEST(TextFileEncoding, TheIniFileReadsInEveryEncodingAnEditorSaves) {
    const std::u16string text = u"[database]\r\ndir=C:\\Jegyzetek\\\u0151r\u00FCl\u0151";
    const std::string expected = "C:\\Jegyzetek\\\xC5\x91r\xC3\xBCl\xC5\x91"; // őrülő
    struct Row {
        const char* comment;
        std::string bytes;
    };
    const std::vector<Row> rows = {
        {"UTF-16 LE with its mark (Notepad's \"Unicode\")", "\xFF\xFE" + utf16(text, false)},
        {"UTF-16 BE with its mark", "\xFE\xFF" + utf16(text, true)},
        {"UTF-8 with its mark", "\xEF\xBB\xBF[database]\r\ndir=" + expected},
        {"UTF-8", "[database]\r\ndir=" + expected},
        {"code page 1250", "[database]\r\ndir=C:\\Jegyzetek\\\xF5r\xFCl\xF5"},
        {"code page 1250 behind a UTF-8 mark", "\xEF\xBB\xBF[database]\r\ndir=C:\\Jegyzetek\\\xF5r\xFCl\xF5"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(IniFile::fromtext(row.bytes).readstring("database", "dir", "none"), expected)
            << row.comment;
}

TEST(TextFileEncoding, Utf16BeyondTheBasicPlaneAndDamage) {
    struct Row {
        const char* comment;
        std::string le; // little-endian bytes
        std::string utf8;
    };
    const std::vector<Row> rows = {
        {"a surrogate pair", std::string("\x3D\xD8\x4C\xDC", 4), "\xF0\x9F\x91\x8C"},
        {"a high surrogate alone",
         std::string("\x3D\xD8"
                     "A\0",
                     4),
         "\xEF\xBF\xBD"
         "A"},
        {"a low surrogate alone", std::string("\x4C\xDC", 2), "\xEF\xBF\xBD"},
        {"an odd last byte", std::string("A\0B", 3), "A\xEF\xBF\xBD"},
        {"a zero unit is kept", std::string("\0\0", 2), std::string("\0", 1)},
        {"nothing", "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(utf16toutf8(row.le, false), row.utf8) << row.comment;
        std::string be = row.le;
        for (std::size_t k = 0; k + 1 < be.size(); k += 2)
            std::swap(be[k], be[k + 1]);
        EXPECT_EQ(utf16toutf8(be, true), row.utf8) << row.comment << " (big-endian)";
    }
}

} // namespace
