#include "controls/LinkOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace pinlet {

namespace {

std::function<void(const std::string&)>& installedOpener() {
    static std::function<void(const std::string&)> opener;
    return opener;
}

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool allowedScheme(std::string_view scheme) {
    static constexpr std::array<std::string_view, 3> allowed{"http", "https", "mailto"};
    return std::any_of(allowed.begin(), allowed.end(), [scheme](std::string_view name) {
        return std::equal(scheme.begin(), scheme.end(), name.begin(), name.end(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
        });
    });
}

} // namespace

LinkAction classifyLink(const std::string& href) {
    if (href.find("://") == std::string::npos && href.find("mailto:") == std::string::npos) {
        return LinkAction::Report;
    }
    const std::string_view address = trimmed(href);
    const std::size_t colon = address.find(':');
    return colon != std::string_view::npos && allowedScheme(address.substr(0, colon)) ? LinkAction::Open
                                                                                      : LinkAction::Ignore;
}

void openLink(const std::string& href) {
    if (const auto& opener = installedOpener()) {
        opener(href);
        return;
    }
    const std::string_view address = trimmed(href);
    const QUrl url(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())));
    // Qt may read an address differently than the rule above; only what it also sees as one of the
    // allowed schemes goes out.
    if (url.isValid() && allowedScheme(url.scheme().toStdString())) {
        QDesktopServices::openUrl(url); // a failure to open is not the user's concern here
    }
}

bool activateLink(const std::string& href) {
    switch (classifyLink(href)) {
    case LinkAction::Open:
        openLink(std::string(trimmed(href)));
        return false;
    case LinkAction::Ignore:
        return false;
    case LinkAction::Report:
        break;
    }
    return true;
}

LinkOpenerOverride::LinkOpenerOverride(std::function<void(const std::string&)> opener)
    : previous_(std::exchange(installedOpener(), std::move(opener))) {}

LinkOpenerOverride::~LinkOpenerOverride() {
    installedOpener() = std::move(previous_);
}

} // namespace pinlet
