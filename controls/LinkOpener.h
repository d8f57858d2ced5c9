#pragma once
// What a press on a link does. Every control that shows mini-HTML links decides through activateLink, so
// one rule keeps every link from launching anything it should not: note names go into the list as they
// were typed, and a name can hold a link.

#include <functional>
#include <string>

namespace pinlet {

enum class LinkAction {
    Open,   // a web or mail address: handed to the user's default handler
    Ignore, // an address of any other kind ("file://", "javascript://", "x-mailto:" ...): nothing happens
    Report, // no address at all (a note id, "cancel"): the control reports it to its owner
};

// Report unless href holds "://" or "mailto:" (exact case). Then Open when its scheme, the text before the
// first ':' with blanks around the href trimmed, is http, https or mailto in any letter case; else Ignore.
LinkAction classifyLink(const std::string& href);

// Hands href to the system's default handler (browser, mail program). The only place that does.
void openLink(const std::string& href);

// Opens href when classifyLink says Open; returns true when the caller should report it (Report).
bool activateLink(const std::string& href);

// Replaces what openLink does for the lifetime of the object (tests: no browser ever starts), and puts the
// previous behaviour back afterwards. Nest them strictly.
class LinkOpenerOverride {
public:
    explicit LinkOpenerOverride(std::function<void(const std::string&)> opener);
    ~LinkOpenerOverride();
    LinkOpenerOverride(const LinkOpenerOverride&) = delete;
    LinkOpenerOverride& operator=(const LinkOpenerOverride&) = delete;

private:
    std::function<void(const std::string&)> previous_;
};

} // namespace pinlet
