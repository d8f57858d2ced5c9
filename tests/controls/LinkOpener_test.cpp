// The rule that decides what a press on a link does, and that only the seam ever opens anything.
#include "controls/LinkOpener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using pinlet::LinkAction;

TEST(LinkOpener, OnlyWebAndMailAddressesOpenOthersVanishPlainLinksAreReported) {
    struct Row {
        const char* href;
        LinkAction action;
    };
    const Row rows[] = {
        {"http://example.org/", LinkAction::Open},
        {"HTTPS://example.org/a?b", LinkAction::Open},
        {"  \thttp://example.org/ ", LinkAction::Open}, // blanks around the address
        {"mailto:someone@example.org", LinkAction::Open},
        {"MailTo://x", LinkAction::Open}, // marker "://", scheme in any case
        {"file:///etc/passwd", LinkAction::Ignore},
        {"javascript://alert(1)", LinkAction::Ignore},
        {"smb://host/share", LinkAction::Ignore},
        {"x-mailto:someone@example.org", LinkAction::Ignore},
        {"see mailto:x", LinkAction::Ignore}, // the marker is anywhere, the scheme at the start
        {"://nothing", LinkAction::Ignore},
        {"12", LinkAction::Report}, // a note id
        {"cancel", LinkAction::Report},
        {"MAILTO:someone@example.org", LinkAction::Report}, // the marker is case-sensitive
        {"http:/one-slash", LinkAction::Report},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(pinlet::classifyLink(row.href), row.action) << row.href;
    }
}

TEST(LinkOpener, ActivateOpensThroughTheSeamAndSaysWhatToReport) {
    std::vector<std::string> opened;
    const pinlet::LinkOpenerOverride seam([&](const std::string& href) { opened.push_back(href); });
    EXPECT_FALSE(pinlet::activateLink(" https://example.org/ "));
    EXPECT_FALSE(pinlet::activateLink("file:///etc/passwd"));
    EXPECT_FALSE(pinlet::activateLink("javascript://x"));
    EXPECT_TRUE(pinlet::activateLink("12"));
    EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/"});
}

} // namespace
