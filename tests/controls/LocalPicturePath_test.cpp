// Pictures named by markup come from local files only: the rule, the same on every platform. (Loading
// through it: MiniHtmlPicture_test.)
#include "controls/LocalPicturePath.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(LocalPicturePath, NetworkNamesAreRefusedAndUrlFormsMapped) {
    struct Row {
        const char* comment;
        std::string named; // the text after "FILE://"
        std::optional<std::string> expected;
    };
    const std::vector<Row> rows = {
        {"a drive path", "C:\\pics\\x.png", "C:\\pics\\x.png"},
        {"a drive path with slashes", "c:/pics/x.png", "c:/pics/x.png"},
        {"an absolute path", "/home/u/x.png", "/home/u/x.png"},
        {"a relative path", "pics/x.png", "pics/x.png"},
        {"the root of the current drive", "\\x.png", "\\x.png"},
        {"file:///C:/x gives its drive path", "/C:/pics/x.png", "C:/pics/x.png"},
        {"the same with a backslash", "/C:\\x.png", "C:\\x.png"},
        {"a drive alone", "/D:", "D:"},
        {"a colon that is no drive", "/C:x.png", "/C:x.png"},
        {"file://localhost/C:/x", "localhost/C:/x.png", "C:/x.png"},
        {"file://LOCALHOST/path", "LOCALHOST/home/x.png", "/home/x.png"},
        {"a long drive path", "\\\\?\\C:\\x.png", "C:\\x.png"},
        {"UNC", "\\\\host\\share\\x.png", std::nullopt},
        {"UNC with slashes", "//host/share/x.png", std::nullopt},
        {"mixed separators", "\\/host/share/x.png", std::nullopt},
        {"file:////host/share", "///host/share/x.png", std::nullopt},
        {"file://localhost//host/share", "localhost//host/share/x.png", std::nullopt},
        {"long UNC", "\\\\?\\UNC\\host\\share\\x.png", std::nullopt},
        {"long UNC with slashes", "//?/UNC/host/share/x.png", std::nullopt},
        {"a device", "\\\\.\\C:", std::nullopt},
        {"a pipe", "\\\\.\\pipe\\name", std::nullopt},
        {"a volume by its name", "\\\\?\\Volume{0}\\x.png", std::nullopt},
        {"a web folder", "\\\\host@SSL\\DavWWWRoot\\x.png", std::nullopt},
        {"an object path", "\\??\\UNC\\host\\share\\x.png", std::nullopt},
        {"an object path with slashes",
         "/?"
         "?/UNC/host/x.png",
         std::nullopt}, // split: "??/" is a trigraph
        {"nothing", "", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(localpicturepath(row.named), row.expected) << row.comment << ": " << row.named;
}

} // namespace
